#pragma once

#include "combat/Dice.h"
#include "combat/RollText.h"

#include <QString>
#include <QStringList>

// Rolling what a row's text asks for, and the line the Rolls list shows for it. Rolls change
// nothing in the combat.
namespace combat {

enum class RollKind { Initiative, Attack, Damage };

struct RollRecord
{
    RollKind kind = RollKind::Attack;
    QString who;       // the row's name; empty for a line about no row
    QString text;      // what was rolled, as typed (initiative: the modifier)
    QString result;    // each die and the total, or why nothing was rolled
    QStringList marks; // "threat", "20", "1", each once
    bool rolled = false;
    QStringList others; // the rest of a group that one roll was for: "Wolf 2", "Wolf 3"
};

RollRecord rollAttack(const QString &who, const QString &text, Dice &dice);
RollRecord rollDamage(const QString &who, const QString &text, Dice &dice);
// A d20 plus the modifier's value; the text is the modifier as typed ("+3 dex").
RollRecord rollInitiativeCheck(const QString &who, const QString &modifier, int value, Dice &dice, int *total = nullptr);
// The same check on a d20 already rolled: a group's one die.
RollRecord initiativeCheck(const QString &who, const QString &modifier, int value, int natural);
// The same text rolled again. An initiative check only rolls: no field changes.
RollRecord rollAgain(const RollRecord &record, Dice &dice);
// A line about something that was not rolled: `why` as the result.
RollRecord notRolled(RollKind kind, const QString &who, const QString &text, const QString &why);

// "Goblin, attack +4 shortbow: 21 (d20 17+4)", "Wolf, Wolf 2, initiative +2: 14 (d20 12+2)";
// long names and texts are cut.
QString rollLine(const RollRecord &record);

} // namespace combat
