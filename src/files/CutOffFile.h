#pragma once

#include "files/ProfileReader.h"

#include <QString>

#include <optional>

namespace files {

// Where a combat file stops short. Every writer, this one and the older ones, ends
// each line with CR LF, the last one included; a last line without one is a file cut
// short (a full disk, a crash, a copy broken off). A file that stops at a line end
// cannot be told from a hand-written one and is not called cut.
struct CutOff
{
    int row = -1;               // the row whose section the cut falls in; -1: no row's
    QString key;                // the key line it falls in; empty: unknown, or the section line
    bool inSectionLine = false; // the cut row's section line itself was cut
};

// The cut of the file read by `file`, if its last line has no line end. A last line
// of blanks alone cuts nothing.
std::optional<CutOff> findCutOff(const ProfileReader &file);

// True when the missing check value of `row`, which brings the old-version warning,
// is the cut's doing: the row's "Check" line or whole section was lost to it.
bool checkLostToCut(const CutOff &cut, const ProfileReader &file, int row);

// Tells the user where the file `shownPath` ends, what was left empty because of it,
// and to keep a copy before saving over it.
QString cutOffNotice(const CutOff &cut, const ProfileReader &file, const QString &shownPath);

} // namespace files
