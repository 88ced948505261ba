// A folder of the user's own held open (the state folder of crash copies and journals):
// found as a save finds its file, made when missing, and every file in it reached through
// the descriptor held, never through its path again.
#include "files/platform/FileSystemPosixParts.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>

namespace files::platform {
using namespace posix;

struct PrivateFolder::Held
{
    Descriptor fd;
    dev_t device = 0;
    ino_t inode = 0;
};

namespace {

// Makes the missing folders of `path`, each found by the rule of the way to a file, so none
// is made through a link of another's: those on the way for anyone to enter (0755), the last
// for its owner alone. What is already there is left for open() to judge.
Result makeMissing(const QByteArray &path, bool last = true)
{
    Target target;
    Result found = followLinks(path, target);
    if (found.fault == Fault::Missing && path.count('/') > 1) { // a folder on the way is missing
        if (Result made = makeMissing(folderOf(path), false); !made.ok())
            return made;
        target = Target();
        found = followLinks(path, target);
    }
    if (!found.ok() || target.exists)
        return found;
    if (::mkdirat(target.folder.get(), target.name.constData(), last ? 0700 : 0755) != 0 && errno != EEXIST)
        return lookupFault(target.path, errno, target.folder.get());
    return {};
}

// A file being written is made under a name of this form and renamed over its own when
// whole. It is locked while it is written: an unlocked one was left by a program that died.
constexpr char NewPrefix[] = ".new-";

void clearNewLeftovers(int folder)
{
    Descriptor fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR *dir = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
    if (!dir)
        return;
    fd.release(); // closedir() closes it
    while (const dirent *entry = ::readdir(dir)) {
        if (!QByteArrayView(entry->d_name).startsWith(NewPrefix))
            continue;
        const Descriptor left(::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (left.valid() && ::flock(left.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(dir);
}

// `name` as a bare name in the folder: anything with a slash or a dot for a name is refused.
bool isBareName(const QByteArray &name)
{
    return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

} // namespace


Result PrivateFolder::open(const QString &path, std::unique_ptr<PrivateFolder> &folder)
{
    const QByteArray name = native(path);
    if (Result made = makeMissing(name); !made.ok())
        return made;
    Target target;
    if (Result found = followLinks(name, target); !found.ok())
        return found;
    if (!target.exists)
        return failed(Fault::Missing, name);
    if (!S_ISDIR(target.info.st_mode))
        return failed(Fault::NotAFolder, target.path);
    // Whoever may rename what a folder on the way holds could put another folder in its place.
    if (!target.open.isEmpty()) {
        Result result = failed(Fault::OpenFolder, target.path);
        result.via = shown(target.open);
        return result;
    }
    auto held = std::make_shared<Held>();
    held->fd = Descriptor(::openat(target.folder.get(), target.name.constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!held->fd.valid() || ::fstat(held->fd.get(), &info) != 0)
        return lookupFault(target.path, errno);
    // Only a folder of this user's own: whoever owns it could put links and files in it.
    if (info.st_uid != ::geteuid()) {
        Result result = failed(Fault::OthersFile, target.path);
        result.owner = userName(info.st_uid);
        return result;
    }
    // Others lose their access; what the owner may do stays as the owner set it.
    if ((info.st_mode & 0077) != 0 && ::fchmod(held->fd.get(), info.st_mode & 0700) != 0)
        return failed(Fault::Failed, target.path, errno);
    held->device = info.st_dev;
    held->inode = info.st_ino;
    clearNewLeftovers(held->fd.get());
    folder.reset(new PrivateFolder(path, std::move(held)));
    return {};
}

Result PrivateFolder::stillAtItsPath() const
{
    Target target;
    if (followLinks(native(m_path), target).ok() && target.exists && target.info.st_dev == m_held->device
        && target.info.st_ino == m_held->inode)
        return {};
    return refusal(Fault::Moved, m_path);
}

Result PrivateFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QByteArray file = native(name);
    const int folder = m_held->fd.get();
    if (!isBareName(file))
        return failed(Fault::Failed, file, EINVAL);
    QByteArray temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = NewPrefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = Descriptor(::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 0600));
        if (!fd.valid() && errno != EEXIST)
            return failed(errno == EACCES || errno == EROFS ? Fault::FolderReadOnly : Fault::Failed, native(m_path),
                          errno);
        if (fd.valid() && !holdNewFile(folder, temporary.constData(), fd.get()))
            fd.close();
    }
    // Renamed while still locked: once the lock goes, another start's clearing may take the name.
    const bool written = fd.valid() && writeAll(fd.get(), bytes.constData(), bytes.size(), 0) && ::fsync(fd.get()) == 0
        && ::renameat(folder, temporary.constData(), folder, file.constData()) == 0;
    const int error = errno;
    fd.close(); // synced already; what close says adds nothing
    if (!written) {
        ::unlinkat(folder, temporary.constData(), 0);
        return failed(Fault::Failed, native(m_path) + '/' + file, error);
    }
    ::fsync(folder);
    return {};
}

Result PrivateFolder::readFile(const QString &name, qint64 maxSize, QByteArray &bytes, bool tail) const
{
    const QByteArray file = native(name);
    const QByteArray place = native(m_path) + '/' + file;
    if (!isBareName(file))
        return failed(Fault::Missing, place);
    const Descriptor fd(::openat(m_held->fd.get(), file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid())
        return errno == ELOOP ? failed(Fault::NotOrdinary, place) : lookupFault(place, errno);
    if (::fstat(fd.get(), &info) != 0)
        return failed(Fault::Failed, place, errno);
    if (!S_ISREG(info.st_mode))
        return failed(Fault::NotOrdinary, place);
    if (!tail && info.st_size > maxSize)
        return failed(Fault::TooLarge, place);
    const qint64 from = tail ? qMax<qint64>(0, info.st_size - maxSize) : 0;
    if (!readAll(fd.get(), from, maxSize, bytes))
        return errno == EFBIG ? failed(Fault::TooLarge, place) : failed(Fault::Failed, place, errno);
    return {};
}

Result PrivateFolder::renameFile(const QString &name, const QString &newName) const
{
    const QByteArray from = native(name), to = native(newName);
    if (!isBareName(from) || !isBareName(to))
        return failed(Fault::Failed, from, EINVAL);
    const int folder = m_held->fd.get();
    if (::renameat(folder, from.constData(), folder, to.constData()) != 0)
        return lookupFault(native(m_path) + '/' + from, errno);
    ::fsync(folder);
    return {};
}

Result PrivateFolder::removeFile(const QString &name) const
{
    const QByteArray file = native(name);
    if (!isBareName(file) || ::unlinkat(m_held->fd.get(), file.constData(), 0) == 0 || errno == ENOENT)
        return {};
    return errno == EISDIR ? failed(Fault::IsFolder, native(m_path) + '/' + file)
                           : failed(Fault::Failed, native(m_path) + '/' + file, errno);
}

Result PrivateFolder::fileSize(const QString &name, qint64 &size) const
{
    const QByteArray file = native(name);
    const QByteArray place = native(m_path) + '/' + file;
    struct stat info {};
    if (!isBareName(file))
        return failed(Fault::Missing, place);
    if (::fstatat(m_held->fd.get(), file.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return lookupFault(place, errno);
    if (S_ISDIR(info.st_mode))
        return failed(Fault::IsFolder, place);
    if (!S_ISREG(info.st_mode))
        return failed(Fault::NotOrdinary, place);
    size = info.st_size;
    return {};
}

Result PrivateFolder::listFiles(const QString &prefix, QList<Listed> &files) const
{
    files.clear();
    Descriptor fd(::openat(m_held->fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR *dir = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
    if (!dir)
        return failed(Fault::Failed, native(m_path), errno);
    const int listed = fd.release(); // closedir() closes it
    const QByteArray head = native(prefix);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(head))
            continue;
        struct stat info {};
        if (::fstatat(listed, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            files.append({shown(name.toByteArray()),
                          qint64(info.st_mtim.tv_sec) * 1000 + qint64(info.st_mtim.tv_nsec) / 1000000});
    }
    ::closedir(dir);
    if (error != 0) {
        files.clear();
        return failed(Fault::Failed, native(m_path), error);
    }
    std::sort(files.begin(), files.end(), [](const Listed &a, const Listed &b) {
        return a.modified != b.modified ? a.modified > b.modified : a.name > b.name;
    });
    return {};
}

Result PrivateFolder::tryLock(const QString &name, bool make, int &descriptor) const
{
    const QByteArray file = native(name);
    const QByteArray place = native(m_path) + '/' + file;
    if (!isBareName(file))
        return failed(Fault::Missing, place);
    const int folder = m_held->fd.get();
    for (;;) {
        Descriptor fd(::openat(folder, file.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (make ? O_CREAT : 0), 0600));
        if (!fd.valid())
            return lookupFault(place, errno, folder);
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            return errno == EWOULDBLOCK ? failed(Fault::Busy, place) : failed(Fault::Failed, place, errno);
        // Whoever held it may have removed the name meanwhile: a lock on a file no longer
        // under the name shows nothing to anyone.
        struct stat held {}, named {};
        if (::fstat(fd.get(), &held) == 0
            && ::fstatat(folder, file.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev
            && held.st_ino == named.st_ino) {
            descriptor = fd.release();
            return {};
        }
        if (!make)
            return failed(Fault::Missing, place);
    }
}

void releaseLock(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

} // namespace files::platform
