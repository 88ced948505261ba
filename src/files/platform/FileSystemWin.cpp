// Windows: reading a combat file, saving one, and undoing a save that was cut off, with
// UTF-16 names and the \\?\ form for long paths. The promises are the POSIX layer's: links
// followed by one rule (FileSystemWinLookup.cpp), the whole new content or the old one, a
// file with other names written in place behind a journal in the user's own folder
// (FileSystemWinJournal.cpp), under a lock on the file itself that saves and loads through
// any of its names wait for.
#include "files/platform/FileSystemWinParts.h"
#include "files/platform/SaveSteps.h"

#include <optional>

namespace files::platform {
using namespace win;
namespace {

// NTFS and FAT take names of at most 255 UTF-16 units; Windows then says only "not found".
constexpr int LongestName = 255;

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

// A save of the file at `path`, or the undoing of a cut one, in the steps of SaveSteps.h.
class WinSteps
{
public:
    explicit WinSteps(const QString &path)
        : m_path(path)
    {
    }

    Result open()
    {
        m_handle = Handle();
        const Result opened = openFollowed(m_path, GENERIC_READ | GENERIC_WRITE, m_target, m_handle);
        m_file.emplace(m_handle.get(), shown(m_target.path));
        return opened;
    }
    // For undoing a cut save: a disk file there, whatever else is wrong with the way.
    bool openToSettle()
    {
        if (!followLinks(m_path, m_target).ok() || !m_target.exists
            || (m_target.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        m_handle = openExisting(m_target, GENERIC_READ | GENERIC_WRITE);
        m_file.emplace(m_handle.get(), shown(m_target.path));
        return m_handle.valid() && ::GetFileType(m_handle.get()) == FILE_TYPE_DISK;
    }
    bool hasFile() const { return m_handle.valid(); }
    JournaledFile &file() { return *m_file; }
    // The same owner (ReplaceFileW gives the new file the saver's), the one name.
    bool replaceableWhole() const
    {
        BY_HANDLE_FILE_INFORMATION info{};
        QByteArray owner;
        return ::GetFileInformationByHandle(m_handle.get(), &info) && info.nNumberOfLinks == 1
            && ownerOf(m_handle.get(), owner) && isOwnOwner(owner);
    }
    void clearLeftovers() { win::clearLeftovers(m_target); }
    Result replaceAtomically(const QByteArray &bytes, bool &kept)
    {
        kept = true;
        m_handle.close(); // ReplaceFileW takes the name of a file nobody of ours holds
        return win::replaceAtomically(m_target, bytes);
    }
    Result lock()
    {
        if (m_handle.lock(true))
            return {};
        const DWORD error = ::GetLastError();
        return error == ERROR_LOCK_VIOLATION ? failed(Fault::Busy, m_target.path)
                                             : failed(Fault::Failed, m_target.path, error);
    }
    bool stillNamed() const { return win::stillNamed(m_target.path, m_handle.get()); }
    Result refused(Fault fault) const { return failed(fault, m_target.path.isEmpty() ? m_path : m_target.path); }

private:
    QString m_path;
    Target m_target;
    Handle m_handle;
    std::optional<OpenFile> m_file;
};

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
    const SteadyRead read =
        readOnceWritten([&] { return file.lock(false) || ::GetLastError() != ERROR_LOCK_VIOLATION; },
                        [&](QByteArray &into) { return readAt(file.get(), 0, maxSize, into); }, bytes);
    if (read == SteadyRead::KeptChanging)
        return failed(Fault::Busy, target.path);
    if (read == SteadyRead::Failed)
        return opened::lastFailure(target.path);
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
    WinSteps steps(path);
    return replaceContents(steps, bytes, journals);
}

Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals)
{
    WinSteps steps(path);
    if (isDeviceName(path) || !steps.openToSettle())
        return {}; // the load says what is wrong with the path
    return recoverCutSave(steps, journals);
}

} // namespace files::platform
