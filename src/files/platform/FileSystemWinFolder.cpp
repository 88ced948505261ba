// What a folder of the program's own needs on Windows: its own file made or opened in one
// call, files removed, sized and listed. Names are UTF-16, long paths take the \\?\ form,
// and a link (any reparse point) at the last name is never followed.
#include "files/platform/FileSystemWinParts.h"

#include <aclapi.h>
#include <sddl.h>

namespace files::platform {
using namespace win;
namespace {

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

// Whether `owner` is this user, or the owner this user's new files get (the Administrators
// group, for an administrator on some systems). A file system that keeps no owners (FAT)
// holds nobody else's files.
bool ownOwner(PSID owner)
{
    if (!owner)
        return true;
    for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
        QByteArray buffer;
        const PSID sid = tokenSid(kind, buffer);
        if (sid && ::EqualSid(owner, sid))
            return true;
    }
    return false;
}

// "DOMAIN\name" of the account `sid`, or the SID in text when no name is known.
QString accountName(PSID sid)
{
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (sid && ::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return (domainSize ? QString::fromWCharArray(domain, int(domainSize)) + u'\\' : QString())
            + QString::fromWCharArray(name, int(nameSize));
    LPWSTR text = nullptr;
    QString words;
    if (sid && ::ConvertSidToStringSidW(sid, &text)) {
        words = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    return words;
}

// An access list that lets this user alone in, as 0600 does (LocalFree it); nullptr when
// none can be made.
PSECURITY_DESCRIPTOR forThisUserAlone()
{
    QByteArray buffer;
    const PSID user = tokenSid(TokenUser, buffer);
    LPWSTR sid = nullptr;
    if (!user || !::ConvertSidToStringSidW(user, &sid))
        return nullptr;
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

// What was opened at `path` must be an ordinary file of this user's own.
Result ownFileOrRefusal(HANDLE file, const QString &path)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return failed(Fault::NotOrdinary, path);
    if (!::GetFileInformationByHandle(file, &info))
        return failed(Fault::Failed, path, ::GetLastError());
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                          nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return failed(Fault::Failed, path, error);
    Result result;
    const bool link = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (link || (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !ownOwner(owner))) {
        result = failed(link ? Fault::ForeignLink : Fault::OthersFile, path);
        result.owner = accountName(owner);
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        result = failed(Fault::IsFolder, path);
    }
    ::LocalFree(descriptor);
    return result;
}

} // namespace

Result makeOwnFile(const QString &path)
{
    PSECURITY_DESCRIPTOR access = forThisUserAlone();
    if (!access)
        return failed(Fault::Failed, path, ::GetLastError());
    SECURITY_ATTRIBUTES security{sizeof security, access, FALSE};
    // OPEN_ALWAYS makes the file, with the list above, or opens the one there, in the same
    // call. A link (any reparse point) opens as itself and a folder opens too, so that what
    // is judged is what is there.
    const Handle file(::CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &security, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
    const DWORD error = ::GetLastError();
    ::LocalFree(access);
    if (!file.valid())
        return lookupFault(path, error);
    return ownFileOrRefusal(file.get(), path);
}

Result removeFile(const QString &path)
{
    // A link goes itself, never what it leads to.
    if (::DeleteFileW(native(path).c_str()))
        return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return {};
    return lookupFault(path, error);
}

Result fileSize(const QString &path, qint64 &size)
{
    // The facts of a link itself, not of what it leads to.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(native(path).c_str(), GetFileExInfoStandard, &data))
        return lookupFault(path, ::GetLastError());
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        return failed(Fault::NotOrdinary, path);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return failed(Fault::IsFolder, path);
    size = qint64((quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return {};
}

Result listFiles(const QString &folder, const QString &prefix, const QString &suffix, QStringList &names)
{
    names.clear();
    // Long names only (FindExInfoBasic): an old short name could match where the long one
    // does not. Each name is checked again all the same, as Windows compares them.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(folder + u'/' + prefix + u'*').c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? Result() : lookupFault(folder, error);
    }
    constexpr DWORD NotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!(found.dwFileAttributes & NotOrdinary) && name.size() >= prefix.size() + suffix.size()
            && name.startsWith(prefix, Qt::CaseInsensitive) && name.endsWith(suffix, Qt::CaseInsensitive))
            names << name;
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        names.clear();
        return lookupFault(folder, error);
    }
    names.sort(Qt::CaseInsensitive);
    return {};
}

} // namespace files::platform
