// Linux and the other POSIX systems: open/read/write/rename, fsync, links, owners,
// extended attributes (which carry the ACLs too). Saving works relative to the
// folder of the file, opened once, so that short names of our own never push a
// path past the system's limit.
#include "files/platform/FileSystemPosixParts.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <string>
#include <utility>

#include <dirent.h>
#include <grp.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files::platform {
using namespace posix;
namespace {

// Linux follows at most this many links in one lookup; so do we.
constexpr int MaxLinkHops = 40;

// Our own files beside a combat file. A temporary file lives while a save runs;
// a journal keeps the old content while a save writes in place and is named after
// the file's inode, so any save or load of that file finds it. Both are locked
// (flock) by the save that made them: an unlocked one was left by a save that died.
constexpr char TemporaryPrefix[] = ".fraymark-save-";
constexpr char TemporarySuffix[] = ".tmp";
constexpr char JournalPrefix[] = ".fraymark-journal-";
// The journal starts with this line, then "dev ino size sha256" in fixed-width hex, then the old content.
constexpr char JournalMagic[] = "Fraymark journal 1\n";
constexpr qint64 JournalHeaderSize = qint64(sizeof JournalMagic - 1) + 3 * 17 + 65;

} // namespace

// The parts FileSystemPosixParts.h declares.
namespace posix {

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

} // namespace posix

namespace {

// A name in an open folder, and the path it was reached by (for messages only).
struct Target
{
    Descriptor folder;
    QByteArray name;
    QByteArray path;
    struct stat info {};
    bool exists = false;
    QByteArray folderPath() const { return folderOf(path); }
};

// The kernel's protected links, for root as for anyone: anyone may plant a link in
// a sticky folder writable by others, so there only a link of this user or of the
// folder's owner is followed.
Result linkRefusal(int folder, const struct stat &link, const QByteArray &path)
{
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0)
        return failed(Fault::Failed, folderOf(path), errno);
    const bool shared = (folderInfo.st_mode & S_ISVTX) && (folderInfo.st_mode & S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == folderInfo.st_uid)
        return {};
    Result result = failed(Fault::ForeignLink, path);
    result.owner = userName(link.st_uid);
    return result;
}

// The target of the link `name` in `folder`, when the rule above lets us follow it.
Result readLink(int folder, const QByteArray &name, const struct stat &info, const QByteArray &path, int &hops,
                QByteArray &next)
{
    if (++hops > MaxLinkHops)
        return failed(Fault::LinkLoop, path);
    if (Result refusal = linkRefusal(folder, info, path); !refusal.ok())
        return refusal;
    std::string link(PATH_MAX + 1, '\0');
    const ssize_t n = ::readlinkat(folder, name.constData(), link.data(), link.size());
    if (n < 0)
        return lookupFault(path, errno, folder);
    if (size_t(n) >= link.size())
        return tooLong(path, folder);
    next = QByteArray(link.data(), qsizetype(n));
    return {};
}

