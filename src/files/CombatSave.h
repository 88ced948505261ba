#pragma once

#include "roster/Roster.h"

#include <QByteArray>
#include <QString>

namespace files {

struct SaveOutcome
{
    bool ok = false;
    QString error; // a whole sentence for the user, naming the file and the reason
};

// Writes all of `bytes` to `path` or nothing at all. The target is never written
// itself: a new file beside it receives the bytes, is flushed to the disk and then
// renamed over it. Any failure (a full disk included) removes that file and leaves
// an existing target exactly as it was.
SaveOutcome saveBytesAtomically(const QByteArray &bytes, const QString &path);

// The combat file of `roster` at `path`, atomically. A combat whose file would be
// over MaxCombatFileSize, which no load accepts, is refused before anything is written.
SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path);

} // namespace files
