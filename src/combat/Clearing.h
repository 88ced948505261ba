#pragma once

#include "roster/Roster.h"
#include "roster/Row.h"

namespace combat {

// The ten texts emptied, check 1, not down. The amount box keeps its text.
void clearRow(roster::Row &row);

// clearRow on all 19 rows; the general note is kept.
void newCombat(roster::Roster &roster);

} // namespace combat
