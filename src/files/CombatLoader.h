#pragma once

#include "files/FightSection.h"
#include "files/ProfileReader.h"
#include "roster/Roster.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace files {

struct LoadOutcome
{
    enum class Status { Loaded, Refused, Failed };
    Status status = Status::Loaded;
    roster::Roster roster;            // the roster after the load; equal to `current` unless Loaded
    std::optional<int> oldVersionRow; // row at which the old-version warning is due (at most one per load)
    QString message;                  // Refused: why, a sentence for the user; Failed: the failure's
                                      // message and that nothing was loaded
    QString cutNotice;                // Loaded from a file cut short: where it ends and what was left
                                      // empty, to show as a warning after the load
    QString notice;                   // whatever the status: an earlier save of the file was cut off
                                      // and had to be undone (or could not be), a sentence for the user
    std::optional<SavedFight> fight;  // Loaded: the fight the file kept (FightSection.h), not yet bound
    QString fightNotice;              // Loaded: why a fight section was dropped, a sentence for the user
    QString numberNotice;             // Loaded: rows whose hit points are too large to use, which
                                      // loaded all the same; a sentence for the user
};

// Fills a copy of `current` from the bytes of a combat file, row by row, and
// puts every row into its active or down state from its hit points. A file of
// an earlier version (a row without a numeric "Check") loads whole, with the
// warning due at its first such row; any failure before that leaves `current`
// as it was (Failed). The amount boxes are never part of a file: they keep
// `current`'s texts.
LoadOutcome loadCombat(const QByteArray &bytes, const roster::Roster &current);
LoadOutcome loadCombat(const ProfileReader &file, const roster::Roster &current);
// The same, then the fight section (FightSection.h) into `fight` or `fightNotice`.
LoadOutcome loadCombatWithFight(const ProfileReader &file, const roster::Roster &current);

// Refuses what is no combat file (no ordinary file at the path, unreadable, over
// 16 MiB, empty, UTF-16 text, none of the row sections), then loads it as loadCombat
// does. A save of the file that was cut off is undone first (`notice`). A file cut short
// (CutOffFile.h) loads what it holds with a cutNotice, which takes the place of an
// old-version warning that the cut alone brought. The fight section comes with the rows
// it was saved with, or is dropped with a fightNotice; a cut inside it leaves the rows whole. Never waits on what is not an ordinary
// file, such as a pipe.
LoadOutcome loadCombatFile(const QString &path, const roster::Roster &current);

// "You are loading a combat prior to " + verTxt + ", there may be some errors"
QString oldVersionWarningText(const QString &verTxt);
inline const QString OldVersionTitle = QStringLiteral("Old Version Combat");
// The title of the box that shows a cutNotice.
inline const QString CutOffTitle = QStringLiteral("Combat File Ends Early");

// Why Add Combatants added nothing from the file at `path`, which was read: it has no named
// combatants, or `named` of them do not fit the `free` rows.
QString nothingAddedText(const QString &path, int named, int free);

// "Unknown Error. Contact Vesmar:" + CR LF + message
QString unknownErrorTitle(const QString &message);

} // namespace files
