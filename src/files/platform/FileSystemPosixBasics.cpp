// What every POSIX file of the platform layer leans on: errors in the user's terms, whole
// writes and reads, synced folders, locks that wait a moment.
#include "files/platform/FileSystemPosixParts.h"

#include <QCryptographicHash>
#include <QThread>

#include <cerrno>
#include <climits>

#include <pwd.h>
#include <sys/file.h>
#include <fcntl.h>

namespace files::platform::posix {
namespace {

// How long a save or a load waits for another save of the same file before it says so.
constexpr int LockWaitMs = 2000;
constexpr int LockPollMs = 20;

} // namespace

Result failed(Fault fault, const QByteArray &place, int error)
{
    return refusal(fault, shown(place), error != 0 ? qt_error_string(error) : QString());
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QString userName(uid_t uid)
{
    const passwd *user = ::getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

Result tooLong(const QByteArray &path, int folder)
{
    const long nameMax = folder >= 0 ? ::fpathconf(folder, _PC_NAME_MAX)
                                     : ::pathconf(folderOf(path).constData(), _PC_NAME_MAX);
    const qint64 limit = nameMax > 0 ? nameMax : NAME_MAX;
    for (const QByteArray &part : path.split('/')) {
        if (part.size() > limit) {
            Result result = failed(Fault::NameTooLong, path);
            result.limit = limit;
            return result;
        }
    }
    Result result = failed(Fault::PathTooLong, path);
    result.limit = PATH_MAX - 1; // the terminating NUL counts
    return result;
}

Result lookupFault(const QByteArray &path, int error, int folder)
{
    switch (error) {
    case ENAMETOOLONG:
        return tooLong(path, folder);
    case ELOOP:
        return failed(Fault::LinkLoop, path);
    case EACCES:
        return failed(Fault::FolderClosed, path, error);
    case ENOTDIR:
        return failed(Fault::NotAFolder, path);
    case ENOENT:
        return failed(Fault::Missing, path);
    default:
        return failed(Fault::Failed, path, error);
    }
}

bool writeAll(int fd, const char *data, qint64 size, qint64 offset)
{
    // A write may take part of the bytes; the next call then says why the rest did not fit.
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool copyContent(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 &copied, QCryptographicHash *hash)
{
    char buffer[64 * 1024];
    copied = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, off_t(fromOffset + copied));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (to >= 0 && !writeAll(to, buffer, n, toOffset + copied))
            return false;
        if (hash)
            hash->addData(QByteArrayView(buffer, n));
        copied += n;
    }
    return to < 0 || ::ftruncate(to, off_t(toOffset + copied)) == 0;
}

bool readAll(int fd, qint64 offset, qint64 limit, QByteArray &bytes)
{
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(offset + bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (bytes.size() + n > limit) {
            errno = EFBIG;
            return false;
        }
        bytes.append(buffer, n);
    }
}

void syncFolder(int folder)
{
    const Descriptor fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

bool lockWaiting(int fd, int operation)
{
    for (int waited = 0;; waited += LockPollMs) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (waited >= LockWaitMs) {
            errno = EWOULDBLOCK;
            return false;
        }
        QThread::msleep(LockPollMs);
    }
}

bool holdNewFile(int folder, const char *name, int fd)
{
    // A clearing takes the lock of a file nobody holds and removes it; one that came between
    // the making and this lock leaves the name gone, or soon gone, once it lets go.
    struct stat named {}, held {};
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0
        && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev
        && named.st_ino == held.st_ino;
}

} // namespace files::platform::posix
