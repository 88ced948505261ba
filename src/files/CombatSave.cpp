#include "files/CombatSave.h"

#include "files/CombatFormat.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

SaveOutcome failure(const QString &path, QString reason)
{
    while (reason.endsWith(u'.'))
        reason.chop(1);
    if (reason.isEmpty())
        reason = QStringLiteral("an unknown error");
    return {false,
            QStringLiteral("The combat could not be saved to \"%1\": %2.")
                .arg(QDir::toNativeSeparators(path), reason)};
}

// The reasons we can name before touching the disk; empty when there is none.
QString reasonNotToTry(const QString &path)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("that is a folder, not a file");
    if (target.exists() && !target.isFile())
        return QStringLiteral("that is not an ordinary file");
    if (target.exists() && !target.isWritable())
        return QStringLiteral("the file is read-only");
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("the folder \"%1\" does not exist")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    return QString();
}

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

// A new file beside `target`, open for writing; -1 with errno set when none can be made.
int createTemporary(const QString &target, QString &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        const int fd = ::open(nativePath(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Every byte, or false with errno set. write() may take part of the bytes; the
// next call then reports why the rest did not fit.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Makes the rename itself last. The new file is complete on the disk already and in
// place, so a folder that cannot be synced is no reason to call the save failed.
void syncFolder(const QString &folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

SaveOutcome saveBytesAtomically(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        return {false, QStringLiteral("The combat could not be saved: no file name was given.")};
    if (const QString reason = reasonNotToTry(path); !reason.isEmpty())
        return failure(path, reason);

    // A link is followed: the file it points to is replaced, the link stays.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QString folder = QFileInfo(target).absolutePath();

    QString temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) {
        const int error = errno;
        // The folder is there (checked above), so these are its refusals.
        if (error == EACCES || error == EPERM || error == EROFS || error == ENOENT)
            return failure(path, QStringLiteral("the folder \"%1\" does not allow creating files (%2)")
                                     .arg(QDir::toNativeSeparators(folder), qt_error_string(error)));
        return failure(path, qt_error_string(error));
    }
    // A replaced file keeps its permissions where we may set them; a new one gets the usual ones.
    if (struct stat old {}; ::stat(nativePath(target).constData(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(nativePath(temporary).constData(), nativePath(target).constData()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(nativePath(temporary).constData());
        return failure(path, qt_error_string(error));
    }
    syncFolder(folder);
    return {true, QString()};
}

SaveOutcome saveCombatFile(const roster::Roster &roster, const QString &path)
{
    const QByteArray bytes = combatFileBytes(roster);
    if (bytes.size() > MaxCombatFileSize) {
        const QLocale english(QLocale::English);
        return failure(path, QStringLiteral("its file would be %1 bytes, over the %2 bytes (16 MiB) that a combat "
                                            "file may have. The general note is saved in each of the 19 rows; "
                                            "a shorter note makes the file smaller")
                                 .arg(english.toString(bytes.size()), english.toString(MaxCombatFileSize)));
    }
    return saveBytesAtomically(bytes, path);
}

} // namespace files
