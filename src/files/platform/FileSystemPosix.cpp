// Linux and the other POSIX systems: reading a combat file, saving one, and undoing a save
// that was cut off. Both work relative to the folder of the file, reached one name at a
// time (FileSystemPosixLookup.cpp), so that the names of our own never push a path past
// the system's limit and a link is followed only where nobody else can have put it.
#include "files/platform/FileSystemPosixParts.h"

#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

namespace files::platform {
using namespace posix;
namespace {

// How often a save looks again when the file it reached was replaced while it waited.
constexpr int LookupTries = 3;
// How long a load of a file another program keeps locked waits for it to hold still.
constexpr int SteadyWaitMs = 2000;
constexpr int SteadyPollMs = 100;

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

// The file at the end of the way for a save: `fd` open for reading and writing, and left
// invalid for a name still free.
Result openForSaving(const QByteArray &path, Target &target, Descriptor &fd)
{
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
    if (fd.valid())
        return {};
    if (errno != EACCES)
        return failed(Fault::Failed, target.path, errno);
    // Writable, so not readable: its old content cannot be kept while it is written.
    Result refusal = writeRefusal(target);
    return refusal.ok() ? failed(Fault::Unreadable, target.path) : refusal;
}

// The file read whole while another program keeps it locked: once two reads a moment apart
// agree, nothing is writing it. A lock can be held by anyone who may read the file, so a
// lock alone is no reason to refuse a load.
Result readSteadily(const Target &target, int fd, qint64 maxSize, QByteArray &bytes)
{
    QByteArray last;
    for (int waited = 0; waited <= SteadyWaitMs; waited += SteadyPollMs) {
        QByteArray now;
        if (!readAll(fd, 0, maxSize, now))
            return errno == EFBIG ? failed(Fault::TooLarge, target.path) : failed(Fault::Failed, target.path, errno);
        if (waited > 0 && now == last) {
            bytes = std::move(now);
            return {};
        }
        last = std::move(now);
        QThread::msleep(SteadyPollMs);
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
    if (!fd.valid()) // the way was open: the file itself refuses, became a link, or is a socket
        return failed(errno == ELOOP || errno == ENXIO ? Fault::NotOrdinary : Fault::Failed, target.path, errno);
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
        return readSteadily(target, fd.get(), maxSize, bytes);
    if (!readAll(fd.get(), 0, maxSize, bytes))
        return errno == EFBIG ? failed(Fault::TooLarge, target.path) : failed(Fault::Failed, target.path, errno);
    return {};
}

Result replaceFileContents(const QString &path, const QByteArray &bytes, const PrivateFolder *journals)
{
    for (int attempt = 0; attempt < LookupTries; ++attempt) {
        Target target;
        Descriptor fd;
        if (Result result = openForSaving(native(path), target, fd); !result.ok())
            return result;
        // A file of one name with no cut save to settle is replaced whole by a rename, which
        // takes no lock: no program that merely reads the file can hold such a save up.
        const bool settle = fd.valid() && journals && hasJournal(target.info, *journals);
        const bool whole = !target.exists || (target.info.st_nlink == 1 && !settle);
        bool kept = false;
        if (whole) {
            clearLeftovers(target);
            if (Result result = replaceAtomically(target, bytes, kept); !result.ok() || kept || !fd.valid())
                return result;
        }
        // Into the file itself, locked, so that saves through any of its names wait for each
        // other; a name renamed over while it waited leads to the file to save now.
        if (!lockWaiting(fd.get(), LOCK_EX))
            return errno == EWOULDBLOCK ? failed(Fault::Busy, target.path) : failed(Fault::Failed, target.path, errno);
        if (!stillNamed(target, fd.get()))
            continue;
        Result recovered;
        if (settle) {
            recovered = settleJournal(target, fd.get(), *journals);
            if (!recovered.ok())
                return recovered;
            clearLeftovers(target);
        }
        Result result;
        // A rename would part the hard links: the other names would keep the old combat.
        if (!whole && target.info.st_nlink == 1)
            result = replaceAtomically(target, bytes, kept);
        if (result.ok() && !kept)
            result = journals ? replaceInPlace(target, fd.get(), bytes, *journals) : failed(Fault::NoJournals, target.path);
        result.putBack = recovered.putBack;
        result.setAside = recovered.setAside;
        result.journalDamaged = recovered.journalDamaged;
        result.cutSave = recovered.cutSave;
        return result;
    }
    return failed(Fault::Unsettled, native(path));
}

Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals)
{
    Target target;
    if (!followLinks(native(path), target).ok() || !target.exists || !S_ISREG(target.info.st_mode))
        return {}; // the load says what is wrong with the path
    Result result;
    // Only a file with a journal of this user's needs the lock that settling it takes.
    if (journals && hasJournal(target.info, *journals)) {
        const Descriptor fd(openExisting(target, O_RDWR));
        if (fd.valid()) {
            if (!lockWaiting(fd.get(), LOCK_EX))
                return errno == EWOULDBLOCK ? failed(Fault::Busy, target.path) : Result();
            if (stillNamed(target, fd.get()))
                result = settleJournal(target, fd.get(), *journals);
        }
    }
    clearLeftovers(target);
    return result;
}

} // namespace files::platform
