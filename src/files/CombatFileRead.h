#pragma once

#include "files/platform/FileSystem.h"

#include <QByteArray>
#include <QString>

namespace files {

// Reads the whole ordinary file at `path` into `bytes` and returns "", or returns
// why not as a sentence with "%1" for the file's name: nothing at the path, a
// folder, no ordinary file (a pipe included, without waiting on it), no access, a
// link that is not followed, over MaxCombatFileSize, or a failed read.
QString readCombatFileBytes(const QString &path, QByteArray &bytes);

// Undoes a save of the file at `path` that was cut off part way and clears what
// such saves left beside it. Returns "" when there was nothing to undo, else a
// sentence for the user: the old combat was put back, set aside, or why it could not be.
QString recoverCombatFile(const QString &path);

// What the user must hear of an earlier save of `path` that was cut off: its old combat
// put back, or set aside because the file changed since; "" when neither happened.
QString interruptedSaveNotice(const QString &path, const platform::Result &result);

} // namespace files
