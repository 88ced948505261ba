#pragma once

#include "roster/Roster.h"

// Everything the undo history restores: the rows with their amount boxes, include
// flags and down states, the general note, and whose turn it is in which round.
// The fighting-order list, the save path and the files on disk are not part of it,
// so the turn is kept by the marked combatant's row rather than by its place in the list.
struct CombatState
{
    roster::Roster roster;
    int markedRow = -1; // -1: no turn marked
    int round = 0;      // 0 until the first turn is marked

    bool operator==(const CombatState &) const = default;
};
