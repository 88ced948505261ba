#include "app/shell/Preferences.h"

#include "files/ProfileReader.h"
#include "files/UserFolders.h"
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

using namespace Qt::StringLiterals;

namespace preferences {
namespace {

const QString FileName = QStringLiteral("fraymark.ini");
const QString InitiativeSection = QStringLiteral("Initiative");
const QString GroupInitiativeKey = QStringLiteral("GroupInitiative");
const QString HitPointsSection = QStringLiteral("Hit Points");
const QString MonstersDieAtZeroKey = QStringLiteral("MonstersDieAtZero");
const QString LibrarySection = QStringLiteral("Library");
const QString FolderKey = QStringLiteral("Folder%1");
const QString ShareSection = QStringLiteral("Share with Players");
const QString PortKey = QStringLiteral("Port");
// More folders than anyone adds by hand; the list read stops at the first number missing.
constexpr int MostLibraryFolders = 100;
// A settings file holds a few lines; anything larger is no file of ours.
constexpr qint64 LargestFile = 64 * 1024;

std::unique_ptr<files::platform::PrivateFolder> openFolder()
{
    std::unique_ptr<files::platform::PrivateFolder> folder;
    if (!files::platform::PrivateFolder::open(files::configFolderPath(), folder).ok())
        return nullptr;
    return folder;
}

// The folders as the file keeps them; `allKept` false when one could not be kept (a line
// break in its path, or past the most the file keeps).
QByteArray librarySection(const QStringList &folders, bool &allKept)
{
    QByteArray bytes = "[" + LibrarySection.toUtf8() + "]\r\n";
    int n = 0;
    for (const QString &folder : folders) {
        if (folder.isEmpty() || folder.contains(u'\n') || folder.contains(u'\r') || n == MostLibraryFolders) {
            allKept = false;
            continue;
        }
        bytes += (FolderKey.arg(++n) + u'=' + folder + u"\r\n"_s).toUtf8();
    }
    return bytes;
}

} // namespace

Choices choices()
{
    // Nothing chosen yet: no folder is made only to read that.
    if (!QFileInfo::exists(files::configFolderPath()))
        return {};
    const std::unique_ptr<files::platform::PrivateFolder> folder = openFolder();
    QByteArray bytes;
    if (!folder || !folder->readFile(FileName, LargestFile, bytes).ok())
        return {};
    files::ProfileReader file(bytes);
    auto on = [&](const QString &section, const QString &key) { return file.ReadIniValue(section, key).trimmed() == u"true"; };
    QStringList folders;
    for (int n = 1; n <= MostLibraryFolders; ++n) {
        const QString folder = file.ReadIniValue(LibrarySection, FolderKey.arg(n));
        if (folder.isEmpty())
            break;
        folders << folder;
    }
    bool isPort = false;
    const int port = file.ReadIniValue(ShareSection, PortKey).trimmed().toInt(&isPort);
    return {on(InitiativeSection, GroupInitiativeKey), on(HitPointsSection, MonstersDieAtZeroKey), folders,
            isPort && port > 0 && port <= 65535 ? port : 0};
}

bool setChoices(const Choices &choices)
{
    const std::unique_ptr<files::platform::PrivateFolder> folder = openFolder();
    auto line = [](const QString &key, bool on) { return (key + (on ? u"=true\r\n"_s : u"=false\r\n"_s)).toUtf8(); };
    bool allKept = true;
    QByteArray bytes = "[" + InitiativeSection.toUtf8() + "]\r\n" + line(GroupInitiativeKey, choices.groupInitiative)
        + "[" + HitPointsSection.toUtf8() + "]\r\n" + line(MonstersDieAtZeroKey, choices.monstersDieAtZero)
        + librarySection(choices.libraryFolders, allKept);
    // Only a port the user chose is kept; the system's choice is the default.
    if (choices.sharePort > 0)
        bytes += "[" + ShareSection.toUtf8() + "]\r\n" + (PortKey + u'=' + QString::number(choices.sharePort) + u"\r\n"_s).toUtf8();
    // A file the reader would refuse is never written: it would lose every choice.
    if (bytes.size() > LargestFile)
        return false;
    return folder && folder->writeFile(FileName, bytes).ok() && allKept;
}

bool setGroupInitiative(bool on)
{
    Choices kept = choices();
    kept.groupInitiative = on;
    return setChoices(kept);
}

bool setMonstersDieAtZero(bool on)
{
    Choices kept = choices();
    kept.monstersDieAtZero = on;
    return setChoices(kept);
}

bool setLibraryFolders(const QStringList &folders)
{
    Choices kept = choices();
    kept.libraryFolders = folders;
    return setChoices(kept);
}

bool setSharePort(int port)
{
    Choices kept = choices();
    kept.sharePort = port;
    return setChoices(kept);
}

QString fileName()
{
    return QDir::toNativeSeparators(files::configFolderPath() + u'/' + FileName);
}

} // namespace preferences
