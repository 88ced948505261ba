#pragma once

#include "combat/Turns.h"
#include "roster/Row.h"

#include <QString>
#include <QStringList>

// The words every window shows beside a combatant's name, so that the main list, the turn
// line and the players' window say the same thing in the same words.
namespace combat {

enum class Viewers { GameMaster, Players };

// In this order: the health word when one is told (the players' list), else "down", "dying",
// "unconscious" or "staggered"; "delaying" or "ready" for one who put off its turn ("Delaying", "Ready" to the
// players, whose words start with a capital); "hidden" and the temporary hit points ("temp 8"),
// to the game master alone; then, with
// `conditions`, the timed conditions ("Stunned 2, Held (last round)").
QStringList stateWords(const roster::Row &row, Viewers viewers, bool conditions = true,
                       const QString &healthWord = QString(), Wait wait = Wait::None);

// How the words stand beside a name and each other.
inline const QString StateSeparator = QStringLiteral(" \u00b7 ");

} // namespace combat
