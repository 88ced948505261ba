#include "files/Library.h"

#include "combat/StatBlock.h"
#include "combat/Targets.h"
#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/ProfileReader.h"
#include "files/TextEncoding.h"
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <memory>

namespace files {
namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void readStatBlockFile(const QString &path, const QByteArray &bytes, LibraryIndex &index)
{
    qsizetype found = 0;
    for (const combat::StatBlock &block : combat::readStatBlocks(decodeCombatText(bytes))) {
        if (block.row.name.trimmed().isEmpty())
            continue;
        index.entries.append({block.row.name, block.row, path});
        ++found;
    }
    if (found == 0)
        index.unreadable << QStringLiteral("The file \"%1\" holds no stat block.").arg(shown(path));
}

void readSavedCombat(const QString &path, const QByteArray &bytes, LibraryIndex &index)
{
    const ProfileReader reader(bytes);
    bool anyRow = false;
    for (int r = 0; r < roster::RowCount && !anyRow; ++r)
        anyRow = reader.hasSection(rowSectionName(r));
    if (!anyRow) {
        index.unreadable << QStringLiteral("The file \"%1\" is not a combat file: it has none of the sections "
                                           "[Info0] to [Info18].")
                                .arg(shown(path));
        return;
    }
    const LoadOutcome loaded = loadCombat(reader, roster::Roster());
    if (loaded.status != LoadOutcome::Status::Loaded) {
        index.unreadable << QStringLiteral("The combat \"%1\" could not be read: %2").arg(shown(path), loaded.message);
        return;
    }
    qsizetype found = 0;
    for (const roster::Row &row : loaded.roster.rows) {
        if (row.name.trimmed().isEmpty())
            continue;
        index.entries.append({row.name, row, path});
        ++found;
    }
    if (found == 0)
        index.unreadable << QStringLiteral("The combat \"%1\" has no named combatants.").arg(shown(path));
}

void readLibraryFile(const QFileInfo &info, LibraryIndex &index)
{
    const QString path = info.filePath();
    const QString tooLarge = QStringLiteral("The file \"%1\" is over 1 MiB, too large for a library file.");
    if (info.size() > LargestLibraryFile) {
        index.unreadable << tooLarge.arg(shown(path));
        return;
    }
    QByteArray bytes;
    if (const QString reason = readCombatFileBytes(path, bytes); !reason.isEmpty()) {
        index.unreadable << reason.arg(shown(path));
        return;
    }
    if (bytes.size() > LargestLibraryFile) { // it grew since it was listed
        index.unreadable << tooLarge.arg(shown(path));
        return;
    }
    if (info.suffix().compare(u"ini", Qt::CaseInsensitive) == 0)
        readSavedCombat(path, bytes, index);
    else
        readStatBlockFile(path, bytes, index);
}

void readFolder(const QString &folder, LibraryIndex &index)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return;
    if (!info.isDir()) {
        index.unreadable << QStringLiteral("\"%1\" is a file, not a library folder.").arg(shown(folder));
        return;
    }
    if (!info.isReadable() || !info.isExecutable()) {
        index.unreadable << QStringLiteral("The library folder \"%1\" does not let you in.").arg(shown(folder));
        return;
    }
    // Ordinary files and links to them; hidden ones are left, such as a save's file in the making.
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.txt"), QStringLiteral("*.ini")},
                                                           QDir::Files, QDir::Name);
    for (const QFileInfo &file : files)
        readLibraryFile(file, index);
}

// The Windows names of devices, which no file may take, whatever follows a dot.
bool isDeviceName(const QString &name)
{
    static const QStringList devices = [] {
        QStringList names{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"), QStringLiteral("NUL")};
        for (int n = 1; n <= 9; ++n)
            names << QStringLiteral("COM%1").arg(n) << QStringLiteral("LPT%1").arg(n);
        return names;
    }();
    return devices.contains(name.section(u'.', 0, 0).trimmed(), Qt::CaseInsensitive);
}

// A file name's bytes stay under the 255 Linux allows, with room for " 999.txt".
constexpr qsizetype LongestNameBytes = 200;

LibrarySave refusal(const QString &path, const QString &reason)
{
    return {false, QString(),
            QStringLiteral("The stat block could not be saved to \"%1\": %2").arg(shown(path), reason)};
}

} // namespace

