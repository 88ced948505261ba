#pragma once

#include "roster/Roster.h"

// Everything the undo history restores: the rows with their amount boxes, include
// flags and down states, and the general note. The fighting-order list, the save
// path and the files on disk are not part of it.
struct CombatState
{
    roster::Roster roster;

    bool operator==(const CombatState &) const = default;
};
