#pragma once

#include "roster/Row.h"

#include <QString>

namespace combat {

// True when the hit-point text reads as -10 or less. Throws roster::FieldError
// (Overflow) when the number does not fit a double.
bool isDownHitPoints(const QString &hpText);

// When a combatant is down: at -10 or less; with `monstersAtZero` (the Combat menu's Monsters
// Die at 0), one not marked [PC] already at 0 or less.
struct DownRule
{
    bool monstersAtZero = false;
};

// Sets row.down and row.check (0 down, 1 active) from row.hp, whatever they were.
// Throws like isDownHitPoints; the row is unchanged then.
void applyDownRowRule(roster::Row &row, DownRule rule = {});
// The same for row `rowIndex` after a change of its hit points: the error names the row and
// its HP field ("Row 5 (Goblin): the hit points "1e999" are out of range.").
void applyDownRowRule(roster::Row &row, int rowIndex, DownRule rule = {});

// The row's hit points as a number; 0 when they cannot be read (no number, beyond a double).
double hitPoints(const roster::Row &row);

// Below 0 and above the down limit: dying, unconscious, not acting. At 0 a combatant is
// disabled and still acts.
bool isDying(const roster::Row &row);

// Puts the row into the down (check 0) or active (check 1) state.
void setDownState(roster::Row &row, bool down);

} // namespace combat
