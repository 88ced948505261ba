// A folder of the user's own held open (the state folder of crash copies and journals):
// found as a save finds its file, made when missing with an access list for the user
// alone, and held by a handle that shares no deleting, so that nobody can rename or remove
// it meanwhile. Windows has no openat: its files are reached by the folder's path and their
// names, and it is the handle held that keeps that path leading to this folder. A link
// (any reparse point) at a name in it is never followed: a write replaces it, a read refuses it.
#include "files/platform/FileSystemWinParts.h"

#include <QRandomGenerator>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>

namespace files::platform {
using namespace win;

struct PrivateFolder::Held
{
    Handle folder;
    BY_HANDLE_FILE_INFORMATION info{};
    QString path; // with the links on the way followed: the folder held is there
    QString file(const QString &name) const { return path + u'/' + name; }
};

namespace {

// A file being written is made under a name of this form and moved over its own when
// whole. It is shared with nobody while it is written: one that can go was left by a
// program that died.
const QString NewPrefix = QStringLiteral(".new-");
// What may not be in a bare name: another folder, a stream, a name Windows would change.
bool isBareName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(u':')
        && !name.endsWith(u'.') && !name.endsWith(u' ');
}

// Makes the missing folders of `path`: those on the way as their parents make them, the
// last for its owner alone. What is already there is left for the lookup to judge.
Result makeMissing(const QString &path)
{
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const SecurityDescriptor alone = forThisUserAlone(true);
    SECURITY_ATTRIBUTES security{sizeof security, alone.get(), FALSE};
    // From the root's first folder on: "C:/" and "//server/share/" are no folders to make.
    const qsizetype start = full.startsWith(QLatin1String("//")) ? full.indexOf(u'/', full.indexOf(u'/', 2) + 1) : 2;
    for (qsizetype at = start + 1; at > 0 && at <= full.size(); ++at) {
        if (at < full.size() && full[at] != u'/')
            continue;
        const QString made = full.left(at);
        const bool last = at == full.size();
        if (::CreateDirectoryW(native(made).c_str(), last ? &security : nullptr))
            continue;
        const DWORD error = ::GetLastError();
        const QString parent = made.left(made.lastIndexOf(u'/'));
        const DWORD marks = ::GetFileAttributesW(native(parent).c_str());
        if (marks != INVALID_FILE_ATTRIBUTES && !(marks & FILE_ATTRIBUTE_DIRECTORY))
            return failed(Fault::NotAFolder, parent);
        // A folder on the way that may not be written may be there all the same.
        if (error != ERROR_ALREADY_EXISTS && (last || error != ERROR_ACCESS_DENIED))
            return lookupFault(made, error);
    }
    return {};
}

// Whether the access list of the folder lets anyone in but its user.
bool othersMayEnter(HANDLE folder)
{
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                          &descriptor)
        != ERROR_SUCCESS)
        return true;
    bool others = !acl; // no list at all lets everyone in
    for (DWORD i = 0; acl && i < acl->AceCount && !others; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        if (::GetAce(acl, i, reinterpret_cast<void **>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE) {
            const PSID sid = &ace->SidStart;
            others = !isOwnOwner(QByteArray(static_cast<const char *>(sid), qsizetype(::GetLengthSid(sid))));
        }
    }
    ::LocalFree(descriptor);
    return others;
}

