#pragma once

#include <QByteArray>
#include <QString>

// The one place that decides how a combat file's text becomes bytes and back.
// Older versions wrote Windows-1252; characters outside it need UTF-8.
namespace files {

// Windows-1252 when every character fits and the bytes cannot be mistaken for
// UTF-8 on reading; UTF-8 otherwise. No byte-order mark.
QByteArray encodeCombatText(const QString &text);

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), or
// are but for a character cut off at their end, which is dropped; Windows-1252
// otherwise.
QString decodeCombatText(const QByteArray &bytes);

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
// The five bytes the code page leaves unassigned stand for U+0081, U+008D,
// U+008F, U+0090 and U+009D, so every byte has a character and back.
int windows1252Byte(char16_t c);

// The character of a Windows-1252 byte.
char16_t windows1252Char(unsigned char byte);

} // namespace files
