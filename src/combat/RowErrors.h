#pragma once

#include "roster/FieldError.h"

#include <QString>

// Errors that name the row and the text at fault, for the window to show as they are.
// Rows are counted from 1 in the messages, as the user counts them.
namespace combat {

// "Row 5: the initiative 1e999 is out of range."  (rowIndex 4)
roster::FieldError initiativeOutOfRange(int rowIndex, const QString &text);
// "Row 5: the hit points 1e999 are out of range."
roster::FieldError hitPointsOutOfRange(int rowIndex, const QString &text);
// "Row 5: the armour class 1e999 is out of range."
roster::FieldError armourClassOutOfRange(int rowIndex, const QString &text);

} // namespace combat
