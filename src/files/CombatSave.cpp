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

// What a refusal's sentence says besides the place ("{place}"): "{detail}" is one of these.
enum class Detail { None, Owner, Via, System, Limit, FileName };

struct SaveFault
{
    platform::Fault fault;
    Detail detail;
    const char *sentence; // the rest of "The combat could not be saved to …: "
};

constexpr SaveFault SaveFaults[] = {
    {platform::Fault::Missing, Detail::None, "the folder \"{place}\" does not exist"},
    {platform::Fault::NotAFolder, Detail::None, "\"{place}\" on its path is a file, not a folder"},
    {platform::Fault::FolderClosed, Detail::System, "a folder on its path does not let you in ({detail})"},
    {platform::Fault::NameTooLong, Detail::Limit, "the file name is too long; a name may have at most {detail} there"},
    {platform::Fault::PathTooLong, Detail::Limit, "the path is too long; a path may have at most {detail}"},
    {platform::Fault::LinkLoop, Detail::None, "the link \"{place}\" leads round in a loop and never reaches a file"},
    {platform::Fault::ForeignLink, Detail::Owner,
     "\"{place}\" is a link of the user \"{detail}\", and only your own links are followed. Nothing was written; "
     "save under another name"},
    {platform::Fault::SharedFolderLink, Detail::Via,
     "\"{place}\" is a link, and others may write the folder \"{detail}\" on the way to it, so it is not followed. "
     "Nothing was written; save under another name"},
    {platform::Fault::OpenFolder, Detail::Via,
     "others may rename or replace what the folder \"{detail}\" on its way holds"},
    {platform::Fault::Busy, Detail::None,
     "another program holds a lock on the file, perhaps another Fraymark saving it. Nothing was written; save again "
     "in a moment"},
    {platform::Fault::Unsettled, Detail::None,
     "its name kept leading to another file while the save looked. Nothing was written; save again"},
    {platform::Fault::Unreadable, Detail::None,
     "the file may be written but not read, and a save into it must keep its old content first. Nothing was written"},
    {platform::Fault::SystemLink, Detail::None,
     "the way to it goes through \"{place}\", a link the system keeps to a file a program has open, not a file's "
     "name; choose a file"},
    {platform::Fault::NoJournals, Detail::System,
     "it must be written into the file itself (it has several names, or is another user's), and the record that "
     "keeps its old content meanwhile has no place: {detail} Nothing was written"},
    {platform::Fault::JournalFailed, Detail::System,
     "it must be written into the file itself, and the record that keeps its old content meanwhile could not be "
     "written in \"{place}\" ({detail}). Nothing was written"},
    {platform::Fault::InUse, Detail::None,
     "another program has the file open and does not let it be changed. Nothing was written; close the file there, "
     "or save under another name"},
    {platform::Fault::DeviceName, Detail::FileName,
     "\"{detail}\" is the name of a device, not of a file; choose another name"},
    {platform::Fault::IsFolder, Detail::None, "that is a folder, not a file"},
    {platform::Fault::NotOrdinary, Detail::None, "that is not a file but a device, a pipe or a socket"},
    {platform::Fault::ReadOnly, Detail::None, "the file is read-only"},
    {platform::Fault::OthersFile, Detail::Owner,
     "the file belongs to the user \"{detail}\", who does not let you change it"},
    {platform::Fault::FolderReadOnly, Detail::System, "the folder \"{place}\" does not allow creating files ({detail})"},
    {platform::Fault::TooLarge, Detail::None, "the file there is over 64 MiB, too large to be saved over in place"},
};

QString detailOf(const platform::Result &result, Detail detail)
{
    switch (detail) {
    case Detail::None:
        break;
    case Detail::Owner:
        return result.owner;
    case Detail::Via:
        return QDir::toNativeSeparators(result.via);
    case Detail::System:
        return result.systemText;
    case Detail::Limit:
        return number(result.limit) + u' ' + NameUnits;
    case Detail::FileName:
        return QFileInfo(QDir::toNativeSeparators(result.place)).fileName();
    }
    return QString();
}

// `sentence` with its "{place}" and "{detail}" filled in, in one pass: what they hold is
// never read as more of the sentence.
QString filled(const QString &sentence, const QString &place, const QString &detail)
{
    QString text;
    for (qsizetype at = 0; at < sentence.size();) {
        if (sentence.sliced(at).startsWith(u"{place}")) {
            text += place;
            at += 7;
        } else if (sentence.sliced(at).startsWith(u"{detail}")) {
            text += detail;
            at += 8;
        } else {
            text += sentence[at++];
        }
    }
    return text;
}

// The real cause of a refusal, as the rest of a sentence.
QString reason(const platform::Result &result)
{
    for (const SaveFault &known : SaveFaults) {
        if (known.fault == result.fault)
            return filled(QString::fromUtf8(known.sentence), QDir::toNativeSeparators(result.place),
                          detailOf(result, known.detail));
    }
    // Failed, Moved: the system's own words.
    if (!result.keptCopy.isEmpty())
        return QStringLiteral("%1; the file may be only partly written, and its old content is kept in \"%2\"")
            .arg(result.systemText, QDir::toNativeSeparators(result.keptCopy));
    return result.systemText;
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
