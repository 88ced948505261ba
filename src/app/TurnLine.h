#pragma once

#include <QString>

class CombatDocument;

// The current combatant's row still holds them (not cleared or renamed since).
bool currentRowHolds(const CombatDocument &document);

// "Round 3 — Sela · Stunned 1 · Held ended": the round, and while their row still holds
// them the current combatant's name, timed conditions and what ended at the start of the
// turn. Empty before the first turn.
QString turnLine(const CombatDocument &document);
