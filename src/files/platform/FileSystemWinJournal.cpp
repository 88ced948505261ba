// The file of a save in place (a file of several names, another's file) as the journal
// (SaveJournal.cpp) reads and writes it: through its handle, named by its volume serial
// number and file index, which all its names share.
#include "files/platform/FileSystemWinParts.h"
#include "files/platform/SaveJournal.h"

namespace files::platform {
using namespace win;

bool opened::numbers(OpenedFile file, quint64 &device, quint64 &inode, qint64 &size)
{
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER length{};
    if (!::GetFileInformationByHandle(file, &info) || !::GetFileSizeEx(file, &length))
        return false;
    device = info.dwVolumeSerialNumber;
    inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    size = length.QuadPart;
    return true;
}

bool opened::readAll(OpenedFile file, qint64 limit, QByteArray &bytes)
{
    return readAt(file, 0, limit, bytes);
}

bool opened::writeWhole(OpenedFile file, const QByteArray &bytes)
{
    return win::writeWhole(file, bytes);
}

Result opened::lastFailure(const QString &path)
{
    const DWORD error = ::GetLastError();
    return failed(error == ERROR_FILE_TOO_LARGE ? Fault::TooLarge : Fault::Failed, path, error);
}

} // namespace files::platform
