#pragma once

// What the POSIX files of the platform layer share: a descriptor that closes itself, names
// as the system takes them, and what the system's errors mean for the user.
#include "files/platform/FileSystem.h"

#include <QFile>

#include <utility>

#include <sys/types.h>
#include <unistd.h>

namespace files::platform::posix {

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~Descriptor() { close(); }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // The caller keeps the descriptor open.
    int release() { return std::exchange(m_fd, -1); }
    // close() reports what a delayed write could not do; keep that.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

inline QByteArray native(const QString &path) { return QFile::encodeName(path); }
inline QString shown(const QByteArray &path) { return QFile::decodeName(path); }

Result failed(Fault fault, const QByteArray &place, int error = 0);
// The folder part of `path`: "." for a bare name, "/" for a name in the root.
QByteArray folderOf(const QByteArray &path);
// The user's login name, or the number when the system knows no name for it.
QString userName(uid_t uid);
// What ENAMETOOLONG meant: one name too long for its file system, or the whole path.
// `folder`, when open, is the folder whose limit counts.
Result tooLong(const QByteArray &path, int folder = -1);
// Why a lookup of `path` failed with `error`.
Result lookupFault(const QByteArray &path, int error, int folder = -1);

} // namespace files::platform::posix
