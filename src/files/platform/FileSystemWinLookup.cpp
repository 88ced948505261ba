// The way to a file, one name at a time, with the links on it (symbolic links, junctions:
// the reparse points Windows calls name surrogates) followed only where nobody else can
// have put them.
//
// Where Windows differs from the POSIX walk: it has no openat, so each name is looked at by
// its path and the next one is reached by a longer path again; a folder swapped for a link
// between two looks is not caught on the way. The last name is opened as itself and must
// still be the file the look found (openExisting), which is what a save writes. Nor is the
// way checked for folders others may write: reading who may write a Windows folder means
// reading its access list entry by entry, and an ordinary user may not make a symbolic
// link at all (it takes SeCreateSymbolicLinkPrivilege), so the owner of the link is the rule.
#include "files/platform/FileSystemWinParts.h"

namespace files::platform::win {
namespace {

// Windows follows at most 63 links in one lookup; the POSIX layer stops at 40, so do we.
constexpr int MaxLinkHops = 40;

// The root of an absolute path ("C:/", "//server/share") and the names after it.
void splitRoot(const QString &path, QString &root, QStringList &names)
{
    if (path.startsWith(QLatin1String("//"))) {
        const QStringList parts = path.mid(2).split(u'/', Qt::SkipEmptyParts);
        root = QStringLiteral("//") + parts.mid(0, 2).join(u'/');
        names = parts.mid(2);
    } else {
        const qsizetype slash = path.indexOf(u'/');
        root = slash < 0 ? path + u'/' : path.left(slash + 1);
        names = path.mid(root.size()).split(u'/', Qt::SkipEmptyParts);
    }
    // Windows drops the dots and blanks that end a name.
    for (QString &name : names)
        while (name.endsWith(u'.') || name.endsWith(u' '))
            name.chop(1);
    names.removeAll(QString());
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// The path the system gives an open file, in Qt's form; empty when it gives none.
QString finalPath(HANDLE file)
{
    std::wstring path(LongestPath + 1, L'\0');
    const DWORD size = ::GetFinalPathNameByHandleW(file, path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED);
    if (size == 0 || size >= path.size())
        return QString();
    QString name = QString::fromWCharArray(path.data(), int(size));
    if (name.startsWith(QLatin1String(R"(\\?\UNC\)")))
        name = QStringLiteral(R"(\\)") + name.mid(8);
    else if (name.startsWith(QLatin1String(R"(\\?\)")))
        name = name.mid(4);
    return QDir::cleanPath(QDir::fromNativeSeparators(name));
}

// Where the link `place` leads, when it may be followed: the user's own, or the
// Administrators' or the system's, which nobody else can have put there. Empty `next` for
// a link that leads nowhere.
Result readLink(const QString &place, int &hops, QString &next)
{
    if (++hops > MaxLinkHops)
        return failed(Fault::LinkLoop, place);
    const Handle link = openPath(place, READ_CONTROL | FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT);
    QByteArray owner;
    if (!link.valid() || !ownerOf(link.get(), owner))
        return failed(Fault::Failed, place, ::GetLastError());
    if (!isOwnOwner(owner) && !isSystemOwner(owner)) {
        Result result = failed(Fault::ForeignLink, place);
        result.owner = accountName(owner);
        return result;
    }
    const Handle through = openPath(place, FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING);
    if (!through.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            next.clear();
            return {};
        }
        return lookupFault(place, error);
    }
    next = finalPath(through.get());
    return next.isEmpty() ? failed(Fault::Failed, place, ::GetLastError()) : Result();
}

} // namespace

Result followLinks(const QString &given, Target &target)
{
    QString rest = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    int hops = 0;
    for (bool restart = true; restart;) {
        restart = false;
        QString walked;
        QStringList names;
        splitRoot(rest, walked, names);
        if (names.isEmpty())
            names << QString(); // the root itself, looked at as the last name
        for (qsizetype i = 0; i < names.size() && !restart; ++i) {
            const bool last = i == names.size() - 1;
            const QString place = names[i].isEmpty() ? walked : joined(walked, names[i]);
            const Handle look = openPath(place, FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT);
            if (!look.valid()) {
                const DWORD error = ::GetLastError();
                if (last && error == ERROR_FILE_NOT_FOUND) {
                    target.path = place;
                    target.exists = false;
                    return {};
                }
                if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                    return failed(Fault::Missing, place, error);
                return !last && error == ERROR_ACCESS_DENIED ? failed(Fault::FolderClosed, place, error)
                                                             : lookupFault(place, error);
            }
            BY_HANDLE_FILE_INFORMATION info{};
            FILE_ATTRIBUTE_TAG_INFO tag{};
            if (!::GetFileInformationByHandle(look.get(), &info))
                return failed(Fault::Failed, place, ::GetLastError());
            if (!::GetFileInformationByHandleEx(look.get(), FileAttributeTagInfo, &tag, sizeof tag))
                tag.ReparseTag = 0;
            if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag)) {
                QString next;
                if (Result result = readLink(place, hops, next); !result.ok())
                    return result;
                // A link of the user's own that leads nowhere: a save makes the file in its
                // place, as Windows gives no path for what such a link names.
                if (next.isEmpty() && last) {
                    target.path = place;
                    target.exists = false;
                    return {};
                }
                if (next.isEmpty())
                    return failed(Fault::Missing, place);
                // A volume mounted on a folder leads to that folder itself.
                if (QString::compare(next, place, Qt::CaseInsensitive) != 0) {
                    QStringList parts{next};
                    parts += names.mid(i + 1);
                    rest = parts.join(u'/');
                    restart = true;
                    continue;
                }
            }
            if (last) {
                target.path = place;
                target.exists = true;
                target.info = info;
                return {};
            }
            if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                return failed(Fault::NotAFolder, place);
            walked = place;
        }
    }
    return {};
}

Handle openExisting(const Target &target, DWORD access)
{
    // A reparse point that is no link (a file of a cloud folder) is opened for its content.
    const DWORD flags =
        (target.info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
    Handle file = openPath(target.path, access, ShareAll, OPEN_EXISTING, flags);
    BY_HANDLE_FILE_INFORMATION now{};
    if (file.valid() && (!::GetFileInformationByHandle(file.get(), &now) || !sameFile(now, target.info))) {
        file.close();
        ::SetLastError(ERROR_FILE_INVALID); // replaced since the look
    }
    return file;
}

} // namespace files::platform::win
