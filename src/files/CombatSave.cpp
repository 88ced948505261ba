#include "files/CombatSave.h"

#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CombatWriter.h"
#include "files/StateFile.h"
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

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
                .arg(QDir::toNativeSeparators(path), reason),
            QString()};
}

QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

// What the system counts names and paths in.
#ifdef Q_OS_WIN
const QString NameUnits = QStringLiteral("characters");
#else
const QString NameUnits = QStringLiteral("bytes");
#endif

// The real cause of a refusal, as the rest of a sentence.
QString reason(const platform::Result &result)
{
    using platform::Fault;
    const QString place = QDir::toNativeSeparators(result.place);
    switch (result.fault) {
    case Fault::None:
        break;
    case Fault::Missing:
        return QStringLiteral("the folder \"%1\" does not exist").arg(place);
    case Fault::NotAFolder:
        return QStringLiteral("\"%1\" on its path is a file, not a folder").arg(place);
    case Fault::FolderClosed:
        return QStringLiteral("a folder on its path does not let you in (%1)").arg(result.systemText);
    case Fault::NameTooLong:
        return QStringLiteral("the file name is too long; a name may have at most %1 %2 there")
            .arg(number(result.limit), NameUnits);
    case Fault::PathTooLong:
        return QStringLiteral("the path is too long; a path may have at most %1 %2").arg(number(result.limit), NameUnits);
    case Fault::LinkLoop:
        return QStringLiteral("the link \"%1\" leads round in a loop and never reaches a file").arg(place);
    case Fault::ForeignLink:
        return QStringLiteral("\"%1\" is a link of the user \"%2\", and only your own links are followed. Nothing "
                              "was written; save under another name")
            .arg(place, result.owner);
    case Fault::SharedFolderLink:
        return QStringLiteral("\"%1\" is a link, and others may write the folder \"%2\" on the way to it, so it "
                              "is not followed. Nothing was written; save under another name")
            .arg(place, QDir::toNativeSeparators(result.via));
    case Fault::Busy:
        return QStringLiteral("another program holds a lock on the file, perhaps another Fraymark saving it. Nothing "
                              "was written; save again in a moment");
    case Fault::Unsettled:
        return QStringLiteral("its name kept leading to another file while the save looked. Nothing was written; "
                              "save again");
    case Fault::Unreadable:
        return QStringLiteral("the file may be written but not read, and a save into it must keep its old content "
                              "first. Nothing was written");
    case Fault::SystemLink:
        return QStringLiteral("the way to it goes through \"%1\", a link the system keeps to a file a program has "
                              "open, not a file's name; choose a file")
            .arg(place);
    case Fault::OpenFolder:
        return QStringLiteral("others may rename or replace what the folder \"%1\" on its way holds")
            .arg(QDir::toNativeSeparators(result.via));
    case Fault::NoJournals:
        return QStringLiteral("it must be written into the file itself (it has several names, or is another user's), "
                              "and the record that keeps its old content meanwhile has no place: %1 Nothing was "
                              "written")
            .arg(result.systemText);
    case Fault::JournalFailed:
        return QStringLiteral("it must be written into the file itself, and the record that keeps its old content "
                              "meanwhile could not be written in \"%1\" (%2). Nothing was written")
            .arg(place, result.systemText);
    case Fault::InUse:
        return QStringLiteral("another program has the file open and does not let it be changed. Nothing was "
                              "written; close the file there, or save under another name");
    case Fault::DeviceName:
        return QStringLiteral("\"%1\" is the name of a device, not of a file; choose another name")
            .arg(QFileInfo(place).fileName());
    case Fault::IsFolder:
        return QStringLiteral("that is a folder, not a file");
    case Fault::NotOrdinary:
        return QStringLiteral("that is not a file but a device, a pipe or a socket");
    case Fault::ReadOnly:
        return QStringLiteral("the file is read-only");
    case Fault::OthersFile:
        return QStringLiteral("the file belongs to the user \"%1\", who does not let you change it")
            .arg(result.owner);
    case Fault::FolderReadOnly:
        return QStringLiteral("the folder \"%1\" does not allow creating files (%2)").arg(place, result.systemText);
    case Fault::TooLarge:
        return QStringLiteral("the file there is over 64 MiB, too large to be saved over in place");
    case Fault::Moved:
    case Fault::Failed:
        if (!result.keptCopy.isEmpty())
            return QStringLiteral("%1; the file may be only partly written, and its old content is kept in \"%2\"")
                .arg(result.systemText, QDir::toNativeSeparators(result.keptCopy));
        return result.systemText;
    }
    return QString();
}

} // namespace

SaveOutcome saveBytesKeepingTheFile(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        return {false, QStringLiteral("The combat could not be saved: no file name was given."), QString()};
    QString folderProblem;
    const std::shared_ptr<platform::PrivateFolder> journals = openStateFolder(stateFolderPath(), folderProblem);
    platform::Result result = platform::replaceFileContents(path, bytes, journals.get());
    if (result.fault == platform::Fault::NoJournals)
        result.systemText = folderProblem;
    SaveOutcome outcome = result.ok() ? SaveOutcome{true, QString(), QString()} : failure(path, reason(result));
    outcome.notice = interruptedSaveNotice(path, result);
    return outcome;
}

SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path, const QString &fightSection)
{
    // The section is ASCII: the rows' bytes stay what they are without it.
    const QByteArray bytes = combatFileBytes(roster) + fightSection.toLatin1();
    if (bytes.size() > MaxCombatFileSize) {
        return failure(path, QStringLiteral("its file would be %1 bytes, over the %2 bytes (16 MiB) that a combat "
                                            "file may have. The general note is saved in each of the 19 rows; "
                                            "a shorter note makes the file smaller")
                                 .arg(number(bytes.size()), number(MaxCombatFileSize)));
    }
    return saveBytesKeepingTheFile(bytes, path);
}

} // namespace files