// Clears the files being written that a program left when it died.
void clearNewLeftovers(const QString &folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(folder + u'/' + NewPrefix + u'*').c_str(),
                                             FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            ::DeleteFileW(native(folder + u'/' + QString::fromWCharArray(found.cFileName)).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// What is at `name` when it is no ordinary file: a link, a folder, a device.
Result notOrdinary(HANDLE file, const QString &place, BY_HANDLE_FILE_INFORMATION &info)
{
    if (!::GetFileInformationByHandle(file, &info))
        return failed(Fault::Failed, place, ::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT || ::GetFileType(file) != FILE_TYPE_DISK)
        return failed(Fault::NotOrdinary, place);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return failed(Fault::IsFolder, place);
    return {};
}

bool isListed(const QString &path)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                             nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

qint64 sizeOf(const BY_HANDLE_FILE_INFORMATION &info)
{
    return qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
}

} // namespace


Result PrivateFolder::open(const QString &path, std::unique_ptr<PrivateFolder> &folder)
{
    if (Result made = makeMissing(path); !made.ok())
        return made;
    Target target;
    if (Result found = followLinks(path, target); !found.ok())
        return found;
    if (!target.exists)
        return failed(Fault::Missing, path);
    if (!(target.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return failed(Fault::NotAFolder, target.path);
    auto held = std::make_shared<Held>();
    // Shared for reading and writing, never for deleting: no rename or removal while held.
    held->folder = openPath(target.path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!held->folder.valid())
        return lookupFault(target.path, ::GetLastError());
    QByteArray owner;
    if (!::GetFileInformationByHandle(held->folder.get(), &held->info) || !ownerOf(held->folder.get(), owner))
        return failed(Fault::Failed, target.path, ::GetLastError());
    // Only a folder of this user's own: whoever owns it could put links and files in it.
    if ((held->info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !isOwnOwner(owner)) {
        Result result = failed(held->info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? Fault::ForeignLink
                                                                                           : Fault::OthersFile,
                               target.path);
        result.owner = accountName(owner);
        return result;
    }
    if (!sameFile(held->info, target.info))
        return failed(Fault::Moved, target.path);
    // Others lose their access; the list is set only when it lets someone else in, as
    // setting it passes it on to every file in the folder.
    if (othersMayEnter(held->folder.get())) {
        const SecurityDescriptor alone = forThisUserAlone(true);
        BOOL present = FALSE, defaulted = FALSE;
        PACL acl = nullptr;
        // The path cannot lead elsewhere while the folder is held.
        const Handle owned =
            openPath(target.path, READ_CONTROL | WRITE_DAC, ShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
        const DWORD error =
            !alone || !owned.valid() || !::GetSecurityDescriptorDacl(alone.get(), &present, &acl, &defaulted)
            ? ::GetLastError()
            : ::SetSecurityInfo(owned.get(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                acl, nullptr);
        if (error != ERROR_SUCCESS)
            return failed(Fault::Failed, target.path, error);
    }
    clearNewLeftovers(target.path);
    held->path = target.path;
    folder.reset(new PrivateFolder(path, std::move(held)));
    return {};
}

Result PrivateFolder::stillAtItsPath() const
{
    Target target;
    if (followLinks(m_path, target).ok() && target.exists && sameFile(target.info, m_held->info))
        return {};
    return refusal(Fault::Moved, m_path);
}

namespace {

// One try at writing `bytes` to a new file in the folder and moving it to `place`; false with
// the error when it failed.
bool writeThroughNewFile(const QString &folder, const QString &place, const QByteArray &bytes, DWORD &error)
{
    const SecurityDescriptor alone = forThisUserAlone(false);
    SECURITY_ATTRIBUTES security{sizeof security, alone.get(), FALSE};
    QString temporary;
    Handle file;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = folder + u'/' + NewPrefix + QString::number(QRandomGenerator::global()->generate(), 36);
        file = Handle(::CreateFileW(native(temporary).c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        error = ::GetLastError();
        if (!file.valid() && error != ERROR_FILE_EXISTS)
            return false;
    }
    // The move replaces whatever is at the name, a link too, and never writes through it.
    const bool written = file.valid() && writeAt(file.get(), bytes.constData(), bytes.size(), 0)
        && ::FlushFileBuffers(file.get());
    error = ::GetLastError();
    file.close();
    if (written
        && ::MoveFileExW(native(temporary).c_str(), native(place).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = written ? ::GetLastError() : error;
    ::DeleteFileW(native(temporary).c_str());
    return false;
}

} // namespace

Result PrivateFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QString place = m_held->file(name);
    if (!isBareName(name))
        return failed(Fault::Failed, place, ERROR_INVALID_NAME);
    DWORD error = 0;
    // Between the close and the move, another start's clearing may take the new file as left
    // by a program that died; the write is then done again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (writeThroughNewFile(m_held->path, place, bytes, error))
            return {};
        if (error != ERROR_FILE_NOT_FOUND)
            break;
    }
    if (error == ERROR_ACCESS_DENIED)
        return failed(Fault::FolderReadOnly, m_held->path, error);
    return failed(Fault::Failed, place, error);
}

Result PrivateFolder::readFile(const QString &name, qint64 maxSize, QByteArray &bytes, bool tail) const
{
    const QString place = m_held->file(name);
    if (!isBareName(name))
        return failed(Fault::Missing, place);
    const Handle file = openPath(place, GENERIC_READ, ShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!file.valid())
        return lookupFault(place, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (Result refused = notOrdinary(file.get(), place, info); !refused.ok())
        return refused.fault == Fault::IsFolder ? failed(Fault::NotOrdinary, place) : refused;
    const qint64 size = sizeOf(info);
    if (!tail && size > maxSize)
        return failed(Fault::TooLarge, place);
    if (!readAt(file.get(), tail ? qMax<qint64>(0, size - maxSize) : 0, maxSize, bytes)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_TOO_LARGE ? failed(Fault::TooLarge, place) : failed(Fault::Failed, place, error);
    }
    return {};
}

Result PrivateFolder::renameFile(const QString &name, const QString &newName) const
{
    const QString from = m_held->file(name);
    if (!isBareName(name) || !isBareName(newName))
        return failed(Fault::Failed, from, ERROR_INVALID_NAME);
    if (!::MoveFileExW(native(from).c_str(), native(m_held->file(newName)).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lookupFault(from, ::GetLastError());
    return {};
}

Result PrivateFolder::removeFile(const QString &name) const
{
    const QString place = m_held->file(name);
    if (!isBareName(name))
        return {};
    const DWORD marks = ::GetFileAttributesW(native(place).c_str());
    if (marks == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Result() : lookupFault(place, error);
    }
    if ((marks & FILE_ATTRIBUTE_DIRECTORY) && !(marks & FILE_ATTRIBUTE_REPARSE_POINT))
        return failed(Fault::IsFolder, place);
    // A link goes itself, never what it leads to; a link to a folder goes as a folder does.
    const bool gone = (marks & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(native(place).c_str())
                                                         : ::DeleteFileW(native(place).c_str());
    const DWORD error = gone ? 0 : ::GetLastError();
    return gone || error == ERROR_FILE_NOT_FOUND ? Result() : failed(Fault::Failed, place, error);
}

Result PrivateFolder::fileSize(const QString &name, qint64 &size) const
{
    const QString place = m_held->file(name);
    if (!isBareName(name))
        return failed(Fault::Missing, place);
    const Handle file = openPath(place, FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!file.valid())
        return lookupFault(place, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (Result refused = notOrdinary(file.get(), place, info); !refused.ok())
        return refused;
    size = sizeOf(info);
    return {};
}

Result PrivateFolder::listFiles(const QString &prefix, QList<Listed> &files) const
{
    files.clear();
    // Long names only (FindExInfoBasic): an old short name could match where the long one
    // does not. Each name is checked again all the same, as Windows compares them.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(m_held->file(prefix + u'*')).c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? Result() : lookupFault(m_held->path, error);
    }
    constexpr DWORD NotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    // FILETIME counts 100 ns from 1601; these are the milliseconds from there to 1970.
    constexpr qint64 From1601To1970Ms = 11644473600000;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        const quint64 written =
            (quint64(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
        if (!(found.dwFileAttributes & NotOrdinary) && name.startsWith(prefix, Qt::CaseInsensitive))
            files.append({name, qint64(written / 10000) - From1601To1970Ms});
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        files.clear();
        return lookupFault(m_held->path, error);
    }
    std::sort(files.begin(), files.end(), [](const Listed &a, const Listed &b) {
        return a.modified != b.modified ? a.modified > b.modified : a.name > b.name;
    });
    return {};
}

Result PrivateFolder::tryLock(const QString &name, bool make, int &descriptor) const
{
    const QString place = m_held->file(name);
    if (!isBareName(name))
        return failed(Fault::Missing, place);
    const SecurityDescriptor alone = forThisUserAlone(false);
    SECURITY_ATTRIBUTES security{sizeof security, alone.get(), FALSE};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Shared with nobody but a deleter: a second opener is refused, the lock file may go
        // while held (as the POSIX one does), and Windows closes it however the process ends.
        Handle file(::CreateFileW(native(place).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, &security,
                                  make ? OPEN_ALWAYS : OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            // Refused while the folder lists it: held, or removed by its holder and not yet
            // gone (a name that is going opens for nobody).
            if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && isListed(place)))
                return failed(Fault::Busy, place, error);
            return lookupFault(place, error);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (Result refused = notOrdinary(file.get(), place, info); !refused.ok())
            return refused;
        // Whoever held it may have removed the name meanwhile: a lock on a file no longer
        // under the name shows nothing to anyone.
        if (stillNamed(place, file.get())) {
            const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_RDWR);
            if (fd < 0)
                return failed(Fault::Failed, place, ::GetLastError());
            file.release(); // the descriptor owns it now
            descriptor = fd;
            return {};
        }
        if (!make)
            return failed(Fault::Missing, place);
    }
    return failed(Fault::Busy, place);
}

void releaseLock(int descriptor)
{
    if (descriptor >= 0)
        ::_close(descriptor);
}

} // namespace files::platform
