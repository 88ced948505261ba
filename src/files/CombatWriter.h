#pragma once

#include "roster/Roster.h"

#include <QByteArray>
#include <QString>

namespace files {

// The whole text of a combat file: one section per row ("[Info0]" .. "[Info18]"),
// each with its twelve key lines, CR LF after every line. Row texts are written
// as they stand; a line break inside one would end its line early, so it becomes
// a blank. The general note is in every section, its line breaks as "(t55)".
QString combatFileText(const roster::Roster &roster);

// The same text as the bytes of the file (see TextEncoding.h).
QByteArray combatFileBytes(const roster::Roster &roster);

} // namespace files
