#pragma once

#include "combat/Dice.h"
#include "combat/Rolls.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

#include <optional>

// Rolling initiative into the Current Initiative fields. A field holds a modifier to roll
// with ("+3", "-1", "+3 dex", or nothing, which is "+0"), a rolled total with its modifier
// in brackets ("17 (+3)"), or a number of its own that a player rolled at the table ("15"),
// which stays. The number at the start is what the fighting order sorts by.
namespace combat {

struct InitiativeModifier
{
    QString text; // as typed, trimmed: "+3 dex"
    int value = 0;
    std::optional<int> rolledTotal; // the field holds a total rolled with it: 17 of "17 (+3)"
};

// The modifier a field rolls with; none for a number of its own or any other text.
std::optional<InitiativeModifier> initiativeModifier(const QString &fieldText);

// "17 (+3 dex)".
QString rolledInitiative(int total, const InitiativeModifier &modifier);

// Whom a roll of initiative is for, and how.
struct InitiativeChoice
{
    bool monstersOnly = false; // the players' characters ("[PC]" in the note) are left alone
    bool again = false;        // rolled totals roll again from their brackets; else they stay
    // One d20 for each kind of combatant numbered as a group ("Wolf", "Wolf 2"): see groupKey.
    bool groups = false;
    QList<int> rows = {}; // only these rows; empty, every row
};

// A row in the fight whose initiative is still to be rolled or typed: its field empty or a
// modifier alone ("+1"), not a total ("17 (+1)") nor a number of the player's own ("14").
bool awaitsInitiative(const roster::Row &row);

// What a whole number typed as a player rolled it writes into a field that holds `field`:
// "17", or with a modifier known "17 (+1)"; none for anything but a whole number.
std::optional<QString> typedInitiative(const QString &field, const QString &typed);

struct InitiativeRolls
{
    roster::Roster roster;
    QList<RollRecord> records; // one per roll or row passed over for its text, top to bottom
};

// Rolls for every row that takes part in the fight (named, included, not down) and whose
// field holds nothing or a modifier, or also a rolled total when `again`.
InitiativeRolls rollInitiative(const roster::Roster &roster, Dice &dice, const InitiativeChoice &choice);

} // namespace combat
