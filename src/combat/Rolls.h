#pragma once

#include "combat/Dice.h"
#include "combat/RollText.h"

#include <QString>
#include <QStringList>

#include <optional>

// Rolling what a row's text asks for, and the line the Rolls list shows for it. Rolls change
// nothing in the combat.
namespace combat {

// Dice: any dice text, typed to be rolled, no row's.
// Blow: no roll, what the hit-point rules did to a blow ("healed 5, to the maximum 45").
enum class RollKind { Initiative, Attack, Damage, Dice, Blow };

struct RollRecord
{
    RollKind kind = RollKind::Attack;
    QString who;       // the row's name; empty for a line about no row
    QString text;      // what was rolled, as typed (initiative: the modifier)
    QString result;    // each die and the total, or why nothing was rolled
    QStringList marks; // "threat", "20", "1", each once
    bool rolled = false;
    QStringList others; // the rest of a group that one roll was for: "Wolf 2", "Wolf 3"
    QString attack;     // damage: the Attack text its hits followed
    QList<int> threats; // attack: its rolls that threatened (parseAttack's order); damage:
                        // those whose damage it rolled as a critical too
    std::optional<qint64> total; // what the damage or dice came to in all; none for d20s
    std::optional<qint64> criticalTotal; // damage: in all with its criticals, when it has any
};

RollRecord rollAttack(const QString &who, const QString &text, Dice &dice);
// The damage of every attack the attack text makes (combat/DamagePlan); the hits that follow
// the attack rolls in `criticals` also get their critical, which the line offers beside.
RollRecord rollDamage(const QString &who, const QString &text, const QString &attack, Dice &dice,
                      const QList<int> &criticals = {});
// Any dice text the target bar's amount reads ("6d6", "1d20+7", "8d6/2"); "t" or "n" in front
// only with `anyKind` (a blow's dice rolled again).
RollRecord rollDice(const QString &text, Dice &dice, bool anyKind = false);
// A sum as a RollRecord's total; none with a fraction ("2.5+1d4") or past any blow.
std::optional<qint64> wholeTotal(double total);
// A d20 plus the modifier's value; the text is the modifier as typed ("+3 dex").
RollRecord rollInitiativeCheck(const QString &who, const QString &modifier, int value, Dice &dice, int *total = nullptr);
// The same check on a d20 already rolled: a group's one die.
RollRecord initiativeCheck(const QString &who, const QString &modifier, int value, int natural);
// The same text rolled again. An initiative check only rolls: no field changes.
RollRecord rollAgain(const RollRecord &record, Dice &dice);
// A line about something that was not rolled: `why` as the result.
RollRecord notRolled(RollKind kind, const QString &who, const QString &text, const QString &why);

// "Goblin, attack +4 shortbow: 21 (d20 17+4)", "Wolf, Wolf 2, initiative +2: 14 (d20 12+2)";
// long names and texts are cut.
QString rollLine(const RollRecord &record);

} // namespace combat
