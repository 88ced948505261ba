// Linux and the other POSIX systems: reading a combat file, saving one, and undoing a save
// that was cut off. Both work relative to the folder of the file, reached one name at a
// time (FileSystemPosixLookup.cpp), so that the names of our own never push a path past
// the system's limit and a link is followed only where nobody else can have put it.
#include "files/platform/FileSystemPosixParts.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

namespace files::platform {
using namespace posix;
namespace {

// How often a save looks again when the file it reached was replaced while it waited.
constexpr int LookupTries = 3;

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

// What is at the end of the way, when it is no file to read or write.
Result kindRefusal(const Target &target)
{
    if (target.exists && S_ISDIR(target.info.st_mode))
        return failed(Fault::IsFolder, target.path);
    if (target.exists && !S_ISREG(target.info.st_mode))
        return failed(Fault::NotOrdinary, target.path);
    return {};
}

// Whether the name still leads to the file `fd`, which was opened through it.
bool stillNamed(const Target &target, int fd)
{
    struct stat named {}, held {};
    return ::fstatat(target.folder.get(), target.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && ::fstat(fd, &held) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

// The file at the end of the way, opened for reading and writing and locked, waiting a
// moment for another save of it; `fd` stays invalid for a name still free.
Result openLocked(const QByteArray &path, Target &target, Descriptor &fd)
{
    for (int attempt = 0; attempt < LookupTries; ++attempt) {
        target = Target();
        if (Result result = followLinks(path, target); !result.ok())
            return result;
        if (Result refusal = kindRefusal(target); !refusal.ok())
            return refusal;
        if (!target.exists)
            return {};
        if (Result refusal = writeRefusal(target); !refusal.ok())
            return refusal;
        fd = Descriptor(openExisting(target, O_RDWR));
        if (!fd.valid())
            return errno == EACCES ? writeRefusal(target) : failed(Fault::Failed, target.path, errno);
        if (!lockWaiting(fd.get(), LOCK_EX))
            return errno == EWOULDBLOCK ? failed(Fault::Busy, target.path) : failed(Fault::Failed, target.path, errno);
        // Renamed over while we waited: what the name holds now is the file to save.
        if (stillNamed(target, fd.get()))
            return {};
        fd.close();
    }
    return failed(Fault::Busy, target.path);
}

} // namespace

Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    Target target;
    if (Result result = followLinks(native(path), target); !result.ok())
        return result;
    if (!target.exists)
        return failed(Fault::Missing, target.path);
    // Opening comes before any look at the file and never waits: a pipe put at the path
    // would block an ordinary open for good. What was opened is checked after.
    const Descriptor fd(openExisting(target, O_RDONLY));
    if (!fd.valid()) // the way was open: the file itself refuses, or became a link meanwhile
        return failed(errno == ELOOP ? Fault::NotOrdinary : Fault::Failed, target.path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failed(Fault::Failed, target.path, errno);
    target.info = info;
    if (Result refusal = kindRefusal(target); !refusal.ok())
        return refusal;
    if (info.st_size > maxSize)
        return failed(Fault::TooLarge, target.path);
    // A save writing into the file holds it; it is read once that save is done.
    if (!lockWaiting(fd.get(), LOCK_SH) && errno == EWOULDBLOCK)
        return failed(Fault::Busy, target.path);
    if (!readAll(fd.get(), 0, maxSize, bytes))
        return errno == EFBIG ? failed(Fault::TooLarge, target.path) : failed(Fault::Failed, target.path, errno);
    return {};
}

Result replaceFileContents(const QString &path, const QByteArray &bytes, const PrivateFolder *journals)
{
    Target target;
    Descriptor fd;
    if (Result result = openLocked(native(path), target, fd); !result.ok())
        return result;
    Result recovered;
    if (fd.valid() && journals) {
        recovered = settleJournal(target, fd.get(), *journals);
        if (!recovered.ok())
            return recovered;
    }
    clearLeftovers(target);
    Result result;
    bool kept = false;
    // A rename would part the hard links: the other names would keep the old combat.
    if (!target.exists || target.info.st_nlink == 1)
        result = replaceAtomically(target, bytes, kept);
    if (result.ok() && !kept) {
        result = journals ? replaceInPlace(target, fd.get(), bytes, *journals)
                          : refusal(Fault::Failed, shown(target.path),
                                    QStringLiteral("no folder of this user's own could be had for its journal"));
    }
    result.putBack = recovered.putBack;
    result.setAside = recovered.setAside;
    return result;
}

Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals)
{
    Target target;
    if (!followLinks(native(path), target).ok() || !target.exists || !S_ISREG(target.info.st_mode))
        return {}; // the load says what is wrong with the path
    Result result;
    // Only a file this user may write had a save of this user's cut off.
    Descriptor fd(openExisting(target, O_RDWR));
    if (fd.valid() && journals) {
        if (!lockWaiting(fd.get(), LOCK_EX))
            return errno == EWOULDBLOCK ? failed(Fault::Busy, target.path) : Result();
        if (stillNamed(target, fd.get()))
            result = settleJournal(target, fd.get(), *journals);
    }
    clearLeftovers(target);
    return result;
}

} // namespace files::platform
