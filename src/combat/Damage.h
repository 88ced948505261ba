#pragma once

#include "roster/Row.h"

namespace combat {

// "Substract": hp = hp - amount as doubles (no bounds), the amount emptied, then the
// down-row rule. A step that fails (a text beyond a double, a difference that
// overflows) is skipped in silence and the next one runs; never throws.
void subtractDamage(roster::Row &row);

// A blow of `amount` (negative heals), taken off the hit points as "Substract" takes the
// amount box's number, then the down-row rule. False, with the row unchanged, when the hit
// points are beyond a double or the result overflows; the amount box is not touched.
bool takeBlow(roster::Row &row, double amount);

} // namespace combat
