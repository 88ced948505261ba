#pragma once

#include "combat/StateWords.h"

#include <QString>

class CombatDocument;

// "Round 3 — Sela · Stunned 1 · Held ended": the round, and while their row still holds
// them the current combatant's name, timed conditions and what ended at the start of the
// turn. Empty before the first turn. The players see only the round while the current
// combatant is hidden from them.
using combat::Viewers;
QString turnLine(const CombatDocument &document, Viewers viewers = Viewers::GameMaster);

// "Next: Sela": whom Next Turn would mark, as the players may know it (the hidden passed
// over), by the row's name now. Empty before the first turn or when nobody would be.
QString nextLine(const CombatDocument &document);
