#pragma once

#include "roster/Roster.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace combat {

// One line of the list: initiative text, " - ", the name exactly as typed.
// Initiatives from 0 to 9 get a leading "0" ("05 - Orc"); others are written plainly.
QString orderItemText(double initiative, const QString &name);

// A combatant: the row and who it held (roster::Row::serial), which a rename does not change.
struct Combatant
{
    int row = -1; // -1: nobody
    quint32 serial = 0;

    bool isNobody() const { return row < 0; }
    bool operator==(const Combatant &) const = default;
};

// One line of the list with the row it stands for (0-based), so that the line can be
// traced back to its combatant after the rows change.
struct OrderEntry
{
    int row;
    QString text;
    QString name; // the row's name when the order was calculated
    quint32 serial = 0; // the row's combatant then (roster::Row::serial)
    double highest = 0; // the most hit points the combatant has had since it entered the fight
    // What places the combatant among equals: its initiative and modifier when the order was
    // calculated, and the place the game master gave it among those equal to it by a move
    // (1 the first; 0 none, and its text decides).
    double initiative = 0;
    int modifier = 0;
    int settled = 0;
    // The combatant it acted just before out of turn (Act Now), whom it goes on to precede
    // while its initiative and modifier stay what they were; nobody for none.
    Combatant actsBefore = {};

    bool operator==(const OrderEntry &) const = default;
};

// The combatant an item stands for.
Combatant combatantOf(const OrderEntry &item);

// The item of `combatant` in `order`, or -1.
int itemOf(const QList<OrderEntry> &order, const Combatant &combatant);

// The initiative modifier that breaks a tie: the one in brackets of a rolled total
// ("17 (+3)") or the field's own ("+3"); 0 for a field with none ("14").
int tieModifier(const QString &initiativeField);

// Whether two items stand equal: the same initiative and modifier.
bool tied(const OrderEntry &a, const OrderEntry &b);

// A row in the fight: named, included and not down.
bool takesPart(const roster::Row &row);

// The whole list, top to bottom, for every row that takes part: include flag not 0,
// not down, name not empty (blanks count as a name). Highest initiative first, compared
// as numbers; equal initiatives by the higher modifier (tieModifier); still equal, in the
// places a move settled among them in `before` (the list as it was) while their initiative
// and modifier stay what they were, then by item text descending, case-insensitively first.
// An item that acted before another out of turn (actsBefore) stands just before it, while its
// own initiative and modifier are still what they were in `before`.
// Throws roster::FieldError (Overflow) with the message
// "Row 5 (Orc): the initiative "1e999" is out of range." when an initiative does not fit a double.
QList<OrderEntry> fightingOrderEntries(const roster::Roster &roster, const QList<OrderEntry> &before = {});

// Moves item `item` one place up (`step` -1) or down (+1); false when there is no place.
// Between equals the places of the whole run of equals are settled, so that the next
// calculation keeps them; any other move holds until the order is calculated again. The two
// items moved no longer keep a place before another (actsBefore).
bool moveItem(QList<OrderEntry> &order, int item, int step);

} // namespace combat
