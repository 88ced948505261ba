#pragma once

#include <QList>
#include <QString>

// What the Attack and Damage fields ask to roll, read the way d20 stat blocks write them.
//
// Attack: parts separated by ",", ";", "and" or "or", each with an optional count of natural
// weapons ("2 claws"), words that name it, and one d20 for every bonus: "+12/+7/+2" is
// three, as is "+11/6/1". A plus sign may touch the word before ("bite+7"); a minus there
// is a hyphen. "d20+5" written out is the bonus +5, "d20" alone +0. A threat range "19-20",
// "18-20/x2" or a multiplier "x3" anywhere in the part, even in its brackets and after the
// word "threat" or "crit", widens or names its critical; "x2" is always a multiplier, never
// two attacks ("2 claws" is). Brackets hold its damage and notes: no bonus there is rolled.
// A lone bonus before a word with more bonuses after it is the weapon's own ("+1 longsword
// +12/+7"); otherwise a bonus is the attack's ("+1 longsword" rolls d20+1). A part of
// bonuses alone ("longsword +12, +7") is the weapon before it again, its critical too.
//
// Damage: groups separated by ",", ";", "plus", "and" or "or", each a sum of dice ("2d6",
// "d8", "d%") and numbers with the words after it as its kind ("1d8+4 fire"). Words before
// the first sum with a die name the group ("longsword 1d8+4"); each further sum after the
// words that has a die or a sign starts a group of its own ("1d6 fire + 1d6 cold"), and a
// bare number there is one of the words ("Reflex DC 15 half"). Before dice in brackets
// stands an attack, whose bonuses are passed over: "bite +7 (1d6+4)" is "bite: 1d6+4".
// Threat ranges are the attack's and are passed over.
//
// Both pass over a heading a stat block line starts with: "Full Attack:", "Melee:",
// "Damage:" (with its colon; Pathfinder's "Melee longsword" keeps the word in the label).
// Only the first MaxRolledText characters are read.
namespace combat {

inline constexpr qsizetype MaxRolledText = 2000;
inline constexpr int MaxAttackRolls = 40;
inline constexpr int MaxDice = 1000;
inline constexpr int MaxSides = 1000;
inline constexpr int MaxNumber = 99999;

// One d20 an attack text asks for.
struct AttackRoll
{
    QString label;       // the words of its part: "longsword", "claws"; may be empty
    int bonus = 0;
    int threatFrom = 20; // a natural roll at or above this threatens a critical hit
    int multiplier = 0;  // the critical's multiplier when the text names one ("x3"), else 0
    int part = 0;        // which weapon of the text, from 0: "bite +7, 2 claws +5" has two;
                         // a part of bonuses alone is the weapon before it

    bool operator==(const AttackRoll &) const = default;
};

// One term of a damage sum: `count` dice of `sides` sides, or the number `count` when
// `sides` is 0; `sign` is 1 or -1.
struct DiceTerm
{
    int sign = 1;
    int count = 0;
    int sides = 0;

    bool operator==(const DiceTerm &) const = default;
};

struct DamageGroup
{
    QString label; // "longsword" in "longsword 1d8+4"; may be empty
    QList<DiceTerm> terms;
    QString kind;  // "fire" in "1d6 fire"; may be empty

    bool operator==(const DamageGroup &) const = default;
};

// What a text asks to roll; `problem` says why nothing is rolled ("nothing to roll", a
// limit passed), empty when something is.
struct AttackText
{
    QList<AttackRoll> rolls;
    QString problem;
};
struct DamageText
{
    QList<DamageGroup> groups;
    QString problem;
};

AttackText parseAttack(const QString &text);
DamageText parseDamage(const QString &text);

// The roll in one plain form: "claws d20+5", "longsword d20+12 threat 19-20 x2";
// "longsword: 1d8+4 fire", "2d6-1".
QString formula(const AttackRoll &roll);
QString formula(const DamageGroup &group);

} // namespace combat
