#pragma once

#include "combat/FightingOrder.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

#include <optional>

// Choosing whom a blow or a condition goes to from a few typed keys, and reading the
// amount typed for it.
namespace combat {

// The rows a blow can be aimed at, in the order they fight: the list's items still in the
// fight, then the named, included rows that are not down and have no item (joined since
// the last calculation, or no list yet), top to bottom.
QList<int> targetRows(const QList<OrderEntry> &order, const roster::Roster &roster);

// The first of `rows` that `typed` names, or -1. "#7" names row 7 (1-based). Otherwise,
// ignoring case, the first name equal to the text, else the first that begins with it,
// else the first that contains it, else the first that holds its letters in order with
// others between ("wo2" is "Wolf 2"). Leading and trailing blanks are not read; of a very
// long name only the first 256 characters are searched.
int findTarget(const QList<int> &rows, const roster::Roster &roster, const QString &typed);

// How closely `name` matches `text` (trimmed, not empty) by findTarget's rules, the closest
// kind first: 0 equal, 1 begins with it, 2 contains it, 3 holds its letters in order; -1 none.
inline constexpr int NameMatchKinds = 4;
int nameMatch(QStringView name, const QString &text);

// True when some name of `rows` begins with or contains `typed` as it stands, so a blank
// typed after a name's first word is part of the name rather than a key of its own.
bool continuesSomeName(const QList<int> &rows, const roster::Roster &roster, const QString &typed);


} // namespace combat
