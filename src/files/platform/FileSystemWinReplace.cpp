// A save that puts a new file in the old one's place (ReplaceFileW), and the temporary
// files such saves make beside a combat and leave when they are killed.
#include "files/platform/FileSystemWinParts.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace files::platform::win {
namespace {

// A temporary file lives while a save runs, beside the file it will replace, shared with
// nobody until it is closed: one that opens unshared was left by a save that died.
const QString TemporaryPrefix = QStringLiteral(".fraymark-save-");
// The marks of a file that a save keeps.
constexpr DWORD KeptMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A name our saves give their temporary files: the prefix, two hex numbers, ".tmp".
bool isTemporaryName(const QString &name)
{
    static const QRegularExpression Pattern(QStringLiteral("^\\.fraymark-save-[0-9a-f]+-[0-9a-f]+\\.tmp$"));
    return Pattern.match(name).hasMatch();
}

// A new hidden file of ours in the folder, open for writing and shared with nobody.
Handle createTemporary(const QString &folder, QString &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + u'/' + TemporaryPrefix + QString::number(::GetCurrentProcessId(), 16) + u'-'
            + QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".tmp");
        Handle file(::CreateFileW(native(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN,
                                  nullptr));
        if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return {};
}

// Whether a file of `owner` beside the target is ours to clear: this user's, or the owner's
// of the file, who may write it anyway. Anyone may put a file of such a name in a shared folder.
bool mayClear(const QByteArray &owner, const Target &target)
{
    if (isOwnOwner(owner))
        return true;
    const Handle file = target.exists ? openExisting(target, READ_CONTROL) : Handle();
    QByteArray fileOwner;
    return file.valid() && ownerOf(file.get(), fileOwner) && !fileOwner.isEmpty() && fileOwner == owner;
}

} // namespace

// The new content in a temporary file beside the target, on the disk, then put in its
// place: ReplaceFileW keeps the old file's attributes, security and other streams; a new
// file comes by a move.
Result replaceAtomically(const Target &target, const QByteArray &bytes)
{
    const QString folder = target.folderPath();
    QString temporary;
    Handle file = createTemporary(folder, temporary);
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ACCESS_DENIED ? failed(Fault::FolderReadOnly, folder, error) : lookupFault(folder, error);
    }
    const bool written = writeAt(file.get(), bytes.constData(), bytes.size(), 0) && ::FlushFileBuffers(file.get());
    DWORD error = written ? 0 : ::GetLastError();
    file.close();
    if (written) {
        const bool placed = target.exists ? ::ReplaceFileW(native(target.path).c_str(), native(temporary).c_str(),
                                                           nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                          : ::MoveFileExW(native(temporary).c_str(), native(target.path).c_str(),
                                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (placed) {
            // The old file's marks, hidden and system among them, and the archive mark of a
            // changed file. ReplaceFileW keeps them on Windows, but not every system does.
            const DWORD marks = target.exists ? target.info.dwFileAttributes & KeptMarks : 0;
            ::SetFileAttributesW(native(target.path).c_str(), marks | FILE_ATTRIBUTE_ARCHIVE);
            return {};
        }
        error = ::GetLastError();
    }
    ::DeleteFileW(native(temporary).c_str());
    if (error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_SHARING_VIOLATION)
        return failed(Fault::InUse, target.path, error);
    if (error == ERROR_ACCESS_DENIED)
        return failed(Fault::ReadOnly, target.path, error);
    // The folder was there a moment ago: whatever vanished, the system's words say it.
    return failed(Fault::Failed, target.path, error);
}

void clearLeftovers(const Target &target)
{
    const QString folder = target.folderPath();
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(native(folder + u'/' + TemporaryPrefix + u'*').c_str(),
                                             FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        const QString leftover = folder + u'/' + name;
        constexpr DWORD NoFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (!isTemporaryName(name) || (found.dwFileAttributes & NoFile) || !leftForAWhile(found))
            continue;
        // A running save shares its file with nobody, so only a leftover opens. What was
        // judged is what goes: the handle itself is marked for deletion.
        const Handle file = openPath(leftover, READ_CONTROL | DELETE, 0, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
        BY_HANDLE_FILE_INFORMATION info{};
        QByteArray owner;
        if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)
            || (info.dwFileAttributes & NoFile) || (target.exists && sameFile(info, target.info))
            || !ownerOf(file.get(), owner) || !mayClear(owner, target))
            continue;
        FILE_DISPOSITION_INFO gone{};
        gone.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &gone, sizeof gone);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace files::platform::win
