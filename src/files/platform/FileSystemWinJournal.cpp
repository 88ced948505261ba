// A save into the file itself, for a file a new one in its place would change (a file of
// several names, another's file), and the journal that makes it whole or nothing. The
// journal lives in the user's state folder (%LOCALAPPDATA%\fraymark), named after the
// file's volume serial number and file index, which all its names share, and holds the
// old content and the new with their sizes and checksums, on the disk before the file is
// touched. It is written as the POSIX layer writes its own, and only ever trusted to put
// back what its own save cut.
#include "files/platform/FileSystemWinParts.h"

#include <QCryptographicHash>
#include <QDateTime>

namespace files::platform::win {
namespace {

constexpr char JournalMagic[] = "Fraymark journal 2\n";
// The most old content a journal keeps: a save over anything larger is refused.
constexpr qint64 LargestSavedOver = qint64(64) << 20;
constexpr qint64 LargestJournal = 2 * LargestSavedOver + 4096;

quint64 indexOf(const BY_HANDLE_FILE_INFORMATION &file)
{
    return (quint64(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
}

QString journalName(const BY_HANDLE_FILE_INFORMATION &file)
{
    return QStringLiteral("journal-%1-%2").arg(qulonglong(file.dwVolumeSerialNumber), 0, 16).arg(indexOf(file), 0, 16);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16).rightJustified(16, '0');
}

QByteArray sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// "volume index oldSize oldHash newSize newHash", then the old content and the new.
QByteArray journalBytes(const BY_HANDLE_FILE_INFORMATION &file, const QByteArray &old, const QByteArray &fresh)
{
    return JournalMagic + hex(file.dwVolumeSerialNumber) + ' ' + hex(indexOf(file)) + ' ' + hex(quint64(old.size()))
        + ' ' + sha256(old) + ' ' + hex(quint64(fresh.size())) + ' ' + sha256(fresh) + '\n' + old + fresh;
}

// The old and new content of a whole journal of the file `file`; false for anything else.
bool readJournal(const QByteArray &journal, const BY_HANDLE_FILE_INFORMATION &file, QByteArrayView &old,
                 QByteArrayView &fresh)
{
    const qsizetype magic = qsizetype(sizeof JournalMagic - 1);
    const qsizetype headerEnd = journal.indexOf('\n', magic);
    if (!journal.startsWith(JournalMagic) || headerEnd < 0)
        return false;
    const QList<QByteArray> fields = journal.sliced(magic, headerEnd - magic).split(' ');
    bool ok[4] = {};
    if (fields.size() != 6 || fields[0].toULongLong(&ok[0], 16) != file.dwVolumeSerialNumber
        || fields[1].toULongLong(&ok[1], 16) != indexOf(file))
        return false;
    const qulonglong oldSize = fields[2].toULongLong(&ok[2], 16);
    const qulonglong freshSize = fields[4].toULongLong(&ok[3], 16);
    const qsizetype body = headerEnd + 1;
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || oldSize > qulonglong(journal.size())
        || freshSize != qulonglong(journal.size() - body) - oldSize)
        return false;
    old = QByteArrayView(journal).sliced(body, qsizetype(oldSize));
    fresh = QByteArrayView(journal).sliced(body + qsizetype(oldSize));
    return sha256(old) == fields[3] && sha256(fresh) == fields[5];
}

// The file holds a cut of the save: the new bytes written from its start up to where the
// save was killed, and the old ones after that (a write past the old end leaves nothing
// after it; the old end stays until the new content is whole).
bool isCutOfTheSave(QByteArrayView now, QByteArrayView old, QByteArrayView fresh)
{
    if (now.size() > old.size())
        return now.size() <= fresh.size() && now == fresh.first(now.size());
    if (now.size() < old.size())
        return false;
    qsizetype written = 0;
    const qsizetype longest = qMin(now.size(), fresh.size());
    while (written < longest && now[written] == fresh[written])
        ++written;
    return now.sliced(written) == old.sliced(written);
}

// Keeps `old` (a combat the file held) as a file of its own in `journals`, for the user to
// load; its path, or empty when even that fails.
QString setAside(const PrivateFolder &journals, const Target &target, const QByteArray &old)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString name = target.name().left(100);
    for (int n = 1; n < 100; ++n) {
        const QString kept = QStringLiteral("set aside %1%2 %3")
                                 .arg(stamp, n > 1 ? QStringLiteral(" (%1)").arg(n) : QString(), name);
        qint64 size = 0;
        if (journals.fileSize(kept, size).fault != Fault::Missing)
            continue;
        return journals.writeFile(kept, old).ok() ? journals.path() + u'/' + kept : QString();
    }
    return QString();
}

} // namespace

Result replaceInPlace(const Target &target, HANDLE file, const QByteArray &bytes, const PrivateFolder &journals)
{
    BY_HANDLE_FILE_INFORMATION info{};
    QByteArray old;
    if (!::GetFileInformationByHandle(file, &info) || !readAt(file, 0, LargestSavedOver, old)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_TOO_LARGE ? failed(Fault::TooLarge, target.path)
                                             : failed(Fault::Failed, target.path, error);
    }
    const QString name = journalName(info);
    if (Result written = journals.writeFile(name, journalBytes(info, old, bytes)); !written.ok())
        return written;
    if (writeWhole(file, bytes)) {
        journals.removeFile(name);
        return {};
    }
    Result result = failed(Fault::Failed, target.path, ::GetLastError());
    if (writeWhole(file, old))
        journals.removeFile(name);
    else
        result.keptCopy = setAside(journals, target, old); // the journal stays for the next load
    return result;
}

Result settleJournal(const Target &target, HANDLE file, const PrivateFolder &journals)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return failed(Fault::Failed, target.path, ::GetLastError());
    const QString name = journalName(info);
    QByteArray journal;
    const Result read = journals.readFile(name, LargestJournal, journal);
    if (read.fault == Fault::Missing)
        return {};
    QByteArray now;
    if (!readAt(file, 0, LargestJournal, now))
        return failed(Fault::Failed, target.path, ::GetLastError());
    QByteArrayView old, fresh;
    Result result;
    bool settled = true; // the journal has nothing more to give
    if (!read.ok() || !readJournal(journal, info, old, fresh)) {
        // Damaged on the disk: kept whole for the user, never trusted.
        result.setAside = setAside(journals, target, journal);
        settled = !result.setAside.isEmpty();
    } else if (now == old || now == fresh) {
        // The save never began, or it ended.
    } else if (isCutOfTheSave(now, old, fresh)) {
        if (!writeWhole(file, old.toByteArray())) {
            result = failed(Fault::Failed, target.path, ::GetLastError());
            result.keptCopy = setAside(journals, target, old.toByteArray());
            return result; // the journal stays, for the next load to try again
        }
        result.putBack = true;
    } else {
        // Another program wrote the file, another save finished, or the index is another
        // file's now: the file is not the journal's to change.
        result.setAside = setAside(journals, target, old.toByteArray());
        settled = !result.setAside.isEmpty();
    }
    // A journal whose content could not be kept aside stays, for the next load to try again.
    if (settled)
        journals.removeFile(name);
    return result;
}

} // namespace files::platform::win
