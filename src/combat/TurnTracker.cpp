#include "combat/TurnTracker.h"

namespace combat {
namespace {

bool isSkipped(int row, const roster::Roster &roster)
{
    if (row < 0 || row >= roster::RowCount)
        return true;
    return roster.rows[static_cast<std::size_t>(row)].down;
}

// The first item at or after `from`, stepping by `step`, that is not skipped; -1 when none.
qsizetype findTaking(const QList<int> &listRows, const roster::Roster &roster, qsizetype from,
                     int step)
{
    for (qsizetype i = from; i >= 0 && i < listRows.size(); i += step) {
        if (!isSkipped(listRows[i], roster))
            return i;
    }
    return -1;
}

bool isMarked(const TurnState &turn, const QList<int> &listRows)
{
    return turn.marked >= 0 && turn.marked < listRows.size();
}

} // namespace

TurnState nextTurn(const TurnState &turn, const QList<int> &listRows, const roster::Roster &roster)
{
    const qsizetype first = findTaking(listRows, roster, 0, +1);
    if (first < 0)
        return turn; // empty, or nobody left to act

    if (!isMarked(turn, listRows))
        return {static_cast<int>(first), turn.round == 0 ? 1 : turn.round};

    const qsizetype next = findTaking(listRows, roster, turn.marked + 1, +1);
    if (next >= 0)
        return {static_cast<int>(next), turn.round};
    return {static_cast<int>(first), turn.round + 1};
}

TurnState previousTurn(const TurnState &turn, const QList<int> &listRows,
                       const roster::Roster &roster)
{
    if (!isMarked(turn, listRows))
        return turn;

    const qsizetype previous = findTaking(listRows, roster, turn.marked - 1, -1);
    if (previous >= 0)
        return {static_cast<int>(previous), turn.round};

    const qsizetype last = findTaking(listRows, roster, listRows.size() - 1, -1);
    if (last < 0 || turn.round <= 1)
        return turn; // nobody left to act, or already at the very first turn
    return {static_cast<int>(last), turn.round - 1};
}

TurnState afterRecalculation(const TurnState &turn, const QList<int> &oldRows,
                             const QList<int> &newRows)
{
    if (!isMarked(turn, oldRows))
        return {-1, turn.round};
    return {static_cast<int>(newRows.indexOf(oldRows[turn.marked])), turn.round};
}

} // namespace combat
