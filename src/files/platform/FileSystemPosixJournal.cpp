// A save into the file itself, for a file a rename would change (a hard-linked file,
// another's file), and the journal that makes it whole or nothing. The journal lives in
// the user's private folder, named after the file's device and inode, and holds the old
// content and the new, with their sizes and checksums, on the disk before the file is
// touched. It is only ever trusted to put back what its own save cut.
#include "files/platform/FileSystemPosixParts.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <cerrno>
#include <optional>

#include <fcntl.h>

namespace files::platform::posix {
namespace {

constexpr char JournalMagic[] = "Fraymark journal 3\n";
// The most old content a journal keeps: a save over anything larger is refused.
constexpr qint64 LargestSavedOver = qint64(64) << 20;
constexpr qint64 LargestJournal = 2 * LargestSavedOver + 4096;

QString journalName(const struct stat &file)
{
    return QStringLiteral("journal-%1-%2").arg(qulonglong(file.st_dev), 0, 16).arg(qulonglong(file.st_ino), 0, 16);
}

QByteArray hex(qulonglong value)
{
    return QByteArray::number(value, 16).rightJustified(16, '0');
}

QByteArray sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// "dev ino oldSize oldHash newSize newHash path", then the old content and the new; the
// path the save was given, percent-encoded, names that file in what the user is told.
QByteArray journalBytes(const struct stat &file, const QByteArray &path, const QByteArray &old,
                        const QByteArray &fresh)
{
    return JournalMagic + hex(file.st_dev) + ' ' + hex(file.st_ino) + ' ' + hex(qulonglong(old.size())) + ' '
        + sha256(old) + ' ' + hex(qulonglong(fresh.size())) + ' ' + sha256(fresh) + ' ' + path.toPercentEncoding()
        + '\n' + old + fresh;
}

// A whole journal of the file `file`, read.
struct Journal
{
    QByteArrayView old;
    QByteArrayView fresh;
    QByteArray path;
};

// The journal in `bytes`; nothing for anything else.
std::optional<Journal> readJournal(const QByteArray &bytes, const struct stat &file)
{
    const qsizetype headerEnd = bytes.indexOf('\n', qsizetype(sizeof JournalMagic - 1));
    if (!bytes.startsWith(JournalMagic) || headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = bytes.sliced(qsizetype(sizeof JournalMagic - 1),
                                                  headerEnd - qsizetype(sizeof JournalMagic - 1)).split(' ');
    bool ok[4] = {};
    if (fields.size() != 7 || fields[0].toULongLong(&ok[0], 16) != qulonglong(file.st_dev)
        || fields[1].toULongLong(&ok[1], 16) != qulonglong(file.st_ino))
        return std::nullopt;
    const qulonglong oldSize = fields[2].toULongLong(&ok[2], 16);
    const qulonglong freshSize = fields[4].toULongLong(&ok[3], 16);
    const qsizetype body = headerEnd + 1;
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || oldSize > qulonglong(bytes.size())
        || freshSize != qulonglong(bytes.size() - body) - oldSize)
        return std::nullopt;
    Journal journal{QByteArrayView(bytes).sliced(body, qsizetype(oldSize)),
                    QByteArrayView(bytes).sliced(body + qsizetype(oldSize)), QByteArray::fromPercentEncoding(fields[6])};
    if (sha256(journal.old) != fields[3] || sha256(journal.fresh) != fields[5])
        return std::nullopt;
    return journal;
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

// Puts `bytes` whole into the file `fd`, made to last.
bool writeWhole(int fd, const QByteArray &bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size(), 0) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && ::fsync(fd) == 0;
}

// Keeps `old` (a combat the file `path` held) as a file of its own in `journals`, for the
// user to load; its path, or empty when even that fails.
QString setAside(const PrivateFolder &journals, const QByteArray &path, const QByteArray &old)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString name = shown(path.mid(path.lastIndexOf('/') + 1)).left(100);
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

Result replaceInPlace(const Target &target, int fd, const QByteArray &bytes, const PrivateFolder &journals)
{
    struct stat file {};
    QByteArray old;
    if (::fstat(fd, &file) != 0 || !readAll(fd, 0, LargestSavedOver, old))
        return errno == EFBIG ? failed(Fault::TooLarge, target.path) : failed(Fault::Failed, target.path, errno);
    const QString name = journalName(file);
    if (Result written = journals.writeFile(name, journalBytes(file, target.path, old, bytes)); !written.ok()) {
        Result result = failed(Fault::JournalFailed, native(journals.path()));
        result.systemText = written.systemText;
        return result;
    }
    if (writeWhole(fd, bytes)) {
        journals.removeFile(name);
        return {};
    }
    const int error = errno;
    Result result = failed(Fault::Failed, target.path, error);
    if (writeWhole(fd, old))
        journals.removeFile(name);
    else
        result.keptCopy = setAside(journals, target.path, old); // the journal stays for the next load
    return result;
}

bool hasJournal(const struct stat &file, const PrivateFolder &journals)
{
    qint64 size = 0;
    return journals.fileSize(journalName(file), size).fault != Fault::Missing;
}

Result settleJournal(const Target &target, int fd, const PrivateFolder &journals)
{
    struct stat file {};
    if (::fstat(fd, &file) != 0)
        return failed(Fault::Failed, target.path, errno);
    const QString name = journalName(file);
    QByteArray bytes;
    const Result read = journals.readFile(name, LargestJournal, bytes);
    if (read.fault == Fault::Missing)
        return {};
    Result result;
    const std::optional<Journal> journal = read.ok() ? readJournal(bytes, file) : std::nullopt;
    if (!journal) {
        // Damaged on the disk: kept whole for the user, never trusted; the file is left as it is.
        result.setAside = setAside(journals, target.path, bytes);
        result.journalDamaged = true;
        if (!result.setAside.isEmpty())
            journals.removeFile(name);
        return result;
    }
    if (journal->path != target.path)
        result.cutSave = shown(journal->path);
    // Nothing the save wrote can be longer than the longer of its two contents.
    QByteArray now;
    const qint64 longest = qMax(journal->old.size(), journal->fresh.size());
    const bool readable = file.st_size <= longest && readAll(fd, 0, longest, now);
    if (readable && (now == journal->old || now == journal->fresh)) {
        // The save never began, or it ended.
    } else if (readable && isCutOfTheSave(now, journal->old, journal->fresh)) {
        if (!writeWhole(fd, journal->old.toByteArray())) {
            result = failed(Fault::Failed, target.path, errno);
            result.keptCopy = setAside(journals, journal->path, journal->old.toByteArray());
            return result; // the journal stays, for the next load to try again
        }
        result.putBack = true;
    } else {
        // Another program wrote the file, another save finished, or the inode is another
        // file's now: the file is not the journal's to change.
        result.setAside = setAside(journals, journal->path, journal->old.toByteArray());
        if (result.setAside.isEmpty())
            return result; // the journal stays, for the next load to try again
    }
    journals.removeFile(name);
    return result;
}

} // namespace files::platform::posix
