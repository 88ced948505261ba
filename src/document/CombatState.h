#pragma once

#include "combat/FightingOrder.h"
#include "combat/Turns.h"
#include "roster/Roster.h"

#include <QList>

// Everything the undo history restores: the rows with their amount boxes, include
// flags and down states, the general note, the fighting-order list as last calculated,
// and the whole record of the fight's turns. The save path and the files on disk are
// not part of it.
struct CombatState
{
    roster::Roster roster;
    QList<combat::OrderEntry> order;
    combat::FightRecord turn;

    bool operator==(const CombatState &) const = default;
};
