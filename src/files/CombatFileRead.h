#pragma once

#include <QByteArray>
#include <QString>

namespace files {

// Reads the whole ordinary file at `path` into `bytes` and returns "", or returns
// why not as a sentence with "%1" for the file's name: nothing at the path, a
// folder, no ordinary file (a pipe included, without waiting on it), no access,
// over MaxCombatFileSize, or a failed read.
QString readCombatFileBytes(const QString &path, QByteArray &bytes);

// Undoes a save of the file at `path` that was cut off part way and clears what
// such saves left beside it. Returns "" when there was nothing to undo, else a
// sentence for the user: the old combat was put back, or why it could not be.
QString recoverCombatFile(const QString &path);

// That an earlier save of `path` was cut off and its old combat put back.
QString interruptedSaveNotice(const QString &path);

} // namespace files
