#pragma once

#include "combat/Amount.h"
#include "combat/Dice.h"
#include "combat/DownRow.h"
#include "combat/HitPoints.h"
#include "roster/Row.h"

namespace combat {

// "Substract": the amount box's amount (parseAmount: "8+9", "2d6", "t8", "n7"; text that is no
// amount and looks like none, such as "7 points", by its leading number, as it always was) taken off the hit points by changeHitPoints, its
// dice rolled with `dice`, and the amount emptied. Hit points that cannot take it stay as
// typed and the down rule still runs; a note the change would make too long to edit leaves
// the row as it was, amount and all (change.refusal says which). Never throws.
struct Subtracted
{
    QString typed;        // the amount as it stood
    RolledAmount rolled;  // its total, and what its dice showed (empty with none)
    HitPointChange change;
    QString refused; // an amount meant but not one, or past MaximumBlow: the row as it was
};
Subtracted subtractDamage(roster::Row &row, Dice &dice, DownRule rule = {});

} // namespace combat
