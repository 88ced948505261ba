#pragma once

#include <QString>

class CombatDocument;

// "Round 2 — Sela": the round, and the current combatant's name while their row still
// holds them. Empty before the first turn.
QString turnLine(const CombatDocument &document);
