// The fight's turns: the order calculated and moved, Next and Previous Turn, Delay, Ready and
// Act Now.
#include "document/CombatDocument.h"

#include "combat/OutOfTurn.h"
#include "roster/ShownText.h"

namespace {

CommandResult pastTheLastRound()
{
    return CommandResult::refused(
        QStringLiteral("The fight has reached round %1, the last one Fraymark counts; Next Turn goes no further.")
            .arg(combat::LastRound));
}

} // namespace

CommandResult CombatDocument::calculateOrder()
{
    return attempt([&] {
        CombatState next = m_state;
        // Computed in full before anything changes: an unreadable initiative keeps the old list.
        next.order = combat::fightingOrderEntries(next.roster, m_state.order);
        for (combat::OrderEntry &item : next.order) {
            // A combatant already in the fight keeps the most hit points it had.
            if (const int before = combat::itemOf(m_state.order, combat::combatantOf(item)); before >= 0)
                item.highest = std::max(item.highest, m_state.order[before].highest);
        }
        combat::afterRecalculation(next.turn, m_state.order, next.order);
        return commitFight(std::move(next), QStringLiteral("Calculate Fighting Order"));
    });
}

CommandResult CombatDocument::moveInOrder(int item, int step)
{
    CombatState next = m_state;
    if (!combat::moveItem(next.order, item, step))
        return CommandResult::done();
    const QString name = next.order[item + step].name;
    return commitFight(std::move(next), (step < 0 ? QStringLiteral("Move %1 Up") : QStringLiteral("Move %1 Down")).arg(name));
}

CommandResult CombatDocument::nextTurn()
{
    CombatState next = m_state;
    if (!combat::nextTurn(next.turn, next.order, next.roster))
        return CommandResult::done(); // nobody can act: nothing to mark
    if (next.turn.round() > combat::LastRound)
        return pastTheLastRound();
    return commitFight(std::move(next), QStringLiteral("Next Turn"));
}

CommandResult CombatDocument::previousTurn()
{
    CombatState next = m_state;
    if (!combat::previousTurn(next.turn, next.order, next.roster))
        return CommandResult::done(); // no turn taken yet
    return commitFight(std::move(next), QStringLiteral("Previous Turn"));
}

CommandResult CombatDocument::putOffTurn(combat::TurnKind kind)
{
    const int item = markedItem();
    if (item < 0 || !currentRowHolds())
        return CommandResult::refused(QStringLiteral("No one's turn runs: calculate the order (F5), then Next Turn (F6) begins the fight."));
    const QString name = roster::shownText(row(currentRow()).name, roster::ShownNameLength);
    const combat::TurnKind now = m_state.turn.taken.top().kind;
    if (now == combat::TurnKind::Delayed || now == combat::TurnKind::Readied)
        return CommandResult::refused(
            QStringLiteral("%1 has put off this turn already: Act Now (F12) takes it at its place, Next Turn (F6) "
                           "goes on.")
                .arg(rowLabel(currentRow())));
    CombatState next = m_state;
    if (!combat::putOffTurn(next.turn, next.order, next.roster, kind))
        return CommandResult::refused(
            (now == combat::TurnKind::ActNow
                 ? QStringLiteral("%1 acts out of turn now; only a turn just begun in its own place can be put off.")
                 : QStringLiteral("%1 takes up a turn another acted before; only a turn just begun in its own "
                                  "place can be put off."))
                .arg(rowLabel(currentRow())));
    if (next.turn.round() > combat::LastRound)
        return pastTheLastRound();
    return commitFight(std::move(next), (kind == combat::TurnKind::Readied ? QStringLiteral("Ready %1")
                                                                      : QStringLiteral("Delay %1"))
                                       .arg(name));
}

CommandResult CombatDocument::actNow(int row)
{
    const QList<int> waiting = waitingRows();
    if (waiting.isEmpty())
        return CommandResult::refused(QStringLiteral("Nobody is delaying or ready to act now."));
    if (!waiting.contains(row))
        return CommandResult::refused(QStringLiteral("%1 is neither delaying nor ready.").arg(rowLabel(row)));
    const combat::Combatant who{row, this->row(row).serial};
    CombatState next = m_state;
    if (!combat::actNow(next.turn, next.order, next.roster, who))
        return CommandResult::refused(
            QStringLiteral("%1 can act now only before a combatant whose turn runs; Next Turn (F6) goes on.")
                .arg(rowLabel(row)));
    return commitFight(std::move(next),
                       QStringLiteral("%1 Acts Now").arg(roster::shownText(this->row(row).name, roster::ShownNameLength)));
}

QList<int> CombatDocument::waitingRows() const
{
    QList<int> rows;
    const QList<combat::Wait> waits = m_state.turn.waits(m_state.order);
    for (qsizetype i = 0; i < m_state.order.size(); ++i) {
        if (waits[i] != combat::Wait::None && combat::canAct(m_state.order[i], m_state.roster))
            rows.append(m_state.order[i].row);
    }
    return rows;
}
