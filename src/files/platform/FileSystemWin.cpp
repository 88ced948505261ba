// Windows: reading a combat file, saving one, and undoing a save that was cut off, with
// UTF-16 names and the \\?\ form for long paths. The promises are the POSIX layer's: links
// followed by one rule (FileSystemWinLookup.cpp), the whole new content or the old one, a
// file with other names written in place behind a journal in the user's own folder
// (FileSystemWinJournal.cpp), under a lock on the file itself that saves and loads through
// any of its names wait for.
#include "files/platform/FileSystemWinParts.h"

namespace files::platform {
using namespace win;
namespace {

// How often a save looks again when the file it reached was replaced meanwhile.
constexpr int LookupTries = 3;
// NTFS and FAT take names of at most 255 UTF-16 units; Windows then says only "not found".
constexpr int LongestName = 255;
// How long a load of a file another program keeps locked waits for it to hold still.
constexpr int SteadyWaitMs = 2000;
constexpr int SteadyPollMs = 100;

// Why the user may not write the file: its read-only mark, or another's access list.
Result writeRefusal(const Target &target, DWORD error)
{
    if (target.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        return failed(Fault::ReadOnly, target.path);
    const Handle file = openExisting(target, READ_CONTROL);
    QByteArray owner;
    if (file.valid() && ownerOf(file.get(), owner) && !isOwnOwner(owner)) {
        Result result = failed(Fault::OthersFile, target.path);
        result.owner = accountName(owner);
        return result;
    }
    return failed(Fault::ReadOnly, target.path, error);
}

// The file at the end of the way, opened with `access` as the file the look found; `file`
// stays invalid for a name still free.
Result openFollowed(const QString &path, DWORD access, Target &target, Handle &file)
{
    const bool writing = access & GENERIC_WRITE;
    for (int attempt = 0; attempt < LookupTries; ++attempt) {
        target = Target();
        if (Result result = followLinks(path, target); !result.ok())
            return result;
        if (!target.exists)
            return {};
        if (target.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return failed(Fault::IsFolder, target.path);
        if (writing && (target.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
            return failed(Fault::ReadOnly, target.path);
        file = openExisting(target, access);
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_INVALID)
                continue; // replaced since the look: the name's file now is the one
            if (error == ERROR_ACCESS_DENIED)
                return writing ? writeRefusal(target, error) : failed(Fault::Failed, target.path, error);
            return lookupFault(target.path, error);
        }
        if (::GetFileType(file.get()) != FILE_TYPE_DISK)
            return failed(Fault::NotOrdinary, target.path);
        return {};
    }
    return failed(Fault::Unsettled, target.path);
}

// The file read whole while another program keeps it locked: once two reads a moment apart
// agree, nothing is writing it. A lock can be held by anyone who may read the file, so a
// lock alone is no reason to refuse a load.
Result readSteadily(const Target &target, HANDLE file, qint64 maxSize, QByteArray &bytes)
{
    QByteArray last;
    for (int waited = 0; waited <= SteadyWaitMs; waited += SteadyPollMs) {
        QByteArray now;
        if (!readAt(file, 0, maxSize, now)) {
            const DWORD error = ::GetLastError();
            return error == ERROR_FILE_TOO_LARGE ? failed(Fault::TooLarge, target.path)
                                                 : failed(Fault::Failed, target.path, error);
        }
        if (waited > 0 && now == last) {
            bytes = std::move(now);
            return {};
        }
        last = std::move(now);
        ::Sleep(SteadyPollMs);
    }
    return failed(Fault::Busy, target.path);
}

// Whether a new file in this one's place would be it all over: the same owner (ReplaceFileW
// gives it the saver's), the one name.
bool replaceableWhole(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    QByteArray owner;
    return ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 && ownerOf(file, owner)
        && isOwnOwner(owner);
}

} // namespace

Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    if (isDeviceName(path))
        return failed(Fault::DeviceName, path);
    Target target;
    Handle file;
    if (Result result = openFollowed(path, GENERIC_READ, target, file); !result.ok())
        return result;
    if (!target.exists)
        return failed(Fault::Missing, target.path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return failed(Fault::Failed, target.path, ::GetLastError());
    if (size.QuadPart > maxSize)
        return failed(Fault::TooLarge, target.path);
    // A save writing into the file holds it; it is read once that save is done.
    if (!file.lock(false) && ::GetLastError() == ERROR_LOCK_VIOLATION)
        return readSteadily(target, file.get(), maxSize, bytes);
    if (!readAt(file.get(), 0, maxSize, bytes)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_TOO_LARGE ? failed(Fault::TooLarge, target.path)
                                             : failed(Fault::Failed, target.path, error);
    }
    return {};
}

Result replaceFileContents(const QString &path, const QByteArray &bytes, const PrivateFolder *journals)
{
    if (isDeviceName(path))
        return failed(Fault::DeviceName, path);
    if (QFileInfo(path).fileName().size() > LongestName) {
        Result result = failed(Fault::NameTooLong, path);
        result.limit = LongestName;
        return result;
    }
    for (int attempt = 0; attempt < LookupTries; ++attempt) {
        Target target;
        Handle file;
        if (Result result = openFollowed(path, GENERIC_READ | GENERIC_WRITE, target, file); !result.ok())
            return result;
        // A file of one name and owner with no cut save to settle is replaced whole, which
        // takes no lock: no program that merely reads the file can hold such a save up.
        const bool settle = file.valid() && journals && hasJournal(file.get(), *journals);
        const bool whole = !file.valid() || (replaceableWhole(file.get()) && !settle);
        if (whole) {
            file.close(); // ReplaceFileW takes the name of a file nobody of ours holds
            clearLeftovers(target);
            return replaceAtomically(target, bytes);
        }
        // Into the file itself, locked, so that saves through any of its names wait for each
        // other; a name given another file while it waited leads to the file to save now.
        if (!file.lock(true)) {
            const DWORD error = ::GetLastError();
            return error == ERROR_LOCK_VIOLATION ? failed(Fault::Busy, target.path)
                                                 : failed(Fault::Failed, target.path, error);
        }
        if (!stillNamed(target.path, file.get()))
            continue;
        Result recovered;
        if (settle) {
            recovered = settleJournal(target, file.get(), *journals);
            if (!recovered.ok())
                return recovered;
        }
        clearLeftovers(target);
        Result result;
        if (replaceableWhole(file.get())) {
            file.close(); // ReplaceFileW takes the name of a file nobody of ours holds
            result = replaceAtomically(target, bytes);
        } else {
            result = journals ? replaceInPlace(target, file.get(), bytes, *journals)
                              : failed(Fault::NoJournals, target.path);
        }
        result.putBack = recovered.putBack;
        result.setAside = recovered.setAside;
        result.journalDamaged = recovered.journalDamaged;
        result.cutSave = recovered.cutSave;
        return result;
    }
    return failed(Fault::Unsettled, path);
}

Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals)
{
    Target target;
    if (isDeviceName(path) || !followLinks(path, target).ok() || !target.exists
        || (target.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {}; // the load says what is wrong with the path
    Result result;
    // Only a file with a journal of this user's needs the lock that settling it takes.
    Handle file = openExisting(target, GENERIC_READ | GENERIC_WRITE);
    if (file.valid() && journals && ::GetFileType(file.get()) == FILE_TYPE_DISK && hasJournal(file.get(), *journals)) {
        if (!file.lock(true))
            return ::GetLastError() == ERROR_LOCK_VIOLATION ? failed(Fault::Busy, target.path) : Result();
        if (stillNamed(target.path, file.get()))
            result = settleJournal(target, file.get(), *journals);
    }
    clearLeftovers(target);
    return result;
}

} // namespace files::platform