// The folder `path` (from `base` when relative), opened one name at a time so that
// each link on the way is followed by the rule above. `shownPath` is `path` for
// messages, as the user gave it.
Result openFolder(int base, const QByteArray &path, QByteArray shownPath, Descriptor &folder, int &hops)
{
    QList<QByteArray> names = path.split('/');
    folder = Descriptor(::openat(base, path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return lookupFault(shownPath, errno);
    bool absolute = path.startsWith('/');
    QByteArray walked;
    while (!names.isEmpty()) {
        const QByteArray name = names.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        const QByteArray place = walked.isEmpty() && !absolute ? name : walked + '/' + name;
        struct stat info {};
        if (::fstatat(folder.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return lookupFault(errno == ENOENT ? place : shownPath, errno, folder.get());
        if (S_ISLNK(info.st_mode)) {
            QByteArray next;
            if (Result result = readLink(folder.get(), name, info, place, hops, next); !result.ok())
                return result;
            names = next.split('/') + names;
            if (next.startsWith('/')) {
                folder = Descriptor(::openat(AT_FDCWD, "/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                walked.clear();
                absolute = true;
            }
            continue;
        }
        Descriptor opened(::openat(folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!opened.valid())
            return lookupFault(errno == ENOTDIR ? place : shownPath, errno);
        folder = std::move(opened);
        walked = place;
    }
    return {};
}

// `path` with its links followed, as far as they lead: to an existing file
// (`exists`, `info` filled) or to a name still free in an existing folder. No
// path is longer than the system lets any call take, though each step is short.
Result followLinks(const QByteArray &given, Target &target)
{
    if (given.size() >= PATH_MAX)
        return tooLong(given);
    QByteArray rest = given;
    target.path = given;
    Descriptor base; // none: the working folder
    int hops = 0;
    for (;;) {
        const qsizetype slash = rest.lastIndexOf('/');
        const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : rest.left(slash);
        target.name = slash < 0 ? rest : rest.mid(slash + 1);
        if (target.name.isEmpty())
            target.name = ".";
        if (Result result = openFolder(base.valid() ? base.get() : AT_FDCWD, folder, target.folderPath(),
                                       target.folder, hops);
            !result.ok())
            return result;
        const int fd = target.folder.get();
        if (::fstatat(fd, target.name.constData(), &target.info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return lookupFault(target.path, errno, fd);
            target.exists = false;
            return {};
        }
        if (!S_ISLNK(target.info.st_mode)) {
            target.exists = true;
            return {};
        }
        if (Result result = readLink(fd, target.name, target.info, target.path, hops, rest); !result.ok())
            return result;
        target.path = rest.startsWith('/') ? rest : target.folderPath() + '/' + rest;
        base = rest.startsWith('/') ? Descriptor() : std::move(target.folder);
    }
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

// All of `from` after `fromOffset` into `to` at `toOffset`, `to` cut after it; `copied`
// counts the bytes, `hash` (when given) takes them.
bool copyContent(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 &copied,
                 QCryptographicHash *hash = nullptr)
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

// A new file of ours in `folder`, locked while it is written; -1 with errno set when none can be made.
int createTemporary(int folder, mode_t mode, QByteArray &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryPrefix + QByteArray::number(QRandomGenerator::global()->generate(), 36) + TemporarySuffix;
        const int fd = ::openat(folder, temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return -1;
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return fd;
        // Found by a clearing of leftovers in the moment before the lock: it is going away.
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

// Makes a rename, a new name or a removed one last. The content is on the disk
// already, so a folder that cannot be synced is no reason to call the save failed.
void syncFolder(int folder)
{
    const Descriptor fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// The owner of the file when the user may not write to it; empty when that is no hindrance.
Result writeRefusal(const Target &target)
{
    if (::faccessat(target.folder.get(), target.name.constData(), W_OK, 0) == 0 || errno != EACCES)
        return {};
    if (target.info.st_uid == ::geteuid())
        return failed(Fault::ReadOnly, target.path);
    Result result = failed(Fault::OthersFile, target.path);
    result.owner = userName(target.info.st_uid);
    return result;
}

// The existing file itself, never a link put in its place meanwhile.
int openExisting(const Target &target, int access)
{
    return ::openat(target.folder.get(), target.name.constData(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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

QByteArray journalName(const struct stat &file)
{
    return JournalPrefix + QByteArray::number(qulonglong(file.st_ino), 16);
}

QByteArray journalHeader(const struct stat &file, qint64 size, const QByteArray &hash)
{
    auto hex = [](qulonglong value) { return QByteArray::number(value, 16).rightJustified(16, '0'); };
    return JournalMagic + hex(file.st_dev) + ' ' + hex(file.st_ino) + ' ' + hex(qulonglong(size)) + ' '
        + hash.toHex() + '\n';
}

// The old content of the file `fd` in a journal beside it, on the disk before the
// file is touched. It is written under a temporary name and only then given its own,
// so a journal is always whole. It stays locked (`journal`) until the save ends.
Result startJournal(const Target &target, int fd, const struct stat &file, Descriptor &journal)
{
    const int folder = target.folder.get();
    QByteArray temporary;
    Descriptor copy(createTemporary(folder, 0600, temporary));
    if (!copy.valid())
        return temporaryFault(target.folderPath(), errno);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    bool ok = copyContent(fd, 0, copy.get(), JournalHeaderSize, size, &hash);
    if (ok) {
        const QByteArray header = journalHeader(file, size, hash.result());
        ok = writeAll(copy.get(), header.constData(), header.size(), 0) && ::fsync(copy.get()) == 0
            && ::linkat(folder, temporary.constData(), folder, journalName(file).constData(), 0) == 0;
    }
    const int error = errno;
    ::unlinkat(folder, temporary.constData(), 0);
    if (!ok)
        return failed(error == EEXIST ? Fault::Busy : Fault::Failed, target.path, error == EEXIST ? 0 : error);
    syncFolder(folder);
    journal = std::move(copy);
    return {};
}

// Its old content from the journal back into the file `fd`, made to last.
bool rollBack(int journal, int fd)
{
    qint64 copied = 0;
    return copyContent(journal, JournalHeaderSize, fd, 0, copied) && ::fsync(fd) == 0;
}

// Whether the user `owner` may write the file `target` anyway. Only then is a file
// of our names that it owns trusted as a journal or cleared as a leftover: anyone
// may put a file of such a name in a shared folder.
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

// Whether `journal` is a whole journal of the file `target`, made by one of its savers.
bool journalOf(int journal, const Target &target)
{
    struct stat info {};
    if (::fstat(journal, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < JournalHeaderSize
        || !mayWrite(info.st_uid, target))
        return false;
    QByteArray header(JournalHeaderSize, '\0');
    if (::pread(journal, header.data(), size_t(header.size()), 0) != JournalHeaderSize)
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    return copyContent(journal, JournalHeaderSize, -1, 0, size, &hash)
        && header == journalHeader(target.info, size, hash.result());
}

// The bytes go into the file itself, which so stays the same file. The journal
// comes first: a failure part way puts the old content back from it, as does the
// next load or save after the process was killed; where even that fails the
// journal stays and is named.
Result replaceInPlace(const Target &target, const QByteArray &bytes)
{
    const int folder = target.folder.get();
    Descriptor fd(openExisting(target, O_RDWR));
    if (!fd.valid())
        return errno == EACCES ? writeRefusal(target) : failed(Fault::Failed, target.path, errno);
    struct stat file {};
    if (::fstat(fd.get(), &file) != 0)
        return failed(Fault::Failed, target.path, errno);
    Descriptor journal;
    if (Result result = startJournal(target, fd.get(), file, journal); !result.ok())
        return result;
    const QByteArray journalPath = target.folderPath() + '/' + journalName(file);
    const bool written = writeAll(fd.get(), bytes.constData(), bytes.size(), 0)
        && ::ftruncate(fd.get(), off_t(bytes.size())) == 0 && ::fsync(fd.get()) == 0;
    const int error = errno;
    if (written || rollBack(journal.get(), fd.get())) {
        ::unlinkat(folder, journalName(file).constData(), 0);
        syncFolder(folder);
        return written ? Result() : failed(Fault::Failed, target.path, error);
    }
    Result result = failed(Fault::Failed, target.path, error);
    result.keptCopy = shown(journalPath);
    return result;
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

// Undoes a save of `target` that was cut off, then clears what such saves left.
Result recover(const Target &target)
{
    const int folder = target.folder.get();
    Result result;
    if (target.exists && S_ISREG(target.info.st_mode)) {
        const QByteArray name = journalName(target.info);
        Descriptor journal(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        const QByteArray journalPath = target.folderPath() + '/' + name;
        if (!journal.valid() && errno != ENOENT) {
            result = failed(Fault::Failed, target.path, errno);
            result.keptCopy = shown(journalPath);
            return result;
        }
        if (journal.valid() && ::flock(journal.get(), LOCK_EX | LOCK_NB) != 0)
            return failed(Fault::Busy, target.path);
        if (journal.valid() && journalOf(journal.get(), target)) {
            Descriptor fd(openExisting(target, O_RDWR));
            if (!fd.valid() || !rollBack(journal.get(), fd.get())) {
                result = failed(Fault::Failed, target.path, errno);
                result.keptCopy = shown(journalPath);
                return result;
            }
            ::unlinkat(folder, name.constData(), 0);
            result.putBack = true;
        } else if (struct stat info {}; journal.valid() && ::fstat(journal.get(), &info) == 0
                   && S_ISREG(info.st_mode) && mayWrite(info.st_uid, target)) {
            // Of an earlier file that had this inode: it belongs to nothing now.
            char magic[sizeof JournalMagic - 1];
            if (::pread(journal.get(), magic, sizeof magic, 0) == qint64(sizeof magic)
                && QByteArrayView(magic, sizeof magic) == QByteArrayView(JournalMagic))
                ::unlinkat(folder, name.constData(), 0);
        }
    }
    clearLeftovers(target);
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
    Target target;
    if (Result result = followLinks(native(path), target); !result.ok())
        return result;
    if (target.exists && S_ISDIR(target.info.st_mode))
        return failed(Fault::IsFolder, target.path);
    if (target.exists && !S_ISREG(target.info.st_mode))
        return failed(Fault::NotOrdinary, target.path);
    if (target.exists) {
        if (Result refusal = writeRefusal(target); !refusal.ok())
            return refusal;
    }
    const Result recovered = recover(target);
    if (!recovered.ok())
        return recovered;
    Result result;
    bool kept = false;
    // A rename would part the hard links: the other names would keep the old combat.
    if (!target.exists || target.info.st_nlink == 1)
        result = replaceAtomically(target, bytes, kept);
    if (result.ok() && !kept)
        result = replaceInPlace(target, bytes);
    result.putBack = recovered.putBack;
    return result;
}

Result recoverInterruptedSave(const QString &path)
{
    Target target;
    if (!followLinks(native(path), target).ok())
        return {}; // the load says what is wrong with the path
    return recover(target);
}

Result makePrivateFolder(const QString &path)
{
    const QByteArray folder = native(path);
    QByteArray made;
    // Each missing folder on the way is made; only the last is ours alone.
    for (qsizetype at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/')
            continue;
        made = folder.left(at);
        if (::mkdir(made.constData(), at == folder.size() ? 0700 : 0755) != 0 && errno != EEXIST)
            return lookupFault(made, errno);
    }
    // The last folder itself, never what a link there leads to: a link put there by someone
    // else would send the copies of the combat wherever it points.
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0)
        return lookupFault(folder, errno);
    if (S_ISLNK(info.st_mode)) {
        if (info.st_uid != ::geteuid()) {
            Result result = failed(Fault::ForeignLink, folder);
            result.owner = userName(info.st_uid);
            return result;
        }
        // The user's own link: where it leads must be the user's own folder too.
        if (::stat(folder.constData(), &info) != 0)
            return lookupFault(folder, errno);
    }
    if (!S_ISDIR(info.st_mode))
        return failed(Fault::NotAFolder, folder);
    // Only a folder of this user's own: whoever owns it could put links in it.
    if (info.st_uid != ::geteuid()) {
        Result result = failed(Fault::OthersFile, folder);
        result.owner = userName(info.st_uid);
        return result;
    }
    // Others lose their access; what the owner may do stays as the owner set it.
    if ((info.st_mode & 0077) != 0 && ::chmod(folder.constData(), info.st_mode & 0700) != 0)
        return failed(Fault::Failed, folder, errno);
    return {};
}

Result tryLockFile(const QString &path, int &descriptor)
{
    const QByteArray name = native(path);
    for (;;) {
        Descriptor fd(::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd.valid())
            return lookupFault(name, errno);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            return errno == EWOULDBLOCK ? failed(Fault::Busy, name) : failed(Fault::Failed, name, errno);
        // Whoever held it may have removed the name meanwhile: a lock on a file no longer
        // under the name shows nothing to anyone.
        struct stat held {}, named {};
        if (::fstat(fd.get(), &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
            && held.st_ino == named.st_ino) {
            descriptor = fd.release();
            return {};
        }
    }
}

void releaseLock(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

} // namespace files::platform
