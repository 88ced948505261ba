#pragma once

// What the Windows files of the platform layer share: a handle that closes itself, paths as
// the W functions take them, and what the system's errors mean for the user.
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>
#include <utility>

namespace files::platform::win {

// What a path may hold in the \\?\ form.
constexpr qint64 LongestPath = 32767;

class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(Handle &&other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    Handle &operator=(Handle &&other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle()
    {
        if (valid())
            ::CloseHandle(m_handle);
    }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    // Lets go without closing: someone else closes it now.
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// The path as the W functions take it: backslashes, and the \\?\ form for an absolute
// path long enough to need it (which then takes no "." or ".." either).
inline std::wstring native(const QString &path)
{
    QString full = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    // Windows drops the dots and blanks that end a name; so does the \\?\ form here, so
    // that "c.ini." is "c.ini" however long the path.
    while (full.endsWith(u'.') || full.endsWith(u' '))
        full.chop(1);
    if (full.size() >= MAX_PATH - 12 && !full.startsWith(QLatin1String("\\\\?\\")))
        full = full.startsWith(QLatin1String("\\\\")) ? QStringLiteral("\\\\?\\UNC\\") + full.mid(2)
                                                       : QStringLiteral("\\\\?\\") + full;
    return full.toStdWString();
}

inline QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

inline QString systemWords(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD size = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString words = size ? QString::fromWCharArray(text, int(size)).trimmed() : QStringLiteral("error %1").arg(error);
    ::LocalFree(text);
    return words;
}

inline Result failed(Fault fault, const QString &place, DWORD error = 0)
{
    return refusal(fault, shown(place), error != 0 ? systemWords(error) : QString());
}

// What a refused call on `place` means for the user.
inline Result lookupFault(const QString &place, DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return failed(Fault::Missing, place, error);
    case ERROR_DIRECTORY:
        return failed(Fault::NotAFolder, place, error);
    case ERROR_FILENAME_EXCED_RANGE: {
        Result result = failed(Fault::PathTooLong, place, error);
        result.limit = LongestPath;
        return result;
    }
    case ERROR_CANT_RESOLVE_FILENAME:
        return failed(Fault::LinkLoop, place, error);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return failed(Fault::InUse, place, error);
    default:
        return failed(Fault::Failed, place, error);
    }
}

} // namespace files::platform::win
