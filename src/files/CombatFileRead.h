#pragma once

#include <QByteArray>
#include <QString>

namespace files {

// Reads the whole ordinary file at `path` into `bytes` and returns "", or returns
// why not as a sentence with "%1" for the file's name: nothing at the path, a
// folder, no ordinary file (a pipe included, without waiting on it), no access,
// over MaxCombatFileSize, or a failed read.
QString readCombatFileBytes(const QString &path, QByteArray &bytes);

} // namespace files
