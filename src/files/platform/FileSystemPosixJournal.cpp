// The file of a save in place (a hard-linked file, another's file) as the journal
// (SaveJournal.cpp) reads and writes it: through its descriptor.
#include "files/platform/FileSystemPosixParts.h"
#include "files/platform/SaveJournal.h"

#include <cerrno>

namespace files::platform {
using namespace posix;

bool opened::numbers(OpenedFile fd, quint64 &device, quint64 &inode, qint64 &size)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    size = qint64(info.st_size);
    return true;
}

bool opened::readAll(OpenedFile fd, qint64 limit, QByteArray &bytes)
{
    return posix::readAll(fd, 0, limit, bytes);
}

bool opened::writeWhole(OpenedFile fd, const QByteArray &bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size(), 0) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && ::fsync(fd) == 0;
}

Result opened::lastFailure(const QString &path)
{
    const int error = errno;
    return failed(error == EFBIG ? Fault::TooLarge : Fault::Failed, native(path), error);
}

} // namespace files::platform
