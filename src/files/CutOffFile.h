#pragma once

#include "files/ProfileReader.h"

#include <QString>

namespace files {

// Why the combat file in `file` stops before its end, as a sentence with "%1" for
// the file's name; empty when it does not. Only a file of this version, one with a
// check value in a row, can tell: its rows are followed by missing rows, or its
// last row stops before its last key line. A file of an earlier version, without
// check values, is never called cut off.
QString endsEarlyReason(const ProfileReader &file);

} // namespace files
