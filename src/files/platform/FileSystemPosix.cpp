// Linux and the other POSIX systems: open/read/write/rename, fsync, links, owners,
// extended attributes (which carry the ACLs too).
#include "files/platform/FileSystem.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <string>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files::platform {
namespace {

// Linux follows at most this many links in one lookup; so do we.
constexpr int MaxLinkHops = 40;

QByteArray native(const QString &path) { return QFile::encodeName(path); }
QString shown(const QByteArray &path) { return QFile::decodeName(path); }

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { close(); }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // close() reports what a delayed write could not do; keep that.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

Result failed(Fault fault, const QByteArray &place, int error = 0)
{
    Result result;
    result.fault = fault;
    result.place = shown(place);
    if (error != 0)
        result.systemText = qt_error_string(error);
    return result;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// What ENAMETOOLONG meant: one name too long for its file system, or the whole path.
Result tooLong(const QByteArray &path)
{
    const long nameMax = ::pathconf(folderOf(path).constData(), _PC_NAME_MAX);
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

// Why a lookup of `path` failed with `error`.
Result lookupFault(const QByteArray &path, int error)
{
    switch (error) {
    case ENAMETOOLONG:
        return tooLong(path);
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

// `path` with the links at its end followed, as far as they lead: to an existing
// file (`exists`, `info` filled) or to a name still free in an existing folder.
Result followLinks(QByteArray path, QByteArray &target, struct stat &info, bool &exists)
{
    const QByteArray given = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        if (::lstat(path.constData(), &info) != 0) {
            const int error = errno;
            if (error != ENOENT)
                return lookupFault(path, error);
            const QByteArray folder = folderOf(path);
            struct stat folderInfo {};
            if (::stat(folder.constData(), &folderInfo) != 0)
                return lookupFault(folder, errno);
            if (!S_ISDIR(folderInfo.st_mode))
                return failed(Fault::NotAFolder, folder);
            exists = false;
            target = path;
            return {};
        }
        if (!S_ISLNK(info.st_mode)) {
            exists = true;
            target = path;
            return {};
        }
        std::string link(PATH_MAX + 1, '\0');
        const ssize_t n = ::readlink(path.constData(), link.data(), link.size());
        if (n < 0)
            return lookupFault(path, errno);
        if (size_t(n) >= link.size())
            return tooLong(path);
        const QByteArray next(link.data(), qsizetype(n));
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
    }
    return failed(Fault::LinkLoop, given);
}

// Every byte at `offset`, or false with errno set. A write may take part of the
// bytes; the next call then says why the rest did not fit.
bool writeAll(int fd, const char *data, qint64 size, qint64 offset)
{
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

// The whole content of `from` into `to` from its start, then `to` cut to that length and synced.
bool copyContent(int from, int to)
{
    char buffer[64 * 1024];
    qint64 offset = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!writeAll(to, buffer, n, offset))
            return false;
        offset += n;
    }
    return ::ftruncate(to, off_t(offset)) == 0 && ::fsync(to) == 0;
}

// A new file with a short hidden name in `folder`, so that a name of any allowed length
// can be saved; -1 with errno set when none can be made.
int createTemporary(const QByteArray &folder, mode_t mode, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "/.fm" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

Result temporaryFault(const QByteArray &folder, int error)
{
    // The folder is there (links were followed into it), so these are its refusals.
    if (error == EACCES || error == EPERM || error == EROFS || error == ENOENT)
        return failed(Fault::FolderReadOnly, folder, error);
    if (error == ENAMETOOLONG)
        return tooLong(folder + "/.fm0000000");
    return failed(Fault::Failed, folder, error);
}

QList<QByteArray> attributeNames(const QByteArray &path, int fd, bool &ok)
{
    ok = true;
    std::string names(4096, '\0');
    for (;;) {
        const ssize_t n = fd >= 0 ? ::flistxattr(fd, names.data(), names.size())
                                  : ::listxattr(path.constData(), names.data(), names.size());
        if (n >= 0) {
            QList<QByteArray> list = QByteArray(names.data(), qsizetype(n)).split('\0');
            list.removeAll(QByteArray());
            return list;
        }
        if (errno == ERANGE && names.size() < (1u << 20)) {
            names.resize(names.size() * 4);
            continue;
        }
        ok = errno == ENOTSUP; // a file system without them has nothing to keep
        return {};
    }
}

// The extended attributes (ACLs included) of the file at `path` onto `fd`, and no others.
bool copyAttributes(const QByteArray &path, int fd)
{
    bool ok = false;
    const QList<QByteArray> wanted = attributeNames(path, -1, ok);
    if (!ok)
        return false;
    for (const QByteArray &name : attributeNames({}, fd, ok))
        if (!wanted.contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return false;
    if (!ok)
        return wanted.isEmpty();
    for (const QByteArray &name : wanted) {
        const ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        QByteArray value(size, '\0');
        const ssize_t n = ::getxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
        if (n < 0 || ::fsetxattr(fd, name.constData(), value.constData(), size_t(n), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new file at `fd` all that the old one at `path` had besides its content;
// false when the system does not let this user do so.
bool takeOver(int fd, const QByteArray &path, const struct stat &old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (!copyAttributes(path, fd) || ::fchmod(fd, old.st_mode & 07777) != 0 || ::fstat(fd, &now) != 0)
        return false;
    return now.st_uid == old.st_uid && now.st_gid == old.st_gid && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Makes a rename or a new file last. The content is on the disk already, so a folder
// that cannot be synced is no reason to call the save failed.
void syncFolder(const QByteArray &folder)
{
    const Descriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// The owner of `info` when the user may not write to the file; empty when that is no hindrance.
Result writeRefusal(const QByteArray &target, const struct stat &info)
{
    if (::access(target.constData(), W_OK) == 0 || errno != EACCES)
        return {};
    if (info.st_uid == ::geteuid())
        return failed(Fault::ReadOnly, target);
    Result result = failed(Fault::OthersFile, target);
    const passwd *user = ::getpwuid(info.st_uid);
    result.owner = user ? QString::fromLocal8Bit(user->pw_name) : QString::number(info.st_uid);
    return result;
}

// A new file beside the target takes the bytes and is renamed over it. Nothing
// happens when the new file cannot be given what the old had (`kept` false).
Result replaceAtomically(const QByteArray &target, const QByteArray &folder, const QByteArray &bytes,
                         const struct stat *old, bool &kept)
{
    kept = true;
    QByteArray temporary;
    Descriptor fd(createTemporary(folder, 0666, temporary));
    if (!fd.valid())
        return temporaryFault(folder, errno);
    if (old && !takeOver(fd.get(), target, *old)) {
        kept = false;
        ::unlink(temporary.constData());
        return {};
    }
    bool written = writeAll(fd.get(), bytes.constData(), bytes.size(), 0) && ::fsync(fd.get()) == 0;
    int error = errno;
    if (!fd.close() && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.constData(), target.constData()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return failed(Fault::Failed, target, error);
    }
    syncFolder(folder);
    return {};
}

// The bytes go into the file itself, which so stays the same file. A synced copy of the
// old content beside it comes first: a failure part way puts the old content back
// from it, and where even that fails the copy stays and is named.
Result replaceInPlace(const QByteArray &target, const QByteArray &folder, const QByteArray &bytes,
                      const struct stat &old)
{
    Descriptor fd(::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid())
        return errno == EACCES ? writeRefusal(target, old) : failed(Fault::Failed, target, errno);
    QByteArray copyPath;
    Descriptor copy(createTemporary(folder, 0600, copyPath));
    if (!copy.valid())
        return temporaryFault(folder, errno);
    // Whoever could read the file can read its copy; else only this user.
    if (::fchown(copy.get(), old.st_uid, old.st_gid) == 0)
        ::fchmod(copy.get(), old.st_mode & 0666);
    if (!copyContent(fd.get(), copy.get())) {
        const int error = errno;
        ::unlink(copyPath.constData());
        return failed(Fault::Failed, target, error);
    }
    const bool written = writeAll(fd.get(), bytes.constData(), bytes.size(), 0)
        && ::ftruncate(fd.get(), off_t(bytes.size())) == 0 && ::fsync(fd.get()) == 0;
    const int error = errno;
    if (written || copyContent(copy.get(), fd.get())) {
        ::unlink(copyPath.constData());
        syncFolder(folder);
        return written ? Result() : failed(Fault::Failed, target, error);
    }
    Result result = failed(Fault::Failed, target, error);
    result.keptCopy = shown(copyPath);
    return result;
}

// Why opening failed, for the reader.
Result unreachable(const QByteArray &path, int openError)
{
    struct stat info {};
    if (::stat(path.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return failed(Fault::IsFolder, path);
        if (!S_ISREG(info.st_mode))
            return failed(Fault::NotOrdinary, path);
        return failed(Fault::Failed, path, openError);
    }
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        return failed(Fault::Missing, path);
    if (error == EACCES) // a folder on the way that may not be entered, not a missing file
        return failed(Fault::FolderClosed, path, error);
    return failed(Fault::Failed, path, error);
}

} // namespace

// Opening comes first and never waits (a pipe put at the path would block an
// ordinary open for good); then what was opened is checked.
Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    const QByteArray name = native(path);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return unreachable(name, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failed(Fault::Failed, name, errno);
    if (S_ISDIR(info.st_mode))
        return failed(Fault::IsFolder, name);
    if (!S_ISREG(info.st_mode))
        return failed(Fault::NotOrdinary, name);
    if (info.st_size > maxSize)
        return failed(Fault::TooLarge, name);
    // One byte more than the limit allows tells a file that grew meanwhile.
    bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize)
                return failed(Fault::TooLarge, name);
            bytes.resize(qMin(bytes.size() * 2, qsizetype(maxSize) + 1));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(Fault::Failed, name, errno);
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return {};
}

Result replaceFileContents(const QString &path, const QByteArray &bytes)
{
    QByteArray target;
    struct stat old {};
    bool exists = false;
    if (Result result = followLinks(native(path), target, old, exists); !result.ok())
        return result;
    const QByteArray folder = folderOf(target);
    if (!exists) {
        bool kept = true;
        return replaceAtomically(target, folder, bytes, nullptr, kept);
    }
    if (S_ISDIR(old.st_mode))
        return failed(Fault::IsFolder, target);
    if (!S_ISREG(old.st_mode))
        return failed(Fault::NotOrdinary, target);
    if (Result refusal = writeRefusal(target, old); !refusal.ok())
        return refusal;
    // A rename would part the hard links: the other names would keep the old combat.
    if (old.st_nlink == 1) {
        bool kept = true;
        Result result = replaceAtomically(target, folder, bytes, &old, kept);
        if (!result.ok() || kept)
            return result;
    }
    return replaceInPlace(target, folder, bytes, old);
}

} // namespace files::platform
