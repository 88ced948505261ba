#pragma once

#include <QString>

namespace roster {

// At most `longest` characters of a text for showing it outside its own field: a name or
// note can be megabytes long, and laying it out whole would freeze the window. A longer text
// ends in "…", never inside a surrogate pair.
inline QString shownText(const QString &text, qsizetype longest)
{
    if (text.size() <= longest)
        return text;
    const qsizetype cut = text.at(longest - 1).isHighSurrogate() ? longest - 1 : longest;
    return text.first(cut) + u'\u2026';
}

// How much of a name the list, the turn line and the player window show.
inline constexpr qsizetype ShownNameLength = 120;

} // namespace roster
