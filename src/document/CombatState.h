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

// The two combats differ only in what no file keeps: the amount boxes.
inline bool sameInAFile(CombatState a, CombatState b)
{
    for (roster::Row &row : a.roster.rows)
        row.amount.clear();
    for (roster::Row &row : b.roster.rows)
        row.amount.clear();
    return a == b;
}
