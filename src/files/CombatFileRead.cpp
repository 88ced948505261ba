#include "files/CombatFileRead.h"

#include "files/CombatFormat.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

// The refusals below keep "%1" for the file's name.
QString cannotRead(int error)
{
    return QStringLiteral("The file \"%1\" cannot be read: %2.").arg(u"%1", qt_error_string(error));
}

// Why the path could not be opened.
QString unreachable(const QString &path, int openError)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return QStringLiteral("\"%1\" is a folder, not a combat file.");
        if (!S_ISREG(info.st_mode))
            return QStringLiteral("\"%1\" is not an ordinary file.");
        return cannotRead(openError);
    }
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("The file \"%1\" does not exist.");
    if (error == EACCES) // a folder on the way that may not be entered, not a missing file
        return QStringLiteral("The file \"%1\" cannot be reached: a folder on its path does not let you in (%2).")
            .arg(u"%1", qt_error_string(error));
    return cannotRead(error);
}

} // namespace

// Opening comes first and never waits (a pipe put at the path would block an
// ordinary open for good); then what was opened is checked.
QString readCombatFileBytes(const QString &path, QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return unreachable(path, errno);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return cannotRead(errno);
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("\"%1\" is a folder, not a combat file.");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("\"%1\" is not an ordinary file.");

    const QString tooLarge = QStringLiteral("The file \"%1\" is too large for a combat file (over 16 MiB).");
    if (info.st_size > MaxCombatFileSize)
        return tooLarge;
    // One byte more than the limit allows tells a file that grew meanwhile.
    bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > MaxCombatFileSize)
                return tooLarge;
            bytes.resize(qMin(bytes.size() * 2, MaxCombatFileSize + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return cannotRead(errno);
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return QString();
}

} // namespace files
