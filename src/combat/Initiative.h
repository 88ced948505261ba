#pragma once

#include "combat/Dice.h"
#include "combat/Rolls.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

#include <optional>

// Rolling initiative into the Current Initiative fields. A field holds a modifier to roll
// with ("+3", "-1", "+3 dex", or nothing, which is "+0"), a rolled total with its modifier
// in brackets ("17 (+3)", rolled again from the brackets), or a number of its own that a
// player rolled at the table ("15"), which stays. The number at the start is what the
// fighting order sorts by.
namespace combat {

struct InitiativeModifier
{
    QString text; // as typed, trimmed: "+3 dex"
    int value = 0;
};

// The modifier a field rolls with; none for a number of its own or any other text.
std::optional<InitiativeModifier> initiativeModifier(const QString &fieldText);

// "17 (+3 dex)".
QString rolledInitiative(int total, const InitiativeModifier &modifier);

struct InitiativeRolls
{
    roster::Roster roster;
    QList<RollRecord> records; // one per row rolled or passed over for its text, top to bottom
};

// Rolls for every row that takes part in the fight (named, included, not down) and whose
// field rolls; `monstersOnly` leaves the players' characters ("[PC]" in the note) alone.
InitiativeRolls rollInitiative(const roster::Roster &roster, Dice &dice, bool monstersOnly);

} // namespace combat
