#pragma once

#include <QString>

// Combatants of one kind told apart by a number after the name: "Wolf", "Wolf 2", "Wolf 3".
// Add Combatants writes these names; group initiative reads them back.
namespace combat {

// A name as it is compared: without surrounding blanks, case folded.
QString nameKey(const QString &name);

// "Wolf 2" for ("Wolf", 2). Add Combatants numbers from 2: the first keeps its bare name.
QString numberedName(const QString &name, int number);

// The key of the kind a name is numbered in: nameKey("Wolf") for "Wolf", "wolf 3" and also
// "Wolf 1" (numbered by hand); empty for a name of blanks, which is nobody's kind.
QString groupKey(const QString &name);

} // namespace combat
