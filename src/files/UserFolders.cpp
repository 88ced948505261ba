#include "files/UserFolders.h"

#include <QDir>

namespace files {
namespace {

QString fraymarkFolder(const char *xdgVariable, [[maybe_unused]] const char *windowsVariable,
                       [[maybe_unused]] const QString &windowsDefault, [[maybe_unused]] const QString &unixDefault)
{
    QString base = qEnvironmentVariable(xdgVariable);
    auto unset = [&base] { return base.isEmpty() || !QDir::isAbsolutePath(base); };
#ifdef Q_OS_WIN
    if (unset())
        base = QDir::fromNativeSeparators(qEnvironmentVariable(windowsVariable));
    if (unset())
        base = QDir::homePath() + windowsDefault;
#else
    if (unset())
        base = QDir::homePath() + unixDefault;
#endif
    return QDir::cleanPath(base + QStringLiteral("/fraymark"));
}

} // namespace

QString stateFolderPath()
{
    return fraymarkFolder("XDG_STATE_HOME", "LOCALAPPDATA", QStringLiteral("/AppData/Local"),
                          QStringLiteral("/.local/state"));
}

QString configFolderPath()
{
    return fraymarkFolder("XDG_CONFIG_HOME", "APPDATA", QStringLiteral("/AppData/Roaming"),
                          QStringLiteral("/.config"));
}

QString dataFolderPath()
{
    return fraymarkFolder("XDG_DATA_HOME", "APPDATA", QStringLiteral("/AppData/Roaming"),
                          QStringLiteral("/.local/share"));
}

QString libraryFolderPath()
{
    return dataFolderPath() + QStringLiteral("/library");
}

} // namespace files
