#pragma once

#include "roster/Row.h"

#include <QString>

// How the program names a row to the user: counted from 1, as the user counts them.
namespace roster {

// "Row 3"
inline QString rowLabel(int index)
{
    return QStringLiteral("Row ") + QString::number(index + 1);
}

// "Row 3 HP": one of a row's controls, as screen readers and the Edit menu's steps call it.
inline QString rowFieldLabel(int index, const QString &what)
{
    return rowLabel(index) + u' ' + what;
}

// The row's name, or "Row 3" while the name is blank: how a line about the row names it.
inline QString nameOrRowLabel(const Row &row, int index)
{
    return row.name.trimmed().isEmpty() ? rowLabel(index) : row.name;
}

} // namespace roster
