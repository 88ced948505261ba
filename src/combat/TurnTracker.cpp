#include "combat/TurnTracker.h"

namespace combat {
namespace {

// The first item at or after `from`, stepping by `step`, that is in the fight; -1 when none.
int findInFight(const QList<OrderEntry> &order, const roster::Roster &roster, qsizetype from, int step)
{
    for (qsizetype i = from; i >= 0 && i < order.size(); i += step) {
        if (isInFight(order[i], roster))
            return int(i);
    }
    return -1;
}

bool isInFight(const Combatant &combatant, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    const int item = itemOf(order, combatant);
    return item >= 0 && isInFight(order[item], roster);
}

// Where the marker stands in `after`: the current combatant's item, or the item of the first
// who followed them in `before`, or past the end.
qsizetype markerPlace(const Combatant &current, const QList<OrderEntry> &before, const QList<OrderEntry> &after)
{
    if (const int item = itemOf(after, current); item >= 0)
        return item;
    for (qsizetype i = itemOf(before, current) + 1; i > 0 && i < before.size(); ++i) {
        if (const int item = itemOf(after, combatantOf(before[i])); item >= 0)
            return item;
    }
    return after.size();
}

} // namespace

Combatant combatantOf(const OrderEntry &item)
{
    return {item.row, item.name};
}

bool isInFight(const OrderEntry &item, const roster::Roster &roster)
{
    if (item.row < 0 || item.row >= roster::RowCount)
        return false;
    const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
    return row.name == item.name && !row.down && row.check != 0;
}

int itemOf(const QList<OrderEntry> &order, const Combatant &combatant)
{
    if (combatant.isNobody())
        return -1;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order[i].row == combatant.row && order[i].name == combatant.name)
            return int(i);
    }
    return -1;
}

Turn nextTurn(const Turn &turn, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    const int first = findInFight(order, roster, 0, +1);
    if (first < 0)
        return turn; // an empty list, or nobody left to act
    if (turn.round > 0) {
        for (const OrderEntry &item : order) {
            const Combatant combatant = combatantOf(item);
            if (isInFight(item, roster) && !turn.acted.contains(combatant) && !turn.late.contains(combatant))
                return {turn.acted + QList<Combatant>{combatant}, turn.late, turn.round, turn.ticks, turn.earlier};
        }
    }
    QList<Turn::Past> earlier = turn.earlier;
    if (turn.round > 0)
        earlier << Turn::Past{turn.acted, turn.ticks};
    return {{combatantOf(order[first])}, {}, turn.round + 1, {}, earlier};
}

Turn previousTurn(const Turn &turn, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    if (turn.acted.isEmpty())
        return turn;
    Turn back = turn;
    back.acted.removeLast();
    while (!back.acted.isEmpty() && !isInFight(back.acted.constLast(), order, roster))
        back.acted.removeLast();
    if (!back.acted.isEmpty()) {
        back.ticks.resize(qMin(back.ticks.size(), back.acted.size()));
        return back;
    }
    if (turn.round <= 1)
        return turn; // already at the very first turn
    // The round before, as it ended; without a record of it, everyone in the fight in list order.
    Turn before{{}, {}, turn.round - 1, {}, turn.earlier};
    if (!before.earlier.isEmpty()) {
        const Turn::Past past = before.earlier.takeLast();
        before.acted = past.acted;
        before.ticks = past.ticks;
    } else {
        for (const OrderEntry &item : order) {
            if (isInFight(item, roster))
                before.acted << combatantOf(item);
        }
    }
    return before.acted.isEmpty() ? turn : before;
}

Turn afterRecalculation(const Turn &turn, const QList<OrderEntry> &before, const QList<OrderEntry> &after)
{
    if (turn.acted.isEmpty())
        return turn;
    Turn next = turn;
    const qsizetype marker = markerPlace(turn.current(), before, after);
    for (qsizetype i = 0; i < marker && i < after.size(); ++i) {
        const Combatant combatant = combatantOf(after[i]);
        if (itemOf(before, combatant) < 0 && !next.acted.contains(combatant) && !next.late.contains(combatant))
            next.late << combatant;
    }
    return next;
}

} // namespace combat
