#pragma once

#include "roster/Roster.h"

#include <QList>

// Whose turn it is in the fighting-order list. The list changes only when the order is
// calculated, so the marker is an index into the list as last calculated; listRows gives
// the row each item of that list stands for, top to bottom.
namespace combat {

// Whose turn it is: an index into the list as last calculated (-1: none marked) and the round (0 until a turn is marked).
struct TurnState
{
    int marked = -1;
    int round = 0;

    bool operator==(const TurnState &) const = default;
};

// listRows: the row index of each list item, top to bottom (as calculated). roster: the rows now
// (a row that has gone down since the calculation is skipped; the list still shows it).
//
// Next marks the first item that is not skipped when none is marked (round 0 becomes 1),
// else the next one; past the last it wraps to the first and the round goes up by one.
// Previous goes back the same way and wraps to the last item with the round down by one,
// never below round 1; with nothing marked it does nothing. A marker out of range of
// listRows counts as none marked; a marked item that has gone down is still moved from.
// An empty list, or one whose items are all skipped, leaves the state unchanged.
// A row index outside the roster is skipped like a down row.
TurnState nextTurn(const TurnState &turn, const QList<int> &listRows, const roster::Roster &roster);
TurnState previousTurn(const TurnState &turn, const QList<int> &listRows, const roster::Roster &roster);

// After a new calculation: keep the marker on the same combatant (matched by row) when its item is
// still in the new list, at its new index, else clear the marker; the round stays.
TurnState afterRecalculation(const TurnState &turn, const QList<int> &oldRows, const QList<int> &newRows);

} // namespace combat
