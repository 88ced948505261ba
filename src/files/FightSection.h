#pragma once

#include "combat/FightingOrder.h"
#include "combat/Turns.h"
#include "files/ProfileReader.h"
#include "roster/Roster.h"

#include <QString>

#include <optional>

// The running fight in a combat file: one more section, "[Fight]", after the 19 row
// sections, which older versions never read. It holds the fighting order's items with the
// rows they stand for, and the whole record of turns (docs/fight-section.md). The row
// sections are written exactly as without it.
namespace files {

inline const QString FightSectionName = QStringLiteral("Fight");

// A fight as a file holds it. Combatants are kept as rows and ages: how many combatants
// the row has held since (0: the one it holds now), in the `serial` fields until
// bindFight() gives them the loaded rows' serials.
struct SavedFight
{
    QList<combat::OrderEntry> order;
    combat::FightRecord turn;
};

// The section's lines, CR LF each, for the fight of `roster`; empty when no item of the
// order still stands for the combatant its row holds (no fight runs: a combat saves as ever).
QString fightSectionText(const roster::Roster &roster, const QList<combat::OrderEntry> &order,
                         const combat::FightRecord &turn);

// The fight section of a file whose rows were loaded into `roster`. Nothing when the file
// has none; a sentence saying why it was dropped when it cannot be read, was written by a
// newer version, or does not match the rows (edited since, or cut short).
struct FightRead
{
    std::optional<SavedFight> fight;
    QString problem;
};
FightRead readFightSection(const ProfileReader &file, const roster::Roster &roster);

// Gives the fight's combatants the serials of the rows in `roster`, whose rows were just
// loaded from the file that held it; a row's serial is raised where the fight's ages need
// room below it, so no past combatant can be taken for one the row holds later.
void bindFight(SavedFight &fight, roster::Roster &roster);

} // namespace files
