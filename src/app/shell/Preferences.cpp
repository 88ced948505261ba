#include "app/shell/Preferences.h"

#include "files/ProfileReader.h"
#include "files/UserFolders.h"
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace preferences {
namespace {

const QString FileName = QStringLiteral("fraymark.ini");
const QString Section = QStringLiteral("Initiative");
const QString GroupInitiativeKey = QStringLiteral("GroupInitiative");
// A settings file holds a few lines; anything larger is no file of ours.
constexpr qint64 LargestFile = 64 * 1024;

std::unique_ptr<files::platform::PrivateFolder> openFolder()
{
    std::unique_ptr<files::platform::PrivateFolder> folder;
    if (!files::platform::PrivateFolder::open(files::configFolderPath(), folder).ok())
        return nullptr;
    return folder;
}

} // namespace

bool groupInitiative()
{
    // Nothing chosen yet: no folder is made only to read that.
    if (!QFileInfo::exists(files::configFolderPath()))
        return false;
    const std::unique_ptr<files::platform::PrivateFolder> folder = openFolder();
    QByteArray bytes;
    if (!folder || !folder->readFile(FileName, LargestFile, bytes).ok())
        return false;
    return files::ProfileReader(bytes).ReadIniValue(Section, GroupInitiativeKey).trimmed() == u"true";
}

bool setGroupInitiative(bool on)
{
    const std::unique_ptr<files::platform::PrivateFolder> folder = openFolder();
    const QByteArray bytes = "[Initiative]\r\nGroupInitiative=" + QByteArray(on ? "true" : "false") + "\r\n";
    return folder && folder->writeFile(FileName, bytes).ok();
}

QString fileName()
{
    return QDir::toNativeSeparators(files::configFolderPath() + u'/' + FileName);
}

} // namespace preferences
