#pragma once

#include "combat/Turns.h"

#include <QString>
#include <QStringView>

// One turn of the fight section as a line (docs/fight-section.md), and the pieces of the
// section's lines that the turns and the rest of it share.
namespace files {

// The section's format: 1 (earlier versions) has no `counted` and `others` in its turns, 2 no
// `kind` in its turns and no acting place in its ties.
inline constexpr int FightFormat = 3;
// More combatants than a row holds in any fight; a larger age is no save of ours.
inline constexpr qint64 OldestAge = 1000000;

// Thrown while reading: the key whose value is not as written.
struct BadLine
{
    QString key;
};

// Free text as ASCII that no separator of the section can occur in.
QString escapedText(const QString &text);
QString unescapedText(QStringView value);

qint64 lineNumber(QStringView text, const QString &key, qint64 lowest, qint64 highest);
quint64 lineFingerprint(QStringView text, const QString &key);

// "row,age,round,givenBack,before,after,revealed,removed,ended,counted,others,kind".
QString turnRecordLine(const combat::TurnRecord &record, quint32 age);

// The turn a line of `format` holds, its combatant's age in who.serial. Every text a turn
// would put back into a note is one that the start of a turn takes out.
combat::TurnRecord readTurnRecord(const QString &line, const QString &key, int format);

} // namespace files
