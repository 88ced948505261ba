// What every Windows file of the platform layer leans on: errors in the user's terms, whole
// writes and reads at an offset, locks that wait a moment, owners and access lists.
#include "files/platform/FileSystemWinParts.h"

#include <QThread>

#include <sddl.h>
#include <aclapi.h>

namespace files::platform::win {
namespace {

// How long a save or a load waits for another save of the same file before it says so.
constexpr int LockWaitMs = 2000;
constexpr int LockPollMs = 20;

// The SID of this process's user (TokenUser), or of the owner the system gives the files it
// makes (TokenOwner), kept in `buffer`; nullptr when the system does not say.
PSID tokenSid(TOKEN_INFORMATION_CLASS kind, QByteArray &buffer)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    const Handle held(token);
    DWORD needed = 0;
    ::GetTokenInformation(token, kind, nullptr, 0, &needed);
    buffer = QByteArray(qsizetype(needed), '\0');
    if (needed == 0 || !::GetTokenInformation(token, kind, buffer.data(), needed, &needed))
        return nullptr;
    return kind == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                             : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner;
}

bool isWellKnown(const QByteArray &sid, WELL_KNOWN_SID_TYPE type)
{
    QByteArray known(SECURITY_MAX_SID_SIZE, '\0');
    DWORD size = DWORD(known.size());
    return ::CreateWellKnownSid(type, nullptr, known.data(), &size)
        && ::EqualSid(const_cast<char *>(sid.constData()), known.data());
}

} // namespace

QString systemWords(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD size = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString words = size ? QString::fromWCharArray(text, int(size)).trimmed() : QStringLiteral("error %1").arg(error);
    ::LocalFree(text);
    return words;
}

Result lookupFault(const QString &place, DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return failed(Fault::Missing, place, error);
    case ERROR_DIRECTORY:
        return failed(Fault::NotAFolder, place, error);
    case ERROR_FILENAME_EXCED_RANGE: {
        Result result = failed(Fault::PathTooLong, place, error);
        result.limit = LongestPath;
        return result;
    }
    case ERROR_CANT_RESOLVE_FILENAME:
        return failed(Fault::LinkLoop, place, error);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return failed(Fault::InUse, place, error);
    default:
        return failed(Fault::Failed, place, error);
    }
}

Handle openPath(const QString &path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                SECURITY_ATTRIBUTES *security)
{
    return Handle(::CreateFileW(native(path).c_str(), access, share, security, disposition,
                                flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

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

bool sameFile(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
        && a.nFileIndexLow == b.nFileIndexLow;
}

bool stillNamed(const QString &path, HANDLE held)
{
    const Handle named = openPath(path, FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION now{}, then{};
    return named.valid() && ::GetFileInformationByHandle(named.get(), &now)
        && ::GetFileInformationByHandle(held, &then) && sameFile(now, then);
}

bool writeAt(HANDLE file, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(quint64(offset));
        at.OffsetHigh = DWORD(quint64(offset) >> 32);
        DWORD written = 0;
        if (!::WriteFile(file, data, DWORD(qMin<qint64>(size, 1 << 30)), &written, &at))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

bool readAt(HANDLE file, qint64 offset, qint64 limit, QByteArray &bytes)
{
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        OVERLAPPED at{};
        const quint64 from = quint64(offset + bytes.size());
        at.Offset = DWORD(from);
        at.OffsetHigh = DWORD(from >> 32);
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &read, &at))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (read == 0)
            return true;
        if (bytes.size() + qint64(read) > limit) {
            ::SetLastError(ERROR_FILE_TOO_LARGE);
            return false;
        }
        bytes.append(buffer, qsizetype(read));
    }
}

bool writeWhole(HANDLE file, const QByteArray &bytes)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = bytes.size();
    return writeAt(file, bytes.constData(), bytes.size(), 0)
        && ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) && ::FlushFileBuffers(file);
}

bool lockWaiting(HANDLE file, bool exclusive)
{
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    for (int waited = 0;; waited += LockPollMs) {
        OVERLAPPED whole{};
        if (::LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole))
            return true;
        if (::GetLastError() != ERROR_LOCK_VIOLATION)
            return false;
        if (waited >= LockWaitMs)
            return false;
        QThread::msleep(LockPollMs);
    }
}

bool Handle::lock(bool exclusive)
{
    m_locked = lockWaiting(m_handle, exclusive);
    return m_locked;
}

void Handle::close()
{
    if (valid() && m_locked) {
        OVERLAPPED whole{};
        ::UnlockFileEx(m_handle, 0, MAXDWORD, MAXDWORD, &whole);
    }
    if (valid())
        ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_locked = false;
}

bool ownerOf(HANDLE file, QByteArray &sid)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                          nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        ::SetLastError(error);
        return false;
    }
    sid = owner && ::IsValidSid(owner) ? QByteArray(static_cast<const char *>(owner), qsizetype(::GetLengthSid(owner)))
                                       : QByteArray();
    ::LocalFree(descriptor);
    return true;
}

bool isOwnOwner(const QByteArray &sid)
{
    if (sid.isEmpty())
        return true;
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        QByteArray buffer;
        const PSID own = tokenSid(kind, buffer);
        if (own && ::EqualSid(own, const_cast<char *>(sid.constData())))
            return true;
    }
    return false;
}

bool isSystemOwner(const QByteArray &sid)
{
    return !sid.isEmpty() && (isWellKnown(sid, WinBuiltinAdministratorsSid) || isWellKnown(sid, WinLocalSystemSid));
}

QString accountName(const QByteArray &sid)
{
    const PSID account = const_cast<char *>(sid.constData());
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (!sid.isEmpty() && ::LookupAccountSidW(nullptr, account, name, &nameSize, domain, &domainSize, &use))
        return (domainSize ? QString::fromWCharArray(domain, int(domainSize)) + u'\\' : QString())
            + QString::fromWCharArray(name, int(nameSize));
    LPWSTR text = nullptr;
    QString words;
    if (!sid.isEmpty() && ::ConvertSidToStringSidW(account, &text)) {
        words = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    return words;
}

SecurityDescriptor forThisUserAlone(bool inherited)
{
    QByteArray buffer;
    const PSID user = tokenSid(TokenUser, buffer);
    LPWSTR sid = nullptr;
    if (!user || !::ConvertSidToStringSidW(user, &sid))
        return nullptr;
    // Protected (P): nothing comes down from the folders above.
    const std::wstring sddl = std::wstring(inherited ? L"D:P(A;OICI;FA;;;" : L"D:P(A;;FA;;;") + sid + L")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return SecurityDescriptor(descriptor);
}

bool leftForAWhile(const WIN32_FIND_DATAW &found)
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME &time) { // in 100 ns
        return (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    constexpr quint64 Minute = 60ull * 10'000'000ull;
    const quint64 written = ticks(found.ftLastWriteTime);
    return ticks(now) > written && ticks(now) - written >= Minute;
}

} // namespace files::platform::win
