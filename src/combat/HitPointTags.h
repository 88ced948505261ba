#pragma once

#include <QString>

// Hit points a row's note keeps beside the HP field, as tags a game master can read and
// type: "[Temp: 8]" temporary hit points, "[Nonlethal: 7]" nonlethal damage. They look like
// timed conditions but never count down. Matched ignoring case and blanks inside.
namespace combat {

inline const QString TemporaryTagName = QStringLiteral("Temp");
inline const QString NonlethalTagName = QStringLiteral("Nonlethal");

// The most a tag holds: as much as one blow can give.
inline constexpr int MaximumTagValue = 99999;

// True for "Temp" and "Nonlethal", the names no condition may take.
bool isHitPointTagName(QStringView name);

// The number of the first tag of that name ("[Temp: 8]" is 8); 0 without one.
int tagValue(const QString &note, const QString &name);

// The note with the first tag of that name holding `value` in place, or a new tag at its end
// (after one blank unless the note is empty or ends with white space); at 0 the tag leaves with
// one adjoining blank. Every later copy of the tag leaves too, so the note says one number.
QString withTagValue(const QString &note, const QString &name, int value);

} // namespace combat
