#pragma once

#include "roster/Roster.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace combat {

// One line of the list: initiative text, " - ", the name exactly as typed.
// Initiatives from 0 to 9 get a leading "0" ("05 - Orc"); others are written plainly.
QString orderItemText(double initiative, const QString &name);

// One line of the list with the row it stands for (0-based), so that the line can be
// traced back to its combatant after the rows change.
struct OrderEntry
{
    int row;
    QString text;
    QString name; // the row's name when the order was calculated
    quint32 serial = 0; // the row's combatant then (roster::Row::serial)
    double highest = 0; // the most hit points the combatant has had since it entered the fight

    bool operator==(const OrderEntry &) const = default;
};

// The whole list, top to bottom, for every row that takes part: include flag not 0,
// not down, name not empty (blanks count as a name). Highest initiative first, compared
// as numbers; equal initiatives by item text descending, case-insensitively first.
// Throws roster::FieldError (Overflow) with the message
// "Row 5 (Orc): the initiative "1e999" is out of range." when an initiative does not fit a double.
// A row in the fight: named, included and not down.
bool takesPart(const roster::Row &row);

QList<OrderEntry> fightingOrderEntries(const roster::Roster &roster);

} // namespace combat
