#pragma once

#include "roster/Roster.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <memory>

namespace files {

struct SaveOutcome
{
    bool ok = false;
    QString error; // a whole sentence for the user, naming the file and the reason
};

// Makes the device a save writes through. The save never writes the target
// itself: it writes a temporary file beside it and renames that over the target
// on commit, so a failure leaves an existing file exactly as it was.
using SaveFileMaker = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;

// A plain QSaveFile on the path.
std::unique_ptr<QSaveFile> makeSaveFile(const QString &path);

// Writes all of `bytes` to `path` or nothing at all.
SaveOutcome saveBytesAtomically(const QByteArray &bytes, const QString &path,
                                const SaveFileMaker &makeFile = makeSaveFile);

// The combat file of `roster` at `path`, atomically.
SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path);
SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path,
                           const SaveFileMaker &makeFile);

} // namespace files
