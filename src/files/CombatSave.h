#pragma once

#include "roster/Roster.h"

#include <QByteArray>
#include <QString>

namespace files {

struct SaveOutcome
{
    bool ok = false;
    QString error;  // a whole sentence for the user, naming the file and the reason
    QString notice; // saved, but an earlier save of the file that was cut off had to be undone first
};


// Writes all of `bytes` to `path` or nothing at all, and the file stays what it
// was: a link leads to its target (made if missing), an existing file keeps its
// owner, group, permissions, extended attributes, ACLs and hard links. A new file
// beside it is renamed over it where that keeps all of these; otherwise the file
// is written in place after a synced copy of its old content. Any failure (a full
// disk included) leaves an existing file as it was and no file beside it; the
// message names the real cause. A save that was killed part way is undone by the
// next save or load of the file, which then carries a notice.
SaveOutcome saveBytesKeepingTheFile(const QByteArray &bytes, const QString &path);

// The combat file of `roster` at `path`, as saveBytesKeepingTheFile writes it. A combat whose file would be
// over MaxCombatFileSize, which no load accepts, is refused before anything is written.
// `fightSection` (FightSection.h) follows the rows.
SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path, const QString &fightSection = {});

} // namespace files