LibraryIndex indexLibrary(const QStringList &folders)
{
    LibraryIndex index;
    QSet<QString> seen;
    for (const QString &folder : folders) {
        const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
        if (folder.isEmpty() || seen.contains(clean))
            continue;
        seen.insert(clean);
        readFolder(clean, index);
    }
    std::stable_sort(index.entries.begin(), index.entries.end(), [](const LibraryEntry &a, const LibraryEntry &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return index;
}

QList<int> searchLibrary(const QList<LibraryEntry> &entries, const QString &typed)
{
    const QString text = typed.trimmed();
    QList<int> found;
    if (text.isEmpty()) {
        found.reserve(entries.size());
        for (int i = 0; i < entries.size(); ++i)
            found.append(i);
        return found;
    }
    std::array<QList<int>, combat::NameMatchKinds> byKind;
    for (int i = 0; i < entries.size(); ++i) {
        if (const int kind = combat::nameMatch(entries.at(i).name, text); kind >= 0)
            byKind[static_cast<std::size_t>(kind)].append(i);
    }
    for (const QList<int> &kind : byKind)
        found.append(kind);
    return found;
}

QString libraryFileName(const QString &name)
{
    static const QString pathSigns = QStringLiteral("<>:\"/\\|?*");
    QString safe;
    for (const QChar c : name.simplified())
        safe += c.unicode() < 0x20 || c.unicode() == 0x7f || pathSigns.contains(c) ? QChar(u'_') : c;
    while (safe.startsWith(u'.') || safe.startsWith(u' '))
        safe.remove(0, 1); // a leading dot hides the file on Linux
    while (safe.toUtf8().size() > LongestNameBytes) {
        safe.chop(1);
        if (!safe.isEmpty() && safe.back().isHighSurrogate())
            safe.chop(1);
    }
    while (safe.endsWith(u'.') || safe.endsWith(u' '))
        safe.chop(1); // Windows drops them, and the name would be another's
    if (safe.isEmpty())
        return QStringLiteral("Unnamed");
    return isDeviceName(safe) ? QChar(u'_') + safe : safe;
}

LibrarySave saveToLibrary(const roster::Row &row, const QString &folder)
{
    const QString base = libraryFileName(row.name);
    if (!QFileInfo::exists(folder)) {
        std::unique_ptr<platform::PrivateFolder> made;
        if (const platform::Result result = platform::PrivateFolder::open(folder, made); !result.ok())
            return refusal(folder + u'/' + base + QStringLiteral(".txt"),
                           QStringLiteral("its folder could not be made (%1).")
                               .arg(result.systemText.isEmpty() ? shown(result.place) : result.systemText));
    }
    const QByteArray bytes = combat::statBlockText(row).toUtf8();
    for (int n = 1; n < 1000; ++n) {
        const QString path = folder + u'/' + base + (n == 1 ? QString() : QStringLiteral(" %1").arg(n))
            + QStringLiteral(".txt");
        const QFileInfo taken(path);
        if (taken.exists() || taken.isSymLink())
            continue;
        // A new file, made only where nothing is, and written through the handle that made it:
        // a file or a link put at the name meanwhile is never written over or through.
        QFile made(path);
        if (!made.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
                continue;
            return refusal(path, made.errorString() + u'.');
        }
        if (made.write(bytes) != bytes.size() || !made.flush()) {
            const QString why = made.errorString();
            made.close();
            made.remove();
            return refusal(path, why + u'.');
        }
        made.close();
        return {true, path, QString()};
    }
    return refusal(folder + u'/' + base + QStringLiteral(".txt"),
                   QStringLiteral("999 files of that name are there already."));
}

} // namespace files
