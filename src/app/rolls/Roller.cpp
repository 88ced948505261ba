#include "app/rolls/Roller.h"

#include "app/dialogs/CommandReporter.h"
#include "document/CombatDocument.h"
#include "roster/RowLabels.h"

Roller::Roller(CombatDocument &document, CommandReporter &reporter, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_reporter(reporter)
{
}

combat::Dice &Roller::dice()
{
    if (!m_dice)
        m_dice.emplace(m_seed);
    return *m_dice;
}

void Roller::rollInitiative(const combat::InitiativeChoice &choice)
{
    QList<combat::RollRecord> lines;
    if (m_reporter.report(m_document.rollInitiative(dice(), choice, lines)))
        m_rolls.add(lines);
}

combat::RolledAmount Roller::rollAmount(const combat::Amount &amount, const QString &text, const QString &who)
{
    const combat::RolledAmount rolled = combat::rollAmount(amount, dice());
    if (!amount.dice.isEmpty())
        m_rolls.add({combat::RollRecord{combat::RollKind::Damage, who, text,
                                        QStringLiteral("%1 (%2)").arg(rolled.total).arg(rolled.shown), {}, true, {}}});
    return rolled;
}


CommandResult Roller::subtract(int row)
{
    QList<combat::RollRecord> lines;
    const CommandResult result = m_document.subtract(row, dice(), lines);
    if (result.isDone())
        m_rolls.add(lines);
    return result;
}

CommandResult Roller::rollInitiativeInWalk(int row, int walk, bool groups)
{
    QList<combat::RollRecord> lines;
    const CommandResult result = m_document.rollInitiativeInWalk(row, dice(), groups, walk, lines);
    if (result.isDone())
        m_rolls.add(lines);
    return result;
}

void Roller::rollRow(int r, combat::RollKind kind)
{
    if (r < 0) {
        m_rolls.add({combat::notRolled(kind, QString(), QString(),
                                       QStringLiteral("no combatant: mark a turn or put the cursor in a row"))});
        return;
    }
    const roster::Row &row = m_document.row(r);
    const QString who = roster::nameOrRowLabel(row, r);
    m_rolls.add({kind == combat::RollKind::Damage ? combat::rollDamage(who, row.damage, dice())
                                                  : combat::rollAttack(who, row.attack, dice())});
}

void Roller::rollAgain(int line)
{
    if (line >= 0 && line < m_rolls.rowCount())
        m_rolls.add({combat::rollAgain(m_rolls.record(line), dice())});
}
