#include "files/CombatSave.h"

#include "files/CombatWriter.h"

#include <QDir>
#include <QFileInfo>

namespace files {
namespace {

SaveOutcome failure(const QString &path, QString reason)
{
    while (reason.endsWith(u'.'))
        reason.chop(1);
    if (reason.isEmpty())
        reason = QStringLiteral("an unknown error");
    return {false,
            QStringLiteral("The combat could not be saved to \"%1\": %2.")
                .arg(QDir::toNativeSeparators(path), reason)};
}

// The reasons we can name before touching the disk; empty when there is none.
QString reasonNotToTry(const QString &path)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("that is a folder, not a file");
    if (target.exists() && !target.isFile())
        return QStringLiteral("that is not an ordinary file");
    if (target.exists() && !target.isWritable())
        return QStringLiteral("the file is read-only");
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("the folder \"%1\" does not exist")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    return QString();
}

} // namespace

std::unique_ptr<QSaveFile> makeSaveFile(const QString &path)
{
    return std::make_unique<QSaveFile>(path);
}

SaveOutcome saveBytesAtomically(const QByteArray &bytes, const QString &path,
                                const SaveFileMaker &makeFile)
{
    if (path.isEmpty())
        return {false, QStringLiteral("The combat could not be saved: no file name was given.")};
    if (const QString reason = reasonNotToTry(path); !reason.isEmpty())
        return failure(path, reason);

    const std::unique_ptr<QSaveFile> file = makeFile(path);
    if (!file->open(QIODevice::WriteOnly))
        return failure(path, file->errorString());
    if (file->write(bytes) != bytes.size()) {
        const QString reason = file->errorString();
        file->cancelWriting();
        return failure(path, reason);
    }
    if (!file->commit())
        return failure(path, file->errorString());
    return {true, QString()};
}

SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path)
{
    return saveBytesAtomically(combatFileBytes(roster), path);
}

SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path,
                           const SaveFileMaker &makeFile)
{
    return saveBytesAtomically(combatFileBytes(roster), path, makeFile);
}

} // namespace files
