#pragma once

#include "combat/Turns.h"

// Turns taken out of their place: put off (Delay, Ready) and taken later, before another
// (Act Now), and the turn of the one it went before taken up again.
namespace combat {

// Delay or Ready (`kind` Delayed or Readied): the current turn, one begun at its place, ends
// now, its combatant waits, and the next turn begins as Next Turn gives it. False when no turn
// begun at its place runs.
bool putOffTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster, TurnKind kind);

// Act Now: `who`, waiting (waitOf), acts at once before the current combatant. Its item moves
// to just before theirs and stays there (OrderEntry::actsBefore); Next Turn then gives the turn
// back to the one it went before, with no second start of turn. A wait from the round before
// is its turn of this round, which starts as a turn does. The current combatant, back at a
// turn it put off (Previous Turn), takes that turn at its place after all. False when `who`
// does not wait or cannot act, or the current turn is itself put off by another.
bool actNow(FightRecord &turn, QList<OrderEntry> &order, roster::Roster &roster, const Combatant &who);

// Put off: Delayed or Readied.
bool isPutOff(TurnKind kind);

// Whom Next Turn gives the turn back to after an act out of turn: the latest combatant an act
// went before (the turn just below the act) whose turn has not been taken up again since, and
// who can act; nobody once a turn begun at its place is reached.
Combatant interrupted(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster);

// The combatant's latest turn when it is a put-off one it may still take out of place, or null.
const TurnRecord *putOffRecord(const FightRecord &turn, const Combatant &who, const QList<OrderEntry> &order);

} // namespace combat
