#pragma once

#include "combat/Amount.h"
#include "document/CommandResult.h"

#include "app/rolls/RollsModel.h"
#include "combat/Dice.h"
#include "combat/Initiative.h"

#include <QObject>

#include <optional>

class CombatDocument;
class CommandReporter;

// A window's dice: rolls what the document's rows ask for into the Rolls list. Only Roll
// Initiative changes the combat, as one step of the document's history.
class Roller : public QObject
{
public:
    Roller(CombatDocument &document, CommandReporter &reporter, QObject *parent = nullptr);

    RollsModel &rolls() { return m_rolls; }
    // The dice were given a seed (FRAYMARK_DICE_SEED): the same rolls come every time.
    bool fixedDice() const { return m_seed.has_value(); }

    void rollInitiative(const combat::InitiativeChoice &choice);
    // A blow's amount from the target bar: its dice rolled, and a line for them.
    combat::RolledAmount rollAmount(const combat::Amount &amount, const QString &text, const QString &who);
    // Substract in the row (CombatDocument::subtract): the amount's dice rolled, and a line for
    // them and for what the hit-point rules did.
    CommandResult subtract(int row);
    // The initiative walk's roll for one row (CombatDocument::rollInitiativeInWalk).
    CommandResult rollInitiativeInWalk(int row, int walk, bool groups);
    // The row's Attack or Damage text; with no row (-1), a line that says so. Damage rolled
    // right after the same row's attack, nothing rolled between, offers the criticals of
    // the attacks that threatened.
    void rollRow(int row, combat::RollKind kind);
    void rollAgain(int line);
    // Any dice text, typed to be rolled ("6d6", "1d20+7").
    void rollDice(const QString &text);
    // The newest roll's totals (what blows did passed): its total, then with its criticals
    // when it offers them; none when that roll failed.
    QList<qint64> newestTotals() const;

private:
    // Seeded at the first roll, not while the window opens.
    combat::Dice &dice();
    // Every line goes in through here: the attack remembered for its criticals is past.
    void add(const QList<combat::RollRecord> &lines);

    struct RolledAttack
    {
        int row = -1;
        QString text;
        QList<int> threats;
    };

    CombatDocument &m_document;
    CommandReporter &m_reporter;
    std::optional<std::uint64_t> m_seed = combat::diceSeedFromEnvironment();
    std::optional<combat::RandomDice> m_dice;
    RollsModel m_rolls;
    std::optional<RolledAttack> m_attack; // the newest line's, when it is an attack
};
