#pragma once

// What the Windows files of the platform layer share: a handle that closes (and unlocks)
// itself, paths as the W functions take them, what the system's errors mean for the user,
// owners and access lists, the way to a file with its links followed by the rule, and the
// pieces of a save.
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

namespace files::platform::win {

// What a path may hold in the \\?\ form.
constexpr qint64 LongestPath = 32767;
// Our own handles let everyone else read, write, rename and remove: only the other
// programs' sharing decides what is in use.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(Handle &&other) noexcept
        : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE))
        , m_locked(std::exchange(other.m_locked, false))
    {
    }
    Handle &operator=(Handle &&other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        std::swap(m_locked, other.m_locked);
        return *this;
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { close(); }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    // Lets go without closing: someone else closes it now.
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }
    // Takes the lock on the whole file (lockWaiting), let go before the handle closes:
    // Windows frees the locks of a closed handle only when it gets round to it.
    bool lock(bool exclusive);
    void close();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_locked = false;
};

// The path as the W functions take it: backslashes, and the \\?\ form for an absolute
// path long enough to need it (which then takes no "." or ".." either).
inline std::wstring native(const QString &path)
{
    QString full = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    // Windows drops the dots and blanks that end a name; so does the \\?\ form here, so
    // that "c.ini." is "c.ini" however long the path.
    while (full.endsWith(u'.') || full.endsWith(u' '))
        full.chop(1);
    if (full.size() >= MAX_PATH - 12 && !full.startsWith(QLatin1String("\\\\?\\")))
        full = full.startsWith(QLatin1String("\\\\")) ? QStringLiteral("\\\\?\\UNC\\") + full.mid(2)
                                                       : QStringLiteral("\\\\?\\") + full;
    return full.toStdWString();
}

inline QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString systemWords(DWORD error);

inline Result failed(Fault fault, const QString &place, DWORD error = 0)
{
    return refusal(fault, shown(place), error != 0 ? systemWords(error) : QString());
}

// What a refused call on `place` means for the user.
Result lookupFault(const QString &place, DWORD error);

// CreateFileW on `path`; folders open too (FILE_FLAG_BACKUP_SEMANTICS).
Handle openPath(const QString &path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0,
                SECURITY_ATTRIBUTES *security = nullptr);
// CON, NUL, COM1 and the other device names are no files, whatever follows the dot.
bool isDeviceName(const QString &path);
// The volume serial number and file index of two looks: the same file.
bool sameFile(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b);
// Whether the name `path` leads (not through a link) to the file `held` is open on.
bool stillNamed(const QString &path, HANDLE held);

// Every byte at `offset`, or false with the last error set.
bool writeAt(HANDLE file, const char *data, qint64 size, qint64 offset);
// All of the file from `offset` on, at most `limit` bytes; false (the last error set) on
// an error, or ERROR_FILE_TOO_LARGE for a file longer than that.
bool readAt(HANDLE file, qint64 offset, qint64 limit, QByteArray &bytes);
// `bytes` as the whole file, on the disk.
bool writeWhole(HANDLE file, const QByteArray &bytes);
// Takes a lock on the whole file, waiting a moment for whoever holds it; false with
// ERROR_LOCK_VIOLATION when it is still held then.
bool lockWaiting(HANDLE file, bool exclusive);

// The owner of an open file as a SID in `sid` (empty when the file system keeps none);
// false when the system does not say.
bool ownerOf(HANDLE file, QByteArray &sid);
// This user, or the owner this user's new files get (the Administrators group, for an
// administrator on some systems). A file system that keeps no owners (FAT) holds nobody
// else's files.
bool isOwnOwner(const QByteArray &sid);
// The Administrators group or the system itself, whose links nobody else can have put there.
bool isSystemOwner(const QByteArray &sid);

// Whether a file found by a listing was last written a while ago. A save closes its new file
// before the system's rename takes it, and a clearing must not take it in that moment.
bool leftForAWhile(const WIN32_FIND_DATAW &found);
// "DOMAIN\name" of the account, or the SID in text when no name is known.
QString accountName(const QByteArray &sid);
// An access list that lets this user alone in, as 0600 and 0700 do; `inherited` passes it
// on to what is made in a folder. Null when none can be made.
struct LocalMemory
{
    void operator()(void *memory) const { ::LocalFree(memory); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalMemory>;
SecurityDescriptor forThisUserAlone(bool inherited);

// A name at the end of a way with its links followed by the rule of replaceFileContents:
// an existing file or folder (`exists`, `info` from the look), or a name still free in an
// existing folder. Its path holds no link the look saw.
struct Target
{
    QString path;
    bool exists = false;
    BY_HANDLE_FILE_INFORMATION info{};
    QString folderPath() const { return path.left(path.lastIndexOf(u'/')); }
    QString name() const { return path.mid(path.lastIndexOf(u'/') + 1); }
};

Result followLinks(const QString &given, Target &target);
// The target's file itself, never a link put at its name meanwhile; invalid when it
// cannot be opened (the last error says why) or is another file now (ERROR_FILE_INVALID).
Handle openExisting(const Target &target, DWORD access);

// Clears the leftovers of saves in the target's folder: temporary files no running save
// holds, of owners who may write the file anyway.
void clearLeftovers(const Target &target);
// A new file beside the target takes the bytes and replaces it.
Result replaceAtomically(const Target &target, const QByteArray &bytes);

} // namespace files::platform::win
