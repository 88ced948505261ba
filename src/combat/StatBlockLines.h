#pragma once

#include <QList>
#include <QString>

// A pasted text as the stat block reader sees it: one line per field, whatever the PDF or
// the web page did to it. Signs are plain ("-" for dashes and minus signs, "x" for "×"),
// blanks single, a word hyphenated across lines whole again, a phrase broken across lines
// joined ("Full Attack: Greatclub" + "+9/+4 melee (2d8+7)"), and a line of several fields
// ("Init +1; Senses darkvision 60 ft.") one line each.
namespace combat::statblock {

// What a field line holds; each key stands for the words of both layouts that name it
// ("Hit Dice:" and "hp" are two, as the numbers differ; "Initiative:" and "Init" one).
enum class Key {
    None,
    HitDice, // "Hit Dice: 6d10+12 (45 hp)"
    Hp,      // "hp 45 (6d10+12)"
    Init,
    ArmorClass, // "Armor Class: 17 (...), touch 10, flat-footed 16"
    Ac,         // "AC 17, touch 10, flat-footed 16 (...)"
    Attack,     // "Attack:", the single attack
    FullAttack, // "Full Attack:", "Attacks:"
    Melee,
    Ranged,
    Damage, // "Damage:" of the oldest layout, or the row's own
    Saves,  // "Saves: Fort +7, Ref +3, Will +2"
    Fort,
    Ref,
    Will,
    Speed,
    Dr,
    Sr,
    Immune,
    Resist,
    Weakness,  // "Weaknesses vulnerable to cold"
    Qualities, // "Special Qualities:", "SQ", "Defensive Abilities"
    Note,      // a row's own Random Note
    SizeType,
    Xp,
    Other, // a field read for nothing ("Skills", "Treasure:")
};

enum class LineKind { Blank, Heading, Prose, Field };

struct Line
{
    LineKind kind = LineKind::Blank;
    Key key = Key::None;
    QString text;          // a field's text after its words; a prose line whole
    bool verbatim = false; // quoted ("hp \"12/45\""): the text exactly, read as nothing else
};

QList<Line> readLines(const QString &text);

// The text in double quotes, with the escapes readLines undoes: a line `Key "..."` or a
// line of the quotes alone (a name) is taken exactly.
QString quoted(const QString &text);

} // namespace combat::statblock
