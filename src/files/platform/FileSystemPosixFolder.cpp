// What a folder of the program's own needs on POSIX systems: its own file made without a
// moment between a look and the making, files removed, sized and listed. Links are never
// followed at the last name.
#include "files/platform/FileSystemPosixParts.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace files::platform {
using namespace posix;
namespace {

// What was opened at `name` must be an ordinary file of this user's own.
Result ownFileOrRefusal(int fd, const QByteArray &name)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return failed(Fault::Failed, name, errno);
    if (S_ISLNK(info.st_mode) || (S_ISREG(info.st_mode) && info.st_uid != ::geteuid())) {
        Result result = failed(S_ISLNK(info.st_mode) ? Fault::ForeignLink : Fault::OthersFile, name);
        result.owner = userName(info.st_uid);
        return result;
    }
    if (S_ISDIR(info.st_mode))
        return failed(Fault::IsFolder, name);
    if (!S_ISREG(info.st_mode))
        return failed(Fault::NotOrdinary, name);
    return {};
}

// Why no file could be made at `name`, with the system's words always.
Result makeFault(const QByteArray &name, int error)
{
    Result result = lookupFault(name, error);
    if (result.systemText.isEmpty())
        result.systemText = qt_error_string(error);
    return result;
}

} // namespace

Result makeOwnFile(const QString &path)
{
    const QByteArray name = native(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // O_EXCL makes nothing where a link leads: a link at the name is "there" already.
        const Descriptor made(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (made.valid())
            return ownFileOrRefusal(made.get(), name);
        if (errno != EEXIST)
            return makeFault(name, errno);
        // What is there, opened without following, reading or waiting on it: a link opens
        // as itself, a pipe without a writer does not block, and no permission is needed.
        const Descriptor there(::open(name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (there.valid())
            return ownFileOrRefusal(there.get(), name);
        if (errno != ENOENT)
            return makeFault(name, errno);
        // Removed in the moment between: the next try makes it.
    }
    return failed(Fault::Failed, name, EEXIST);
}

Result removeFile(const QString &path)
{
    const QByteArray name = native(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT)
        return {};
    const int error = errno;
    if (error == EISDIR)
        return failed(Fault::IsFolder, name);
    if (error == EACCES || error == EPERM || error == EROFS)
        return failed(Fault::FolderReadOnly, folderOf(name), error);
    return lookupFault(name, error);
}

Result fileSize(const QString &path, qint64 &size)
{
    const QByteArray name = native(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return lookupFault(name, errno);
    if (S_ISDIR(info.st_mode))
        return failed(Fault::IsFolder, name);
    if (!S_ISREG(info.st_mode))
        return failed(Fault::NotOrdinary, name);
    size = info.st_size;
    return {};
}

Result listFiles(const QString &folder, const QString &prefix, const QString &suffix, QStringList &names)
{
    names.clear();
    const QByteArray path = native(folder);
    Descriptor fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid())
        return lookupFault(path, errno);
    DIR *dir = ::fdopendir(fd.get());
    if (!dir)
        return failed(Fault::Failed, path, errno);
    const int listed = fd.release(); // closedir() closes it
    const QByteArray head = native(prefix);
    const QByteArray tail = native(suffix);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const QByteArrayView name(entry->d_name);
        if (name.size() < head.size() + tail.size() || !name.startsWith(head) || !name.endsWith(tail))
            continue;
        // Some file systems leave the kind out of the listing.
        struct stat info {};
        if (entry->d_type == DT_REG
            || (entry->d_type == DT_UNKNOWN && ::fstatat(listed, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(info.st_mode)))
            names << shown(name.toByteArray());
    }
    ::closedir(dir);
    if (error != 0) {
        names.clear();
        return failed(Fault::Failed, path, error);
    }
    names.sort();
    return {};
}

} // namespace files::platform
