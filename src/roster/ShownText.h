#pragma once

#include <QString>

#include <algorithm>
#include <iterator>

namespace roster {

// At most `longest` characters of a text for showing it outside its own field: a name or
// note can be megabytes long, and laying it out whole would freeze the window. A longer text
// ends in "…", never inside a surrogate pair.
//
// Right-to-left letters or direction marks in it would reorder the words and numbers of the
// line around it ("23" shown as "32"): such a text has its embeddings and overrides dropped
// and is set apart between a first strong isolate and its pop (U+2068 … U+2069).
inline QString isolatedText(const QString &text)
{
    auto explicitMark = [](QChar c) {
        switch (c.direction()) {
        case QChar::DirLRE: case QChar::DirLRO: case QChar::DirRLE: case QChar::DirRLO: case QChar::DirPDF:
        case QChar::DirLRI: case QChar::DirRLI: case QChar::DirFSI: case QChar::DirPDI:
            return true;
        default:
            return false;
        }
    };
    const bool reorders = std::any_of(text.cbegin(), text.cend(), [&](QChar c) {
        return c.direction() == QChar::DirR || c.direction() == QChar::DirAL || explicitMark(c);
    });
    if (!reorders)
        return text;
    QString isolated(1, QChar(0x2068));
    std::copy_if(text.cbegin(), text.cend(), std::back_inserter(isolated), [&](QChar c) { return !explicitMark(c); });
    return isolated + QChar(0x2069);
}

inline QString shownText(const QString &text, qsizetype longest)
{
    if (text.size() <= longest)
        return isolatedText(text);
    const qsizetype cut = text.at(longest - 1).isHighSurrogate() ? longest - 1 : longest;
    return isolatedText(text.first(cut) + u'\u2026');
}

// How much of a name the list, the turn line and the player window show.
inline constexpr qsizetype ShownNameLength = 120;

} // namespace roster
