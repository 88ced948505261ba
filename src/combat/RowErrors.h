#pragma once

#include "roster/FieldError.h"

#include <QString>

// Errors that name the row and the text at fault, for the window to show as they are.
// Rows are counted from 1 in the messages, as the user counts them.
namespace combat {

// A value in double quotes for a message, cut after 40 characters with "…" (never
// between the two halves of a surrogate pair): a huge value would drown the sentence.
QString quotedValue(const QString &value);

// "Row 5", "Row 5 (Goblin)" or, with a detail, "Row 5 (Goblin, section [Info4])"
// (rowIndex 4). The name is cut as quotedValue cuts; a blank name is left out.
QString rowPlace(int rowIndex, const QString &name, const QString &detail = QString());

// "Row 5 (Goblin): the initiative "1e999" is out of range."  Located at the row's field.
roster::FieldError initiativeOutOfRange(int rowIndex, const QString &name, const QString &text);
// "Row 5 (Goblin): the hit points "1e999" are out of range."
roster::FieldError hitPointsOutOfRange(int rowIndex, const QString &name, const QString &text);
// "Row 5 (Goblin): the armour class "1e999" is out of range."
roster::FieldError armourClassOutOfRange(int rowIndex, const QString &name, const QString &text);

} // namespace combat
