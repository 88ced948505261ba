#include "files/platform/SaveJournal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>

#include <optional>

namespace files::platform {
namespace {

constexpr char JournalMagic[] = "Fraymark journal 3\n";
// Both contents, the header and the longest path percent-encoded.
constexpr qint64 LargestJournal = 2 * LargestSavedOver + 4096 + 9 * 32768;

QString journalName(quint64 device, quint64 inode)
{
    return QStringLiteral("journal-%1-%2").arg(device, 0, 16).arg(inode, 0, 16);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16).rightJustified(16, '0');
}

QByteArray sha256(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// "device inode oldSize oldHash newSize newHash path", then the old content and the new.
QByteArray journalBytes(const JournaledFile &file, const QByteArray &old, const QByteArray &fresh)
{
    return JournalMagic + hex(file.device()) + ' ' + hex(file.inode()) + ' ' + hex(quint64(old.size())) + ' '
        + sha256(old) + ' ' + hex(quint64(fresh.size())) + ' ' + sha256(fresh) + ' '
        + file.path().toUtf8().toPercentEncoding() + '\n' + old + fresh;
}

struct Journal
{
    QByteArrayView old;
    QByteArrayView fresh;
    QString path;
};

// The journal of the file in `bytes`; nothing for anything else.
std::optional<Journal> readJournal(const QByteArray &bytes, const JournaledFile &file)
{
    const qsizetype magic = qsizetype(sizeof JournalMagic - 1);
    const qsizetype headerEnd = bytes.indexOf('\n', magic);
    if (!bytes.startsWith(JournalMagic) || headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = bytes.sliced(magic, headerEnd - magic).split(' ');
    bool ok[4] = {};
    if (fields.size() != 7 || fields[0].toULongLong(&ok[0], 16) != file.device()
        || fields[1].toULongLong(&ok[1], 16) != file.inode())
        return std::nullopt;
    const qulonglong oldSize = fields[2].toULongLong(&ok[2], 16);
    const qulonglong freshSize = fields[4].toULongLong(&ok[3], 16);
    const qsizetype body = headerEnd + 1;
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || oldSize > qulonglong(bytes.size())
        || freshSize != qulonglong(bytes.size() - body) - oldSize)
        return std::nullopt;
    Journal journal{QByteArrayView(bytes).sliced(body, qsizetype(oldSize)),
                    QByteArrayView(bytes).sliced(body + qsizetype(oldSize)),
                    QString::fromUtf8(QByteArray::fromPercentEncoding(fields[6]))};
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

// Keeps `bytes` (what the file `path` held, or its damaged journal) as a file of its own in
// `journals`, for the user to load; its path, or empty when even that fails.
QString setAside(const PrivateFolder &journals, const QString &path, const QByteArray &bytes)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    const QString name = QDir::fromNativeSeparators(path).section(u'/', -1).left(100);
    for (int n = 1; n < 100; ++n) {
        const QString kept = QStringLiteral("set aside %1%2 %3")
                                 .arg(stamp, n > 1 ? QStringLiteral(" (%1)").arg(n) : QString(), name);
        qint64 size = 0;
        if (journals.fileSize(kept, size).fault != Fault::Missing)
            continue;
        return journals.writeFile(kept, bytes).ok() ? journals.path() + u'/' + kept : QString();
    }
    return QString();
}

} // namespace

bool hasJournal(const JournaledFile &file, const PrivateFolder &journals)
{
    qint64 size = 0;
    return file.known() && journals.fileSize(journalName(file.device(), file.inode()), size).fault != Fault::Missing;
}

Result writeInPlace(JournaledFile &file, const QByteArray &bytes, const PrivateFolder &journals)
{
    if (!file.known())
        return file.failure();
    QByteArray old;
    if (file.size() > LargestSavedOver)
        return refusal(Fault::TooLarge, file.path());
    if (!file.readAll(LargestSavedOver, old))
        return file.failure();
    const QString name = journalName(file.device(), file.inode());
    if (Result written = journals.writeFile(name, journalBytes(file, old, bytes)); !written.ok())
        return refusal(Fault::JournalFailed, journals.path(), written.systemText);
    if (file.writeWhole(bytes)) {
        journals.removeFile(name);
        return {};
    }
    Result result = file.failure();
    if (file.writeWhole(old))
        journals.removeFile(name);
    else
        result.keptCopy = setAside(journals, file.path(), old); // the journal stays for the next load
    return result;
}

Result settleJournal(JournaledFile &file, const PrivateFolder &journals)
{
    if (!file.known())
        return file.failure();
    const QString name = journalName(file.device(), file.inode());
    QByteArray bytes;
    const Result read = journals.readFile(name, LargestJournal, bytes);
    if (read.fault == Fault::Missing)
        return {};
    Result result;
    const std::optional<Journal> journal = read.ok() ? readJournal(bytes, file) : std::nullopt;
    if (!journal) {
        // Damaged on the disk: kept whole for the user, never trusted; the file is left as it is.
        result.setAside = setAside(journals, file.path(), bytes);
        result.journalDamaged = true;
        if (!result.setAside.isEmpty())
            journals.removeFile(name);
        return result;
    }
    if (journal->path != file.path())
        result.cutSave = journal->path;
    // Nothing the save wrote can be longer than the longer of its two contents.
    QByteArray now;
    const qint64 longest = qMax(journal->old.size(), journal->fresh.size());
    const bool readable = file.size() <= longest && file.readAll(longest, now);
    if (readable && (now == journal->old || now == journal->fresh)) {
        // The save never began, or it ended.
    } else if (readable && isCutOfTheSave(now, journal->old, journal->fresh)) {
        if (!file.writeWhole(journal->old.toByteArray())) {
            result = file.failure();
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

} // namespace files::platform
