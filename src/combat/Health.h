#pragma once

#include "combat/FightingOrder.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

// How hurt a combatant is, in words the players may see instead of numbers.
namespace combat {

enum class Health { Unhurt, Hurt, Bloodied, Staggered, Disabled, Unconscious, Dying, Down };

// Down by the down rule; dying below 0; unconscious with more nonlethal damage than hit points,
// staggered with as much (combat::nonlethalState); disabled at 0; unhurt at or above its maximum ("37/45")
// or, with none, the most hit points the combatant has had in the fight (the item's
// `highest`); bloodied at or below half of it; hurt in between.
Health healthOf(const OrderEntry &item, const roster::Roster &roster);

// "Unhurt", "Hurt", "Bloodied", "Staggered", "Disabled", "Unconscious", "Dying", "Down".
QString healthWord(Health health);

// Raises each item's `highest` to its combatant's hit points, for the items whose rows still
// hold their combatants.
void followHitPoints(QList<OrderEntry> &order, const roster::Roster &roster);

} // namespace combat
