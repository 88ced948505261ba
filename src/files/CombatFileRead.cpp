#include "files/CombatFileRead.h"

#include "files/CombatFormat.h"
#include "files/StateFile.h"
#include "files/platform/FileSystem.h"

#include <QDir>

#include <algorithm>
#include <iterator>

namespace files {

namespace {

// Why a combat file could not be read, "%1" standing for its name and "%2" for the
// system's own words.
struct ReadFault
{
    platform::Fault fault;
    const char *sentence;
};

constexpr ReadFault ReadFaults[] = {
    {platform::Fault::Missing, "The file \"%1\" does not exist."},
    {platform::Fault::NotAFolder, "The file \"%1\" does not exist."},
    {platform::Fault::FolderClosed, "The file \"%1\" cannot be reached: a folder on its path does not let you in (%2)."},
    {platform::Fault::IsFolder, "\"%1\" is a folder, not a combat file."},
    {platform::Fault::NotOrdinary, "\"%1\" is not an ordinary file."},
    {platform::Fault::TooLarge, "The file \"%1\" is too large for a combat file (over 16 MiB)."},
    {platform::Fault::InUse, "The file \"%1\" is open in another program that does not let it be read."},
    {platform::Fault::DeviceName, "\"%1\" is the name of a device, not of a combat file."},
    {platform::Fault::ForeignLink, "The way to \"%1\" goes through a link of another user, and only your own "
                                   "links are followed."},
    {platform::Fault::SharedFolderLink, "The way to \"%1\" goes through a link in a folder others may write, so it "
                                        "is not followed."},
    {platform::Fault::LinkLoop, "The way to \"%1\" goes through links that lead round in a loop."},
    {platform::Fault::SystemLink, "\"%1\" leads to a file a program has open, not to a file by its name."},
    {platform::Fault::Busy, "\"%1\" kept changing while it was read: another program is writing it. Load it again "
                            "in a moment."},
};
constexpr const char *OtherReadFault = "The file \"%1\" cannot be read: %2.";

} // namespace

QString readCombatFileBytes(const QString &path, QByteArray &bytes)
{
    const platform::Result result = platform::readWholeFile(path, MaxCombatFileSize, bytes);
    if (result.ok())
        return QString();
    const auto known = std::find_if(std::begin(ReadFaults), std::end(ReadFaults),
                                    [&](const ReadFault &read) { return read.fault == result.fault; });
    const QString sentence = QString::fromUtf8(known != std::end(ReadFaults) ? known->sentence : OtherReadFault);
    // The sentence keeps "%1" for the file's name.
    return sentence.contains(u"%2") ? sentence.arg(u"%1", result.systemText) : sentence;
}

QString interruptedSaveNotice(const QString &path, const platform::Result &result)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QString kept = QDir::toNativeSeparators(result.setAside);
    if (result.putBack)
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended; the combat it was replacing "
                              "has been put back whole.")
            .arg(result.cutSave.isEmpty() ? shown : QDir::toNativeSeparators(result.cutSave));
    if (result.setAside.isEmpty())
        return QString();
    if (result.journalDamaged)
        return QStringLiteral("The record Fraymark keeps of an earlier save of \"%1\" that was cut off is damaged, "
                              "so the file was left as it is. The record is kept in \"%2\".")
            .arg(shown, kept);
    if (!result.cutSave.isEmpty())
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended. \"%2\" now stands where that "
                              "file was on the disk, or has been changed since, so it was left as it is. The combat "
                              "that save was replacing is kept in \"%3\".")
            .arg(QDir::toNativeSeparators(result.cutSave), shown, kept);
    return QStringLiteral("An earlier save of \"%1\" was cut off before it ended, but the file has been changed "
                          "since, so it was left as it is. The combat that save was replacing is kept in \"%2\".")
        .arg(shown, kept);
}

QString recoverCombatFile(const QString &path)
{
    QString problem;
    const std::shared_ptr<platform::PrivateFolder> journals = openStateFolder(stateFolderPath(), problem);
    const platform::Result result = platform::recoverInterruptedSave(path, journals.get());
    const QString shown = QDir::toNativeSeparators(path);
    if (result.fault == platform::Fault::Busy)
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended, and another program holds a "
                              "lock on the file, so the combat that save was replacing could not be put back yet; "
                              "what was loaded may be only partly written. Load it again in a moment.")
            .arg(shown);
    if (!result.ok() && result.keptCopy.isEmpty())
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended, and the combat it was "
                              "replacing could not be put back (%2); its record stays in \"%3\" for the next load.")
            .arg(shown, result.systemText, QDir::toNativeSeparators(journals ? journals->path() : QString()));
    if (!result.ok())
        return QStringLiteral("An earlier save of \"%1\" was cut off before it ended, and the combat it was "
                              "replacing could not be put back (%2); it is kept in \"%3\".")
            .arg(shown, result.systemText, QDir::toNativeSeparators(result.keptCopy));
    return interruptedSaveNotice(path, result);
}

} // namespace files
