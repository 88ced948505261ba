#pragma once

#include "document/TurnLines.h"

class QLabel;

// Shows the turn line in `label`, which a screen reader then names by it ("Round" before
// the first turn). False when it already did.
bool showTurnLine(QLabel *label, const CombatDocument &document, Viewers viewers = Viewers::GameMaster);
