#pragma once

#include "roster/Roster.h"

#include <QList>

// Bringing the combatants of a saved combat into a running one.
namespace combat {

// A row none of whose ten fields holds anything.
bool isFreeRow(const roster::Row &row);

struct Reinforcement
{
    int named = 0;     // rows of the arrivals with a name (blanks alone are none)
    int free = 0;      // free rows of the roster before the addition
    QList<int> rows;   // where they went, in file order; empty when nothing was added
};

// Puts every named row of `arrivals`, in order, into the first free rows of `roster`: its
// ten fields, check box and down state; the roster's amount boxes stay. A name equal to one
// already in the roster or added before it (ignoring case and surrounding blanks) gets the
// next free number: "Wolf" becomes "Wolf 2", then "Wolf 3". When the named rows do not all
// fit, nothing is added. Rows in use and the general note are never touched.
Reinforcement addCombatants(roster::Roster &roster, const roster::Roster &arrivals);

} // namespace combat
