#pragma once

#include <QString>
#include <QtGlobal>

// The names and limits that the writer and the loader of a combat file share.
namespace files {

// Every line of a combat file ends with this, the last one included.
inline constexpr char LineEnd[] = "\r\n";

// What a line break in the general note becomes inside the file.
inline constexpr char16_t LineBreakToken[] = u"(t55)";

// A combat file is a few kilobytes; anything far larger is no combat.
inline constexpr qint64 MaxCombatFileSize = 16 * 1024 * 1024;

// "Info0" .. "Info18": the section of one row.
QString rowSectionName(int row);

// The general note with every line break (CR LF, lone LF, lone CR) as the token.
QString encodeGeneralNote(const QString &note);

// The token back to '\n', the line break of the note's text box.
QString decodeGeneralNote(const QString &stored);

} // namespace files
