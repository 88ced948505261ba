// Windows: CreateFileW, ReadFile and WriteFile, FlushFileBuffers, ReplaceFileW and
// MoveFileExW. Names are UTF-16 throughout, and long paths take the \\?\ form. The promises
// are the POSIX layer's: the whole new content or the old one, a file with other names
// written in place behind the same journal, nothing of ours left behind.
#include "files/platform/FileSystemWinParts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <windows.h>
#include <aclapi.h>
#include <io.h>
#include <sddl.h>

#include <fcntl.h>

#include <string>
#include <utility>

namespace files::platform {
using namespace win;
namespace {

// Our own files beside a combat file, named as the POSIX layer names them; the journal
// after the file's index, which all its names share.
constexpr wchar_t TemporaryPrefix[] = L".fraymark-save-";
constexpr wchar_t JournalPrefix[] = L".fraymark-journal-";
constexpr char JournalMagic[] = "Fraymark journal 1\n";
constexpr qint64 JournalHeaderSize = qint64(sizeof JournalMagic - 1) + 3 * 17 + 65;
// The marks of a file that a save keeps.
constexpr DWORD KeptMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// The longest name of one file, in UTF-16 units.
constexpr int LongestName = 255;

// CON, NUL, COM1 and the other device names are no files, whatever follows the dot.
bool isDeviceName(const QString &path)
{
    static const QStringList Devices{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                     QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    QString base = QFileInfo(path).fileName().section(u'.', 0, 0).toUpper();
    while (base.endsWith(u' ') || base.endsWith(u':'))
        base.chop(1); // "CON:" and "NUL .ini" are the devices too
    if (Devices.contains(base))
        return true;
    static const QString Digits = QStringLiteral("123456789\u00B9\u00B2\u00B3"); // ¹²³ count as digits there
    return base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT")))
        && Digits.contains(base.at(3));
}

Handle openFile(const QString &path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0)
{
    return Handle(::CreateFileW(native(path).c_str(), access, share, nullptr, disposition,
                                flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool writeAll(HANDLE file, const char *data, qint64 size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(qMin<qint64>(size, 1 << 30));
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool readAll(HANDLE file, qint64 size, QByteArray &bytes)
{
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
        DWORD read = 0;
        const DWORD chunk = DWORD(qMin<qint64>(size - done, 1 << 30));
        if (!::ReadFile(file, bytes.data() + done, chunk, &read, nullptr))
            return false;
        if (read == 0)
            break; // shorter than it said: it shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return true;
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QString journalPath(const QString &path, const BY_HANDLE_FILE_INFORMATION &file)
{
    const quint64 index = (quint64(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
    return folderOf(path) + u'/' + QString::fromWCharArray(JournalPrefix) + QString::number(index, 16);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16).rightJustified(16, '0');
}

QByteArray journalHeader(const BY_HANDLE_FILE_INFORMATION &file, qint64 size, const QByteArray &hash)
{
    const quint64 index = (quint64(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
    return JournalMagic + hex(file.dwVolumeSerialNumber) + ' ' + hex(index) + ' ' + hex(quint64(size)) + ' '
           + hash.toHex() + '\n';
}

// The owner of an open file, as a SID in text ("" when the system keeps none).
QString ownerOf(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor)
        != ERROR_SUCCESS)
        return {};
    LPWSTR text = nullptr;
    QString sid;
    if (owner && ::ConvertSidToStringSidW(owner, &text)) {
        sid = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return sid;
}

// Whether this program may trust what `ours` holds about `file`: it belongs to the user
// running it or to the file's own owner, not to someone who merely may add files beside it.
bool trustedBeside(HANDLE ours, HANDLE file)
{
    const QString owner = ownerOf(ours);
    if (owner.isEmpty())
        return false;
    HANDLE token = nullptr;
    QString self;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        char user[256];
        DWORD size = sizeof user;
        LPWSTR text = nullptr;
        if (::GetTokenInformation(token, TokenUser, user, size, &size)
            && ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(user)->User.Sid, &text)) {
            self = QString::fromWCharArray(text);
            ::LocalFree(text);
        }
        ::CloseHandle(token);
    }
    return owner == self || owner == ownerOf(file);
}

// A name our saves give their temporary files: the prefix, two hex numbers, ".tmp".
bool isTemporaryName(const QString &name)
{
    static const QRegularExpression Pattern(QStringLiteral("^\\.fraymark-save-[0-9a-f]+-[0-9a-f]+\\.tmp$"));
    return Pattern.match(name).hasMatch();
}

// A new hidden file of ours in the folder, open for writing and shared with nobody until
// it is closed: a save that is running holds it, one that died does not.
Handle createTemporary(const QString &folder, QString &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + u'/' + QString::fromWCharArray(TemporaryPrefix)
               + QString::number(::GetCurrentProcessId(), 16) + u'-' + QString::number(::GetTickCount64() + attempt, 16)
               + QStringLiteral(".tmp");
        Handle file(::CreateFileW(native(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return {};
}

// What the file at `path` is: none, a folder, a device, or a disk file with its facts.
struct Existing
{
    bool exists = false;
    BY_HANDLE_FILE_INFORMATION info{};
};
Result lookAt(const QString &path, Existing &existing)
{
    Handle file = openFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           OPEN_EXISTING);
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return {};
        if (error == ERROR_PATH_NOT_FOUND) {
            // The folder it should go in is missing, or is a file.
            const DWORD marks = ::GetFileAttributesW(native(folderOf(path)).c_str());
            if (marks != INVALID_FILE_ATTRIBUTES && !(marks & FILE_ATTRIBUTE_DIRECTORY))
                return failed(Fault::NotAFolder, folderOf(path), error);
            return lookupFault(folderOf(path), error);
        }
        return lookupFault(path, error);
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return failed(Fault::NotOrdinary, path);
    if (!::GetFileInformationByHandle(file.get(), &existing.info))
        return failed(Fault::Failed, path, ::GetLastError());
    if (existing.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return failed(Fault::IsFolder, path);
    existing.exists = true;
    return {};
}

// The new content in a temporary file beside the target, on the disk, then put in its
// place: ReplaceFileW keeps the old file's attributes (hidden and system too), security and
// other streams; a new file comes by a move.
Result replaceWhole(const QString &path, bool exists, DWORD oldMarks, const QByteArray &bytes)
{
    QString temporary;
    Handle file = createTemporary(folderOf(path), temporary);
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ACCESS_DENIED ? failed(Fault::FolderReadOnly, folderOf(path), error)
                                            : lookupFault(folderOf(path), error);
    }
    const bool written = writeAll(file.get(), bytes.constData(), bytes.size()) && ::FlushFileBuffers(file.get());
    DWORD error = written ? 0 : ::GetLastError();
    file = Handle();
    if (written) {
        const bool placed = exists ? ::ReplaceFileW(native(path).c_str(), native(temporary).c_str(), nullptr,
                                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                   : ::MoveFileExW(native(temporary).c_str(), native(path).c_str(),
                                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (placed) {
            // The old file's marks, hidden and system among them, and the archive mark of a
            // changed file. ReplaceFileW keeps them on Windows, but not every system does.
            ::SetFileAttributesW(native(path).c_str(), (oldMarks & KeptMarks) | FILE_ATTRIBUTE_ARCHIVE);
            return {};
        }
        error = ::GetLastError();
    }
    ::DeleteFileW(native(temporary).c_str());
    if (error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_SHARING_VIOLATION)
        return failed(Fault::InUse, path, error);
    if (error == ERROR_ACCESS_DENIED)
        return failed(Fault::ReadOnly, path, error);
    // The folder was there a moment ago: whatever vanished, the system's words say it.
    return failed(Fault::Failed, path, error);
}

// A file with more names than this one keeps them only if its bytes change in place: the
// journal with the old content comes first, whole and on the disk, then the file is
// written; the journal goes when the file is.
Result replaceInPlace(const QString &path, const QByteArray &bytes)
{
    Handle file = openFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ACCESS_DENIED ? failed(Fault::ReadOnly, path, error) : lookupFault(path, error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    QByteArray old;
    if (!::GetFileInformationByHandle(file.get(), &info) || !::GetFileSizeEx(file.get(), &size)
        || !readAll(file.get(), size.QuadPart, old))
        return failed(Fault::Failed, path, ::GetLastError());

    const QString journal = journalPath(path, info);
    QString temporary;
    Handle copy = createTemporary(folderOf(path), temporary);
    const QByteArray header = journalHeader(info, old.size(), QCryptographicHash::hash(old, QCryptographicHash::Sha256));
    const bool kept = copy.valid() && writeAll(copy.get(), header.constData(), header.size())
                      && writeAll(copy.get(), old.constData(), old.size()) && ::FlushFileBuffers(copy.get());
    copy = Handle();
    // A journal still there after recover() is one it did not trust: ours replaces it.
    if (!kept
        || !::MoveFileExW(native(temporary).c_str(), native(journal).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(native(temporary).c_str());
        return failed(Fault::FolderReadOnly, folderOf(path), error);
    }

    LARGE_INTEGER start{};
    const bool written = ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)
                         && writeAll(file.get(), bytes.constData(), bytes.size()) && ::SetEndOfFile(file.get())
                         && ::FlushFileBuffers(file.get());
    if (written) {
        ::DeleteFileW(native(journal).c_str());
        return {};
    }
    const DWORD error = ::GetLastError();
    const bool back = ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)
                      && writeAll(file.get(), old.constData(), old.size()) && ::SetEndOfFile(file.get())
                      && ::FlushFileBuffers(file.get());
    Result result = failed(Fault::Failed, path, error);
    if (back)
        ::DeleteFileW(native(journal).c_str());
    else
        result.keptCopy = shown(journal);
    return result;
}

// The journal of the file, when one is whole and no save holds it; its content then goes
// back into the file. Temporary files no save holds are cleared.
Result recover(const QString &path, const Existing &existing)
{
    Result result;
    // Whose the combat file is: only its own user's or this user's files beside it are
    // taken for a journal or a leftover of ours.
    const Handle target = openFile(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING);
    const QString journal = journalPath(path, existing.info);
    Handle held = openFile(journal, GENERIC_READ | DELETE, 0, OPEN_EXISTING);
    if (held.valid() && target.valid() && trustedBeside(held.get(), target.get())) {
        LARGE_INTEGER size{};
        QByteArray whole;
        if (::GetFileSizeEx(held.get(), &size) && size.QuadPart >= JournalHeaderSize
            && readAll(held.get(), size.QuadPart, whole)) {
            const QByteArray old = whole.mid(JournalHeaderSize);
            if (whole.left(JournalHeaderSize)
                == journalHeader(existing.info, old.size(), QCryptographicHash::hash(old, QCryptographicHash::Sha256))) {
                Handle file = openFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
                if (file.valid() && writeAll(file.get(), old.constData(), old.size()) && ::SetEndOfFile(file.get())
                    && ::FlushFileBuffers(file.get()))
                    result.putBack = true;
                else
                    return result; // the journal stays for a later try
            }
        }
        // Put back, or no journal of a save of this file: it goes either way.
        held = Handle();
        ::DeleteFileW(native(journal).c_str());
    }
    WIN32_FIND_DATAW found{};
    const QString pattern = folderOf(path) + u'/' + QString::fromWCharArray(TemporaryPrefix) + u'*';
    HANDLE search = ::FindFirstFileW(native(pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const QString name = QString::fromWCharArray(found.cFileName);
            const QString leftover = folderOf(path) + u'/' + name;
            if (!isTemporaryName(name) || QFileInfo(leftover) == QFileInfo(path))
                continue;
            // A running save shares its file with nobody, so only a leftover opens.
            Handle file = openFile(leftover, READ_CONTROL | DELETE, 0, OPEN_EXISTING);
            if (file.valid() && target.valid() && trustedBeside(file.get(), target.get())) {
                file = Handle();
                ::DeleteFileW(native(leftover).c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    return result;
}

// A link at the path is followed: the save goes to the file it leads to, whose name the
// system gives once the link is opened.
QString followed(const QString &path)
{
    const DWORD marks = ::GetFileAttributesW(native(path).c_str());
    if (marks == INVALID_FILE_ATTRIBUTES || !(marks & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    Handle file = openFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           OPEN_EXISTING);
    std::wstring target(LongestPath, L'\0');
    const DWORD size = file.valid() ? ::GetFinalPathNameByHandleW(file.get(), target.data(), DWORD(target.size()),
                                                                  FILE_NAME_NORMALIZED)
                                    : 0;
    if (size == 0 || size >= target.size())
        return path; // a dangling link: made at its own name
    QString name = QString::fromWCharArray(target.data(), int(size));
    if (name.startsWith(QLatin1String(R"(\\?\UNC\)")))
        name = QStringLiteral(R"(\\)") + name.mid(8);
    else if (name.startsWith(QLatin1String(R"(\\?\)")))
        name = name.mid(4);
    return QDir::fromNativeSeparators(name);
}

} // namespace

Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    if (isDeviceName(path))
        return failed(Fault::DeviceName, path);
    Handle file = openFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file.valid())
        return lookupFault(path, ::GetLastError());
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return failed(Fault::NotOrdinary, path);
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (!::GetFileInformationByHandle(file.get(), &info) || !::GetFileSizeEx(file.get(), &size))
        return failed(Fault::Failed, path, ::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return failed(Fault::IsFolder, path);
    if (size.QuadPart > maxSize)
        return failed(Fault::TooLarge, path);
    if (!readAll(file.get(), size.QuadPart, bytes))
        return failed(Fault::Failed, path, ::GetLastError());
    return {};
}

Result replaceFileContents(const QString &given, const QByteArray &bytes)
{
    if (isDeviceName(given))
        return failed(Fault::DeviceName, given);
    // NTFS and FAT take names of at most 255 UTF-16 units; Windows then says only "not found".
    if (QFileInfo(given).fileName().size() > LongestName) {
        Result result = failed(Fault::NameTooLong, given);
        result.limit = LongestName;
        return result;
    }
    const QString path = followed(given);
    Existing existing;
    if (Result result = lookAt(path, existing); !result.ok())
        return result;
    bool putBack = false;
    if (existing.exists) {
        putBack = recover(path, existing).putBack;
        if (existing.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            return failed(Fault::ReadOnly, path);
        // Another program that has the file open without sharing it: nothing is written.
        Handle probe = openFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (!probe.valid()) {
            const DWORD error = ::GetLastError();
            return error == ERROR_ACCESS_DENIED ? failed(Fault::ReadOnly, path, error) : lookupFault(path, error);
        }
    }
    Result result = existing.exists && existing.info.nNumberOfLinks > 1
                        ? replaceInPlace(path, bytes)
                        : replaceWhole(path, existing.exists, existing.info.dwFileAttributes, bytes);
    result.putBack = putBack;
    return result;
}

Result recoverInterruptedSave(const QString &path)
{
    Existing existing;
    if (isDeviceName(path) || !lookAt(path, existing).ok() || !existing.exists)
        return {};
    return recover(path, existing);
}

Result makePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return failed(Fault::Failed, path, ::GetLastError());
    // The folder for its user alone: an ACL that grants the user everything and takes
    // nothing from the folders above.
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return failed(Fault::Failed, path, ::GetLastError());
    Handle owned(token);
    DWORD needed = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    QByteArray user(qsizetype(needed), '\0');
    LPWSTR sid = nullptr;
    if (!::GetTokenInformation(token, TokenUser, user.data(), needed, &needed)
        || !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid, &sid))
        return failed(Fault::Failed, path, ::GetLastError());
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return failed(Fault::Failed, path, ::GetLastError());
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    std::wstring name = native(path);
    const DWORD error = ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                                nullptr, nullptr, acl, nullptr);
    ::LocalFree(descriptor);
    return error == ERROR_SUCCESS ? Result{} : failed(Fault::Failed, path, error);
}

Result tryLockFile(const QString &path, int &descriptor)
{
    // Shared with nobody but a deleter: a second opener is refused, the lock file may go
    // while held (as the POSIX one does), and the system closes it however the process ends.
    Handle file(::CreateFileW(native(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_SHARING_VIOLATION ? failed(Fault::Busy, path, error) : lookupFault(path, error);
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDWR);
    if (fd < 0)
        return failed(Fault::Failed, path, ::GetLastError());
    file.release(); // the descriptor owns it now
    descriptor = fd;
    return {};
}

void releaseLock(int descriptor)
{
    if (descriptor >= 0)
        ::_close(descriptor);
}

} // namespace files::platform
