#pragma once

#include <QString>
#include <QtGlobal>

namespace roster {

// One combatant row as the logic sees it: its texts exactly as typed, the amount
// box, the include flag (0 or 1) and whether the row is down.
struct Row
{
    QString name;
    QString hp;
    QString ac;
    QString ini;
    QString note;
    QString fort;
    QString reflex;
    QString will;
    QString attack;
    QString damage;

    QString amount; // the damage box beside "Substract"; never saved
    qint16 check = 1;
    bool down = false; // name, HP, AC, note and initiative fields disabled
    // Who the row holds: a new number when the row is cleared or filled anew (New Combat, a
    // load, Add Combatants), so a list item can tell its combatant from a later one; a rename
    // keeps it. Never saved.
    quint32 serial = 0;

    bool operator==(const Row &) const = default;
};

} // namespace roster
