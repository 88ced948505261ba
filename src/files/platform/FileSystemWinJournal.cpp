// A save into the file itself, for a file a new one in its place would change (a file of
// several names, another's file): the file as the journal (SaveJournal.cpp) sees it, through
// its handle, named by its volume serial number and file index, which all its names share.
#include "files/platform/FileSystemWinParts.h"
#include "files/platform/SaveJournal.h"

namespace files::platform::win {
namespace {

class WinJournaledFile final : public JournaledFile
{
public:
    WinJournaledFile(const Target &target, HANDLE file)
        : m_target(target)
        , m_file(file)
    {
        LARGE_INTEGER size{};
        if (!::GetFileInformationByHandle(file, &m_info) || !::GetFileSizeEx(file, &size))
            m_error = ::GetLastError();
        m_size = size.QuadPart;
    }
    bool known() const { return m_error == 0; }

    quint64 device() const override { return m_info.dwVolumeSerialNumber; }
    quint64 inode() const override { return (quint64(m_info.nFileIndexHigh) << 32) | m_info.nFileIndexLow; }
    qint64 size() const override { return m_size; }
    QString path() const override { return shown(m_target.path); }
    bool readAll(qint64 limit, QByteArray &bytes) override { return kept(readAt(m_file, 0, limit, bytes)); }
    bool writeWhole(const QByteArray &bytes) override
    {
        const bool written = kept(win::writeWhole(m_file, bytes));
        if (written)
            m_size = bytes.size();
        return written;
    }
    Result failure() const override
    {
        return failed(m_error == ERROR_FILE_TOO_LARGE ? Fault::TooLarge : Fault::Failed, m_target.path, m_error);
    }

private:
    bool kept(bool done)
    {
        m_error = done ? 0 : ::GetLastError();
        return done;
    }

    const Target &m_target;
    HANDLE m_file;
    BY_HANDLE_FILE_INFORMATION m_info{};
    qint64 m_size = 0;
    DWORD m_error = 0;
};

} // namespace

bool hasJournal(HANDLE file, const PrivateFolder &journals)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(file, &info)
        && platform::hasJournal(info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                                journals);
}

Result replaceInPlace(const Target &target, HANDLE file, const QByteArray &bytes, const PrivateFolder &journals)
{
    WinJournaledFile journaled(target, file);
    return journaled.known() ? writeInPlace(journaled, bytes, journals) : journaled.failure();
}

Result settleJournal(const Target &target, HANDLE file, const PrivateFolder &journals)
{
    WinJournaledFile journaled(target, file);
    return journaled.known() ? platform::settleJournal(journaled, journals) : journaled.failure();
}

} // namespace files::platform::win
