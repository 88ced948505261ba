#include "files/TextEncoding.h"

#include <array>
#include <optional>

namespace files {
namespace {

// Bytes 0x80..0x9F; all other bytes are the Latin-1 character of the same value.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

bool toWindows1252(const QString &text, QByteArray &out)
{
    out.resize(text.size());
    char *data = out.data();
    const char16_t *chars = QStringView(text).utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = chars[i];
        // Most characters are ASCII or Latin-1 and map to themselves.
        const int byte = (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) ? c : windows1252Byte(c);
        if (byte < 0)
            return false;
        data[i] = static_cast<char>(byte);
    }
    return true;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// How many bytes at the end begin a UTF-8 character that never ends: a lead byte
// followed by fewer continuation bytes than it needs. 0 when there is none.
qsizetype unfinishedUtf8(QByteArrayView bytes)
{
    for (qsizetype k = 1; k <= 3 && k <= bytes.size(); ++k) {
        const auto c = static_cast<unsigned char>(bytes.at(bytes.size() - k));
        if (c >= 0x80 && c < 0xC0)
            continue;
        const int needs = c >= 0xF5 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        return needs > k ? k : 0;
    }
    return 0;
}

// The bytes that read as UTF-8: all of them when they are valid UTF-8; without
// the last character when a file cut short broke it off, and what comes before
// shows UTF-8, since bytes of ASCII alone tell nothing. Empty when they read as
// Windows-1252.
std::optional<QByteArrayView> utf8Part(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return bytes;
    if (const qsizetype tail = unfinishedUtf8(bytes); tail > 0) {
        const QByteArrayView whole = bytes.chopped(tail);
        if (!isAscii(whole) && whole.isValidUtf8())
            return whole;
    }
    return std::nullopt;
}

QString fromUtf8(QByteArrayView bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace

int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

char16_t windows1252Char(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return HighControls[byte - 0x80];
    return byte;
}

QByteArray encodeCombatText(const QString &text)
{
    QByteArray bytes;
    // A Windows-1252 text whose bytes happen to form valid UTF-8 (such as "Ã©"), also
    // but for a last character cut off, would read back as other characters; UTF-8
    // keeps it whole.
    if (toWindows1252(text, bytes) && (isAscii(bytes) || !utf8Part(bytes)))
        return bytes;
    return text.toUtf8();
}

QString decodeCombatText(const QByteArray &bytes)
{
    if (const std::optional<QByteArrayView> utf8 = utf8Part(bytes))
        return fromUtf8(*utf8);
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *data = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        data[i] = QChar(windows1252Char(static_cast<unsigned char>(bytes.at(i))));
    return text;
}

} // namespace files
