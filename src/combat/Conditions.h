#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

// Conditions with a duration, written in a row's note as "[Stunned: 2]": a name, a colon
// and a whole number of rounds. At the start of the combatant's turn each goes down by one
// and one that reaches 0 leaves the note; the turn taken back restores the note exactly.
//
// Inside the brackets: optional blanks, the name, optional blanks, ':', optional blanks, the
// count, optional blanks. The name holds letters of any script (with their combining marks),
// digits, blanks, '-', ' and ’, and at least one letter or digit. The count is 1 to 99 in
// ASCII digits with no sign and no leading zero: "[Held: 02]" is not a condition, so that a
// count never changes its spelling except by the tick itself. Blanks are tabs and Unicode
// space separators; a line break inside the brackets means it is not a condition. Any other
// text, in brackets or not, is left alone.
//
// After the count may come a comma and the condition's source, the combatant whose turns
// count it down: "[Stunned: 2, Ilyra]". The source is the name as the fighting order shows
// it, trimmed, of the characters a condition's name may hold (at least one letter or digit).
// A name that cannot be written so ("Orc [boss]", "Dr. Voss") gives no source.
namespace combat {

inline constexpr int MaximumConditionRounds = 99;

struct TimedCondition
{
    QString name;        // trimmed
    int rounds = 0;      // 1 to 99
    QString source;      // trimmed; empty when none
    qsizetype position = 0; // of the '['
    qsizetype length = 0;   // through the ']'

    // Ends at the next start of its combatant's turn.
    bool isLastRound() const { return rounds == 1; }
    bool operator==(const TimedCondition &) const = default;
};

// Text a tick took out of the note: `text` goes back in at `position` of the ticked note.
struct RemovedText
{
    qsizetype position = 0;
    QString text;

    bool operator==(const RemovedText &) const = default;
};

struct ConditionTick
{
    QString note;                // the note after the tick
    QList<RemovedText> removed;  // ascending positions, for untickConditions
    QStringList ended;           // names of the conditions that reached 0, in note order

    bool operator==(const ConditionTick &) const = default;
};

// Which conditions a tick counts: those with no source when `unsourced`; those whose source
// is among `sources`, or, when `allSourcesBut`, those whose source is not.
struct CountRule
{
    bool unsourced = true;
    QStringList sources;
    bool allSourcesBut = false;

    bool counts(QStringView source) const;
    bool operator==(const CountRule &) const = default;
};

// Every timed condition, whatever its source.
inline const CountRule EveryCondition{true, {}, true};

// The timed conditions of a note, in note order.
QList<TimedCondition> timedConditions(const QString &note);

// The start of a turn: every count the rule counts down by one; a condition at 1 is taken out
// with one adjoining blank: the one after it, else the last one kept before it, so that
// "Orc [Held: 1] [Bless: 1]" becomes "Orc". A note with nothing to count comes back as the
// same shared text. Linear in the note's length.
ConditionTick tickConditions(const QString &note, const CountRule &rule = {});

// The exact inverse of tickConditions on its result with the same rule: the removed text put
// back and every other condition the rule counts counted up by one. On a note that no tick
// produced, each of them goes up by one except one at 99, which stays; a position beyond the note or before the one
// preceding it is taken as the nearest it can be. Linear in the note's length.
QString untickConditions(const QString &note, const QList<RemovedText> &removed, const CountRule &rule = {});

// True when `name`, trimmed, can stand as a condition's name.
bool isConditionName(const QString &name);

// Why `name` and `rounds` cannot be a condition, a sentence for the user; empty when they can.
QString conditionRefusal(const QString &name, int rounds);

// The source a combatant of this name gives a condition: the name trimmed, or empty when it
// cannot stand as one.
QString sourceOf(const QString &combatantName);

// The note with "[Name: N]" added at its end (name trimmed), or "[Name: N, Source]" when
// `source` can stand as one, after one blank unless the note is empty or ends with white
// space. The note unchanged when the name or count cannot be one.
QString withCondition(const QString &note, const QString &name, int rounds, const QString &source = {});

// The timed conditions of the note's first 2,000 characters, which the windows read.
QList<TimedCondition> leadingConditions(const QString &note);

// "Stunned 2, Held (last round)", as the windows show a note's timed conditions; empty when
// the note has none. Only the note's first 2,000 characters are read and 8 conditions shown,
// then "…".
QString conditionsText(const QString &note);

// The usual conditions of a d20 game, offered when a condition is added.
extern const QStringList UsualConditions;

} // namespace combat
