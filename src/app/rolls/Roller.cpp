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
        add(lines);
}

combat::RolledAmount Roller::rollAmount(const combat::Amount &amount, const QString &text, const QString &who)
{
    const combat::RolledAmount rolled = combat::rollAmount(amount, dice());
    if (!amount.dice.isEmpty()) {
        // A line of dice, rolled again as the amount was (its halves too).
        combat::RollRecord line = combat::notRolled(combat::RollKind::Dice, who, text,
                                                    QStringLiteral("%1 (%2)").arg(rolled.total).arg(rolled.shown));
        line.rolled = true;
        line.total = combat::wholeTotal(rolled.total);
        add({line});
    }
    return rolled;
}


CommandResult Roller::subtract(int row)
{
    QList<combat::RollRecord> lines;
    const CommandResult result = m_document.subtract(row, dice(), lines);
    if (result.isDone())
        add(lines);
    return result;
}

CommandResult Roller::rollInitiativeInWalk(int row, int walk, bool groups)
{
    QList<combat::RollRecord> lines;
    const CommandResult result = m_document.rollInitiativeInWalk(row, dice(), groups, walk, lines);
    if (result.isDone())
        add(lines);
    return result;
}

void Roller::rollRow(int r, combat::RollKind kind)
{
    if (r < 0) {
        add({combat::notRolled(kind, QString(), QString(),
                               QStringLiteral("no combatant: mark a turn or put the cursor in a row"))});
        return;
    }
    const roster::Row &row = m_document.row(r);
    const QString who = roster::nameOrRowLabel(row, r);
    if (kind == combat::RollKind::Damage) {
        // The attack is the one just rolled only while its text is the one rolled.
        const bool follows = m_attack && m_attack->row == r && m_attack->text == row.attack;
        add({combat::rollDamage(who, row.damage, row.attack, dice(), follows ? m_attack->threats : QList<int>())});
        return;
    }
    const combat::RollRecord attack = combat::rollAttack(who, row.attack, dice());
    add({attack});
    m_attack = RolledAttack{r, row.attack, attack.threats};
}

void Roller::rollAgain(int line)
{
    if (line >= 0 && line < m_rolls.rowCount())
        add({combat::rollAgain(m_rolls.record(line), dice())});
}

void Roller::rollDice(const QString &text)
{
    add({combat::rollDice(text, dice())});
}

QList<qint64> Roller::newestTotals() const
{
    QList<qint64> totals;
    // What a blow did is no roll; a roll that failed is, and has no total.
    int line = 0;
    while (line < m_rolls.rowCount() && m_rolls.record(line).kind == combat::RollKind::Blow)
        ++line;
    if (line == m_rolls.rowCount())
        return totals;
    const combat::RollRecord &newest = m_rolls.record(line);
    for (const std::optional<qint64> &total : {newest.total, newest.criticalTotal}) {
        if (total)
            totals.append(*total);
    }
    return totals;
}

void Roller::add(const QList<combat::RollRecord> &lines)
{
    m_attack.reset();
    m_rolls.add(lines);
}
