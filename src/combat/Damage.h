#pragma once

#include "roster/Row.h"

namespace combat {

// "Substract": hp = hp - amount as doubles (no bounds), the amount emptied, then the
// down-row rule. A step that fails (a text beyond a double, a difference that
// overflows) is skipped in silence and the next one runs; never throws.
void subtractDamage(roster::Row &row);

} // namespace combat
