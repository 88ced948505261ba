#include "combat/Clearing.h"

namespace combat {

void clearRow(roster::Row &row)
{
    row.name.clear();
    row.hp.clear();
    row.ac.clear();
    row.note.clear();
    row.ini.clear();
    row.fort.clear();
    row.rex.clear();
    row.will.clear();
    row.attack.clear();
    row.damage.clear();
    row.check = 1;
    row.down = false;
}

void newCombat(roster::Roster &roster)
{
    for (roster::Row &row : roster.rows)
        clearRow(row);
}

} // namespace combat
