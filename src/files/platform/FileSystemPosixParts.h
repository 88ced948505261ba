#pragma once

// What the POSIX files of the platform layer share: a descriptor that closes itself, names
// as the system takes them, what the system's errors mean for the user, the way to a file
// with its links followed by the rule, and the pieces of a save.
#include "files/platform/FileSystem.h"

#include <QFile>

#include <utility>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

class QCryptographicHash;

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

// Every byte at `offset`, or false with errno set.
bool writeAll(int fd, const char *data, qint64 size, qint64 offset);
// All of `from` after `fromOffset` into `to` at `toOffset` (-1: nowhere), `to` cut after it;
// `copied` counts the bytes, `hash` (when given) takes them.
bool copyContent(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 &copied,
                 QCryptographicHash *hash = nullptr);
// All of the file `fd` from `offset` on, at most `limit` bytes; false (errno set) on an
// error or a file longer than that.
bool readAll(int fd, qint64 offset, qint64 limit, QByteArray &bytes);
// Makes a rename, a new name or a removed one last. The content is on the disk already,
// so a folder that cannot be synced is no reason to call a save failed.
void syncFolder(int folder);
// Takes a lock (flock `operation`) on `fd`, waiting a moment for whoever holds it; false
// when it is still held then (errno EWOULDBLOCK) or cannot be had.
bool lockWaiting(int fd, int operation);
// Locks the new file `fd`, just made as `name` in `folder`, for the one who made it; false
// when a clearing of leftovers got to it first, so that it is gone or going: make another.
bool holdNewFile(int folder, const char *name, int fd);

// A name in an open folder, reached with its links followed by the rule below, and the
// path it was reached by (for messages only).
struct Target
{
    Descriptor folder;
    QByteArray name;
    QByteArray path;
    struct stat info {};
    bool exists = false;
    QByteArray open; // the first folder on the way whose names others may change; empty: none
    QByteArray folderPath() const { return folderOf(path); }
};

// Whether someone other than the user (or root, who may do anything anyway) may change what
// the folder `info` holds.
bool othersMayWrite(const struct stat &info);

// `path` with its links followed: to an existing name (`exists`, `info` filled) or to a
// name still free in an existing folder, by the rule of replaceFileContents. A folder
// swapped meanwhile is never followed into, as each step opens what the last one found.
Result followLinks(const QByteArray &given, Target &target);
// The existing file itself, never a link put in its place meanwhile; never waits on a pipe.
int openExisting(const Target &target, int access);

// Clears the leftovers of saves in the target's folder: temporary files no running save
// holds, of owners who may write the file anyway.
void clearLeftovers(const Target &target);
// A new file of ours in `folder`, locked while it is written; -1 with errno set when none
// can be made. `temporary` gets its name.
int createTemporary(int folder, mode_t mode, QByteArray &temporary);
// Why no temporary file could be made in `folder`.
Result temporaryFault(const QByteArray &folder, int error);
// A new file beside the target takes the bytes and is renamed over it, when it can be
// given all the old file has (`kept`); nothing happens when it cannot.
Result replaceAtomically(const Target &target, const QByteArray &bytes, bool &kept);

} // namespace files::platform::posix
