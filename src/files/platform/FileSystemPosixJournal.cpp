// A save into the file itself, for a file a rename would change (a hard-linked file,
// another's file): the file as the journal (SaveJournal.cpp) sees it, through its descriptor.
#include "files/platform/FileSystemPosixParts.h"
#include "files/platform/SaveJournal.h"

#include <cerrno>

namespace files::platform::posix {
namespace {

class PosixJournaledFile final : public JournaledFile
{
public:
    PosixJournaledFile(const Target &target, int fd)
        : m_target(target)
        , m_fd(fd)
    {
        if (::fstat(fd, &m_info) != 0)
            m_error = errno;
    }
    bool known() const { return m_error == 0; }

    quint64 device() const override { return quint64(m_info.st_dev); }
    quint64 inode() const override { return quint64(m_info.st_ino); }
    qint64 size() const override { return qint64(m_info.st_size); }
    QString path() const override { return shown(m_target.path); }
    bool readAll(qint64 limit, QByteArray &bytes) override { return kept(posix::readAll(m_fd, 0, limit, bytes)); }
    bool writeWhole(const QByteArray &bytes) override
    {
        const bool written = writeAll(m_fd, bytes.constData(), bytes.size(), 0)
            && ::ftruncate(m_fd, off_t(bytes.size())) == 0 && ::fsync(m_fd) == 0;
        if (written)
            m_info.st_size = off_t(bytes.size());
        return kept(written);
    }
    Result failure() const override
    {
        return failed(m_error == EFBIG ? Fault::TooLarge : Fault::Failed, m_target.path, m_error);
    }

private:
    bool kept(bool done)
    {
        m_error = done ? 0 : errno;
        return done;
    }

    const Target &m_target;
    int m_fd;
    struct stat m_info {};
    int m_error = 0;
};

} // namespace

bool hasJournal(const struct stat &file, const PrivateFolder &journals)
{
    return platform::hasJournal(quint64(file.st_dev), quint64(file.st_ino), journals);
}

Result replaceInPlace(const Target &target, int fd, const QByteArray &bytes, const PrivateFolder &journals)
{
    PosixJournaledFile file(target, fd);
    return file.known() ? writeInPlace(file, bytes, journals) : file.failure();
}

Result settleJournal(const Target &target, int fd, const PrivateFolder &journals)
{
    PosixJournaledFile file(target, fd);
    return file.known() ? platform::settleJournal(file, journals) : file.failure();
}

} // namespace files::platform::posix
