#pragma once

#include "combat/Conditions.h"
#include "combat/NotePrints.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the start of a turn does to the timed conditions, and how Previous Turn gives it back.
// The notes themselves are not kept (a note may be megabytes long); a fingerprint tells
// whether a note is still the one the tick left, or the one it was given back as.
namespace combat {

// What the start of a turn did to another row's note: the conditions there whose source is
// the combatant whose turn it is (or, at a round's start, a source out of the fight).
struct NoteTick
{
    int row = 0;
    QList<RemovedText> removed;
    QStringList ended;
    quint64 before = 0;
    quint64 after = 0;
    bool givenBack = false;

    bool operator==(const NoteTick &) const = default;
};

// What the start of one turn did: to its own row's note, and to the others it counted in.
struct TurnTick
{
    QList<RemovedText> revealed; // the "[Hidden]" tags the turn's start took out
    QList<RemovedText> removed;
    QStringList ended;
    quint64 before = 0; // textFingerprint of the note before the tick
    quint64 after = 0;  // and after it
    bool givenBack = false; // Previous Turn put the note back as it was before the tick
    // Which conditions it counted: in its own note as the rule says, in the others those of
    // the rule's sources alone. The default, a turn of an older version: its own note's
    // conditions with no source.
    CountRule counted;
    QList<NoteTick> others; // ascending rows, its own row not among them

    bool operator==(const TurnTick &) const = default;
};

// The start of the turn of the combatant in `row`: at their first turn a "[Hidden]" tag
// leaves their note, and the conditions the rule counts go down in it and in every other note.
TurnTick tickTurn(roster::Roster &roster, int row, bool firstTurn, const CountRule &rule);

// The start of the turn on its own note alone, the others left as they are.
TurnTick tickOwnNote(QString &note, bool firstTurn, const CountRule &rule);

// A turn Next Turn gives back takes again what it took from the other notes: each one it gave
// back, while the note still reads as given back; one it never gave back is dropped when the
// note was written since to read as the tick left it, since Previous Turn must not give back
// from it what this turn never counted.
QList<NoteTick> tickOthersAgain(const QList<NoteTick> &others, roster::Roster &roster, const CountRule &rule,
                                TextBudget &budget);

// Previous Turn gives back what the turn of the combatant in `row` took, note by note, from
// each note that is still the one the tick left and that the tick fits.
void giveBack(TurnTick &tick, int row, roster::Roster &roster, NotePrints &prints);

// The bytes a tick holds beyond its own size.
qsizetype tickBytes(const TurnTick &tick);

} // namespace combat
