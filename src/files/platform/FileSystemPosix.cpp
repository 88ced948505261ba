// Linux and the other POSIX systems: reading a combat file, saving one, and undoing a save
// that was cut off. Both work relative to the folder of the file, reached one name at a
// time (FileSystemPosixLookup.cpp), so that the names of our own never push a path past
// the system's limit and a link is followed only where nobody else can have put it.
#include "files/platform/FileSystemPosixParts.h"
#include "files/platform/SaveSteps.h"

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>

namespace files::platform {
using namespace posix;
namespace {

// The owner of the file when the user may not write to it; empty when that is no hindrance.
Result writeRefusal(const Target &target)
{
    if (::faccessat(target.folder.get(), target.name.constData(), W_OK, 0) == 0 || errno != EACCES)
        return {};
    if (target.info.st_uid == ::geteuid())
        return failed(Fault::ReadOnly, target.path);
    Result result = failed(Fault::OthersFile, target.path);
    result.owner = userName(target.info.st_uid);
    return result;
}

// What is at the end of the way, when it is no file to read or write.
Result kindRefusal(const Target &target)
{
    if (target.exists && S_ISDIR(target.info.st_mode))
        return failed(Fault::IsFolder, target.path);
    if (target.exists && !S_ISREG(target.info.st_mode))
        return failed(Fault::NotOrdinary, target.path);
    return {};
}

// A save of the file at `path`, or the undoing of a cut one, in the steps of SaveSteps.h:
// relative to the file's folder, reached one name at a time.
class PosixSteps
{
public:
    explicit PosixSteps(const QString &path)
        : m_path(native(path))
    {
    }

    Result open()
    {
        m_target = Target();
        m_fd = Descriptor();
        if (Result result = followLinks(m_path, m_target); !result.ok())
            return result;
        if (Result refusal = kindRefusal(m_target); !refusal.ok())
            return refusal;
        if (!m_target.exists)
            return {};
        if (Result refusal = writeRefusal(m_target); !refusal.ok())
            return refusal;
        if (!openFile()) {
            if (errno != EACCES)
                return failed(Fault::Failed, m_target.path, errno);
            // Writable, so not readable: its old content cannot be kept while it is written.
            Result refusal = writeRefusal(m_target);
            return refusal.ok() ? failed(Fault::Unreadable, m_target.path) : refusal;
        }
        return {};
    }
    // For undoing a cut save: an ordinary file there, whatever else is wrong with the way.
    bool openToSettle()
    {
        return followLinks(m_path, m_target).ok() && m_target.exists && S_ISREG(m_target.info.st_mode) && openFile();
    }
    bool hasFile() const { return m_fd.valid(); }
    JournaledFile &file() { return *m_file; }
    // A rename would part the hard links: the other names would keep the old combat.
    bool replaceableWhole() const { return m_target.info.st_nlink == 1; }
    void clearLeftovers() { posix::clearLeftovers(m_target); }
    Result replaceAtomically(const QByteArray &bytes, bool &kept) { return posix::replaceAtomically(m_target, bytes, kept); }
    Result lock()
    {
        if (lockWaiting(m_fd.get(), LOCK_EX))
            return {};
        return errno == EWOULDBLOCK ? failed(Fault::Busy, m_target.path) : failed(Fault::Failed, m_target.path, errno);
    }
    bool stillNamed() const
    {
        struct stat named {}, held {};
        return ::fstatat(m_target.folder.get(), m_target.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && ::fstat(m_fd.get(), &held) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
    }
    Result refused(Fault fault) const { return failed(fault, m_target.path.isEmpty() ? m_path : m_target.path); }

private:
    bool openFile()
    {
        m_fd = Descriptor(openExisting(m_target, O_RDWR));
        const int error = errno; // why it could not be opened, when it could not
        m_file.emplace(m_fd.get(), shown(m_target.path));
        errno = error;
        return m_fd.valid();
    }

    QByteArray m_path;
    Target m_target;
    Descriptor m_fd;
    std::optional<OpenFile> m_file;
};

} // namespace

Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes)
{
    Target target;
    if (Result result = followLinks(native(path), target); !result.ok())
        return result;
    if (!target.exists)
        return failed(Fault::Missing, target.path);
    // Opening comes before any look at the file and never waits: a pipe put at the path
    // would block an ordinary open for good. What was opened is checked after.
    const Descriptor fd(openExisting(target, O_RDONLY));
    if (!fd.valid()) // the way was open: the file itself refuses, became a link, or is a socket
        return failed(errno == ELOOP || errno == ENXIO ? Fault::NotOrdinary : Fault::Failed, target.path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failed(Fault::Failed, target.path, errno);
    target.info = info;
    if (Result refusal = kindRefusal(target); !refusal.ok())
        return refusal;
    if (info.st_size > maxSize)
        return failed(Fault::TooLarge, target.path);
    const SteadyRead read =
        readOnceWritten([&] { return lockWaiting(fd.get(), LOCK_SH) || errno != EWOULDBLOCK; },
                        [&](QByteArray &into) { return readAll(fd.get(), 0, maxSize, into); }, bytes);
    if (read == SteadyRead::KeptChanging)
        return failed(Fault::Busy, target.path);
    if (read == SteadyRead::Failed)
        return errno == EFBIG ? failed(Fault::TooLarge, target.path) : failed(Fault::Failed, target.path, errno);
    return {};
}

Result replaceFileContents(const QString &path, const QByteArray &bytes, const PrivateFolder *journals)
{
    PosixSteps steps(path);
    return replaceContents(steps, bytes, journals);
}

Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals)
{
    PosixSteps steps(path);
    if (!steps.openToSettle())
        return {}; // the load says what is wrong with the path
    return recoverCutSave(steps, journals);
}

} // namespace files::platform
