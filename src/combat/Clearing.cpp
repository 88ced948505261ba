#include "combat/Clearing.h"

#include "roster/Fields.h"

namespace combat {

void clearRow(roster::Row &row)
{
    for (const roster::FieldInfo &field : roster::RowFields)
        (row.*field.text).clear();
    row.check = 1;
    row.down = false;
}

void newCombat(roster::Roster &roster)
{
    for (roster::Row &row : roster.rows)
        clearRow(row);
}

} // namespace combat
