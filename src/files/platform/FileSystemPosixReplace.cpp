// A save that renames a new file over the old one, and the temporary files such saves
// make beside a combat and leave when they are killed.
#include "files/platform/FileSystemPosixParts.h"

#include <QRandomGenerator>

#include <cerrno>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/xattr.h>

namespace files::platform::posix {
namespace {

// A temporary file lives while a save runs, beside the file it will replace, locked
// (flock) by the save that made it: an unlocked one was left by a save that died.
constexpr char TemporaryPrefix[] = ".fraymark-save-";
constexpr char TemporarySuffix[] = ".tmp";

QList<QByteArray> attributeNames(int fd, bool &ok)
{
    ok = true;
    std::string names(4096, '\0');
    for (;;) {
        const ssize_t n = ::flistxattr(fd, names.data(), names.size());
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

// The extended attributes (ACLs included) of the file `from` onto `to`, and no others.
bool copyAttributes(int from, int to)
{
    bool ok = false;
    const QList<QByteArray> wanted = attributeNames(from, ok);
    if (!ok)
        return false;
    for (const QByteArray &name : attributeNames(to, ok))
        if (!wanted.contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    if (!ok)
        return wanted.isEmpty();
    for (const QByteArray &name : wanted) {
        const ssize_t size = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        QByteArray value(size, '\0');
        const ssize_t n = ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        if (n < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(n), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new, still empty file at `fd` all that the old one `from` has besides
// its content; false when the system does not let this user do so.
bool takeOver(int fd, int from, const struct stat &old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (!copyAttributes(from, fd) || ::fchmod(fd, old.st_mode & 07777) != 0 || ::fstat(fd, &now) != 0)
        return false;
    return now.st_uid == old.st_uid && now.st_gid == old.st_gid && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Whether the user `owner` may write the file `target` anyway. Only then is a file of
// our names that it owns cleared as a leftover: anyone may put a file of such a name in a
// shared folder.
bool mayWrite(uid_t owner, const Target &target)
{
    if (owner == ::geteuid() || owner == 0)
        return true;
    const struct stat &file = target.info;
    if (!target.exists || owner == file.st_uid || (file.st_mode & S_IWOTH))
        return target.exists;
    const passwd *user = (file.st_mode & S_IWGRP) ? ::getpwuid(owner) : nullptr;
    if (!user)
        return false;
    const QByteArray name(user->pw_name);
    int count = 64;
    QList<gid_t> groups(count);
    if (::getgrouplist(name.constData(), user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(count);
        if (::getgrouplist(name.constData(), user->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    return groups.first(qMin<qsizetype>(count, groups.size())).contains(file.st_gid);
}

bool isTemporaryName(const char *name)
{
    const QByteArrayView view(name);
    if (!view.startsWith(TemporaryPrefix) || !view.endsWith(TemporarySuffix))
        return false;
    const QByteArrayView middle =
        view.sliced(qsizetype(sizeof TemporaryPrefix - 1)).chopped(qsizetype(sizeof TemporarySuffix - 1));
    if (middle.isEmpty() || middle.size() > 7) // 32 bits in base 36
        return false;
    for (const char c : middle)
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z'))
            return false;
    return true;
}

} // namespace

int createTemporary(int folder, mode_t mode, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryPrefix + QByteArray::number(QRandomGenerator::global()->generate(), 36) + TemporarySuffix;
        const int fd =
            ::openat(folder, temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return -1;
        if (fd < 0)
            continue;
        if (holdNewFile(folder, temporary.constData(), fd))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

Result temporaryFault(const QByteArray &folder, int error)
{
    // The folder is there (links were followed into it), so these are its refusals.
    if (error == EACCES || error == EPERM || error == EROFS || error == ENOENT)
        return failed(Fault::FolderReadOnly, folder, error);
    return failed(Fault::Failed, folder, error);
}

// A new file beside the target takes the bytes and is renamed over it. It is made
// readable by its owner alone and gets the old file's owner, group, permissions and
// ACL before it holds a byte. Nothing happens when it cannot get them (`kept` false).
// A new combat file is made with the permissions that a new file gets anyway.
Result replaceAtomically(const Target &target, const QByteArray &bytes, bool &kept)
{
    kept = true;
    const int folder = target.folder.get();
    Descriptor old;
    if (target.exists) {
        old = Descriptor(openExisting(target, O_RDONLY));
        if (!old.valid())
            old = Descriptor(openExisting(target, O_WRONLY));
        if (!old.valid()) {
            kept = false;
            return {};
        }
    }
    QByteArray temporary;
    Descriptor fd(createTemporary(folder, target.exists ? 0600 : 0666, temporary));
    if (!fd.valid())
        return temporaryFault(target.folderPath(), errno);
    if (target.exists && !takeOver(fd.get(), old.get(), target.info)) {
        kept = false;
        ::unlinkat(folder, temporary.constData(), 0);
        return {};
    }
    bool written = writeAll(fd.get(), bytes.constData(), bytes.size(), 0) && ::fsync(fd.get()) == 0;
    int error = errno;
    if (written && ::renameat(folder, temporary.constData(), folder, target.name.constData()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlinkat(folder, temporary.constData(), 0);
        return failed(Fault::Failed, target.path, error);
    }
    syncFolder(folder);
    return {};
}

// Removes the temporary files of ours in `folder` that no running save holds.
void clearLeftovers(const Target &target)
{
    const int folder = target.folder.get();
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    bool removed = false;
    while (const dirent *entry = ::readdir(dir)) {
        struct stat named {}, held {};
        if (!isTemporaryName(entry->d_name) || ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(named.st_mode) || !mayWrite(named.st_uid, target))
            continue;
        const Descriptor fd(::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &held) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            removed = ::unlinkat(folder, entry->d_name, 0) == 0 || removed;
    }
    ::closedir(dir);
    if (removed)
        syncFolder(folder);
}

} // namespace files::platform::posix
