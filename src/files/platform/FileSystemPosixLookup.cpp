// The way to a file, one name at a time, with the links on it followed only where nobody
// but the user can have put them.
#include "files/platform/FileSystemPosixParts.h"

#include <cerrno>
#include <climits>
#include <string>

#include <fcntl.h>

#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace files::platform::posix {
namespace {

// Linux follows at most this many links in one lookup; so do we.
constexpr int MaxLinkHops = 40;

// Where a lookup stands: the folder open now, the path it was reached by, how many links
// it followed and the first folder on the way that others may write.
struct Walk
{
    Descriptor folder;
    QByteArray walked;
    int hops = 0;
    QByteArray via;
    QByteArray open; // the first folder on the way whose names others may change
};

// Opens `name` in the walk's folder as a folder and steps into it, noting whether others
// may write it.
Result stepInto(Walk &walk, const QByteArray &name, const QByteArray &place)
{
    Descriptor opened(::openat(walk.folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!opened.valid())
        return lookupFault(place, errno, walk.folder.get());
    struct stat info {};
    if (::fstat(opened.get(), &info) != 0)
        return failed(Fault::Failed, place, errno);
    if (walk.via.isEmpty() && othersMayWrite(info) && info.st_uid != ::geteuid())
        walk.via = place;
    // Others may rename or replace what a folder holds when they may write it, unless it is
    // sticky and theirs to rule over it is not: a sticky folder of the user's or root's.
    const bool guarded = (info.st_mode & S_ISVTX) && (info.st_uid == ::geteuid() || info.st_uid == 0);
    if (walk.open.isEmpty() && othersMayWrite(info) && !guarded)
        walk.open = place;
    walk.folder = std::move(opened);
    walk.walked = place;
    return {};
}

Result startAt(Walk &walk, bool absolute)
{
    walk = Walk();
    return stepInto(walk, absolute ? "/" : ".", absolute ? "/" : ".");
}

// After a link to an absolute path: the walk goes on from the root, keeping the links it
// followed and the first folder on the way that others may write.
Result restartAtRoot(Walk &walk)
{
    const int hops = walk.hops;
    const QByteArray via = walk.via;
    const QByteArray open = walk.open;
    if (Result result = startAt(walk, true); !result.ok())
        return result;
    walk.hops = hops;
    if (walk.via.isEmpty())
        walk.via = via;
    if (walk.open.isEmpty())
        walk.open = open;
    return {};
}

// Whether `folder` is one of /proc's, whose links are a process's open files.
bool holdsProcessLinks(int folder)
{
#ifdef __linux__
    struct statfs system {};
    return ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
#else
    return false;
#endif
}

// The target of the link `name` in the walk's folder, when the link may be followed: the
// user's own, and no folder on the way that others may write. The link is opened and
// judged as itself, so one put in its place meanwhile is never read.
Result readLink(Walk &walk, const QByteArray &name, const QByteArray &place, QByteArray &next)
{
    if (++walk.hops > MaxLinkHops)
        return failed(Fault::LinkLoop, place);
    const Descriptor link(::openat(walk.folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!link.valid() || ::fstat(link.get(), &info) != 0)
        return lookupFault(place, errno, walk.folder.get());
    // Root's links are no one else's doing: whoever could plant one could do anything anyway.
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        Result result = failed(Fault::ForeignLink, place);
        result.owner = userName(info.st_uid);
        return result;
    }
    if (!walk.via.isEmpty()) {
        Result result = failed(Fault::SharedFolderLink, place);
        result.via = shown(walk.via);
        return result;
    }
    // The other links under /proc lead to what a process has open, maybe a pipe or a file
    // already deleted, by a text that is no path: never a file's name to save to or load.
    // /proc/self and /proc/thread-self are paths like any other.
    if (holdsProcessLinks(walk.folder.get()) && name != "self" && name != "thread-self")
        return failed(Fault::SystemLink, place);
    std::string target(PATH_MAX + 1, '\0');
    const ssize_t n = S_ISLNK(info.st_mode) ? ::readlinkat(link.get(), "", target.data(), target.size()) : -1;
    if (n < 0)
        return lookupFault(place, errno, walk.folder.get());
    if (size_t(n) >= target.size())
        return tooLong(place, walk.folder.get());
    next = QByteArray(target.data(), qsizetype(n));
    return {};
}

// The folder `path` from where the walk stands, opened one name at a time, each link on
// the way followed by the rule above.
Result openFolder(Walk &walk, const QByteArray &path, const QByteArray &shownPath)
{
    QList<QByteArray> names = path.split('/');
    while (!names.isEmpty()) {
        const QByteArray name = names.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        const QByteArray place = walk.walked == "/" ? '/' + name : walk.walked + '/' + name;
        struct stat info {};
        if (::fstatat(walk.folder.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return lookupFault(errno == ENOENT ? place : shownPath, errno, walk.folder.get());
        if (S_ISLNK(info.st_mode)) {
            QByteArray next;
            if (Result result = readLink(walk, name, place, next); !result.ok())
                return result;
            names = next.split('/') + names;
            if (next.startsWith('/')) {
                if (Result result = restartAtRoot(walk); !result.ok())
                    return result;
            }
            continue;
        }
        if (!S_ISDIR(info.st_mode))
            return failed(Fault::NotAFolder, place);
        if (Result result = stepInto(walk, name, place); !result.ok())
            return result;
    }
    return {};
}

} // namespace

bool othersMayWrite(const struct stat &info)
{
    const uid_t me = ::geteuid();
    const bool ownerIsAnother = info.st_uid != me && info.st_uid != 0;
    return (ownerIsAnother && (info.st_mode & S_IWUSR)) || (info.st_mode & (S_IWGRP | S_IWOTH));
}

Result followLinks(const QByteArray &given, Target &target)
{
    if (given.size() >= PATH_MAX)
        return tooLong(given);
    // A relative path is walked from the root too, so that the folders above the working
    // folder count as the way to it.
    QByteArray rest = given;
    if (!rest.startsWith('/')) {
        std::string cwd(PATH_MAX + 1, '\0');
        if (!::getcwd(cwd.data(), cwd.size()))
            return failed(Fault::Failed, given, errno);
        rest = QByteArray(cwd.c_str()) + '/' + rest;
    }
    target.path = given;
    Walk walk;
    if (Result result = startAt(walk, true); !result.ok())
        return result;
    for (;;) {
        const qsizetype slash = rest.lastIndexOf('/');
        const QByteArray folder = slash <= 0 ? QByteArray("/") : rest.left(slash);
        target.name = rest.mid(slash + 1);
        if (target.name.isEmpty())
            target.name = ".";
        if (Result result = openFolder(walk, folder, target.folderPath()); !result.ok())
            return result;
        const int fd = walk.folder.get();
        if (::fstatat(fd, target.name.constData(), &target.info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return lookupFault(target.path, errno, fd);
            target.exists = false;
            target.folder = std::move(walk.folder);
            target.open = walk.open;
            return {};
        }
        if (!S_ISLNK(target.info.st_mode)) {
            target.exists = true;
            target.folder = std::move(walk.folder);
            target.open = walk.open;
            return {};
        }
        QByteArray next;
        const QByteArray place = walk.walked == "/" ? '/' + target.name : walk.walked + '/' + target.name;
        if (Result result = readLink(walk, target.name, place, next); !result.ok())
            return result;
        // Relative to the link's folder, which the walk stands in: walk on from there.
        target.path = next.startsWith('/') ? next : target.folderPath() + '/' + next;
        if (next.startsWith('/')) {
            if (Result result = restartAtRoot(walk); !result.ok())
                return result;
        }
        rest = next;
    }
}

int openExisting(const Target &target, int access)
{
    return ::openat(target.folder.get(), target.name.constData(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

} // namespace files::platform::posix
