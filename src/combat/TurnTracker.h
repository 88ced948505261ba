#pragma once

#include "combat/Conditions.h"
#include "combat/FightingOrder.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

// Whose turn it is. The fighting-order list changes only when the order is calculated;
// each of its items stands for a combatant: the row it was calculated from and the name
// that row had then. The turn follows combatants, never places in a list.
namespace combat {

struct Combatant
{
    int row = -1; // -1: nobody
    QString name;

    bool isNobody() const { return row < 0; }
    bool operator==(const Combatant &) const = default;
};

// A round of turns: who has had their turn in it, in the order they had it (the last is
// the current combatant), and who joined the order above the marker and so waits for the
// next round. Nobody has a second turn in a round, and nobody due is passed over.
struct Turn
{
    QList<Combatant> acted;
    QList<Combatant> late;
    int round = 0; // 0 until the first turn
    // What the start of each turn in `acted` did to its row's timed conditions, in the same
    // order; the rules here carry it along, the one who marks a turn adds to it.
    QList<ConditionTick> ticks;
    // The rounds before, as they ended, so that going back over a round's start restores them.
    struct Past
    {
        QList<Combatant> acted;
        QList<ConditionTick> ticks;
        bool operator==(const Past &) const = default;
    };
    QList<Past> earlier;

    Combatant current() const { return acted.isEmpty() ? Combatant{} : acted.constLast(); }
    bool operator==(const Turn &) const = default;
};

// The combatant an item stands for.
Combatant combatantOf(const OrderEntry &item);

// The item's row still holds its combatant: the same name, not down, its check box set.
bool isInFight(const OrderEntry &item, const roster::Roster &roster);

// The item of `combatant` in `order`, or -1.
int itemOf(const QList<OrderEntry> &order, const Combatant &combatant);

// The first combatant in the list who is in the fight and has not had a turn this round;
// when everyone has, the first in the fight opens a new round. Items out of the fight are
// skipped; with none in the fight nothing changes.
Turn nextTurn(const Turn &turn, const QList<OrderEntry> &order, const roster::Roster &roster);

// Back to the one who acted before the current combatant (passing over those no longer in
// the fight); from the first turn of a round, to the last in the fight in the round before,
// never below round 1. With nothing marked it does nothing.
Turn previousTurn(const Turn &turn, const QList<OrderEntry> &order, const roster::Roster &roster);

// After the order is calculated again (from `before` to `after`): the turn stays with its
// combatant, and whoever is new in the order above the marker waits for the next round. When
// the current combatant left the order, the marker's place is where the first who followed
// them and is still in the order now stands.
Turn afterRecalculation(const Turn &turn, const QList<OrderEntry> &before, const QList<OrderEntry> &after);

} // namespace combat
