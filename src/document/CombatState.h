#pragma once

#include "combat/TurnTracker.h"
#include "roster/Roster.h"

// Everything the undo history restores: the rows with their amount boxes, include
// flags and down states, the general note, and whose turn it is in which round.
// The fighting-order list, the save path and the files on disk are not part of it;
// the turn names its combatant, so it stays true whatever list is shown.
struct CombatState
{
    roster::Roster roster;
    combat::Turn turn;

    bool operator==(const CombatState &) const = default;
};
