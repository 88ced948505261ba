#include "files/CombatFileRead.h"

#include "files/CombatFormat.h"
#include "files/platform/FileSystem.h"

#include <QDir>

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
    case Fault::InUse:
        return QStringLiteral("The file \"%1\" is open in another program that does not let it be read.");
    case Fault::DeviceName:
        return QStringLiteral("\"%1\" is the name of a device, not of a combat file.");
    default:
        return QStringLiteral("The file \"%1\" cannot be read: %2.").arg(u"%1", result.systemText);
    }
}

QString interruptedSaveNotice(const QString &path)
{
    return QStringLiteral("An earlier save of \"%1\" was cut off before it ended; the combat it was replacing has "
                          "been put back whole.")
        .arg(QDir::toNativeSeparators(path));
}

QString recoverCombatFile(const QString &path)
{
    const platform::Result result = platform::recoverInterruptedSave(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (result.fault == platform::Fault::Busy)
        return QStringLiteral("\"%1\" is being saved by another Fraymark at this moment; what was read may be "
                              "only partly written.")
            .arg(shown);
    if (!result.ok())
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended, and the combat it was "
                              "replacing could not be put back (%2); it is kept in \"%3\".")
            .arg(shown, result.systemText, QDir::toNativeSeparators(result.keptCopy));
    return result.putBack ? interruptedSaveNotice(path) : QString();
}

} // namespace files
