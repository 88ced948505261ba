#include "files/CombatFileRead.h"

#include "files/CombatFormat.h"
#include "files/platform/FileSystem.h"

namespace files {

QString readCombatFileBytes(const QString &path, QByteArray &bytes)
{
    using platform::Fault;
    const platform::Result result = platform::readWholeFile(path, MaxCombatFileSize, bytes);
    // The sentences keep "%1" for the file's name.
    switch (result.fault) {
    case Fault::None:
        return QString();
    case Fault::Missing:
    case Fault::NotAFolder:
        return QStringLiteral("The file \"%1\" does not exist.");
    case Fault::FolderClosed:
        return QStringLiteral("The file \"%1\" cannot be reached: a folder on its path does not let you in (%2).")
            .arg(u"%1", result.systemText);
    case Fault::IsFolder:
        return QStringLiteral("\"%1\" is a folder, not a combat file.");
    case Fault::NotOrdinary:
        return QStringLiteral("\"%1\" is not an ordinary file.");
    case Fault::TooLarge:
        return QStringLiteral("The file \"%1\" is too large for a combat file (over 16 MiB).");
    default:
        return QStringLiteral("The file \"%1\" cannot be read: %2.").arg(u"%1", result.systemText);
    }
}

} // namespace files
