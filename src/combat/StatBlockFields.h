#pragma once

#include "combat/StatBlock.h"
#include "combat/StatBlockLines.h"

#include <QList>
#include <QString>

// The fields of one stat block's lines, read into its row: all but the name.
namespace combat::statblock {

// Reads lines [from, to) into the block's row, with the captions of what it found nothing for
// in `unread` and of what it cut in `cut`.
StatBlock readFields(const QList<Line> &lines, qsizetype from, qsizetype to);

// The attack text a ranged part of the newer layout becomes, so that the Attack field says
// which weapon is thrown or shot: "javelin +1 (1d6+5)" -> "javelin +1 ranged (1d6+5)".
QString rangedAttack(const QString &text);

// One damage per weapon of an attack text, in its order: "greatclub +9/+4 (2d8+7); javelin
// +1 ranged (1d6+5)" -> "greatclub 2d8+7, javelin 1d6+5".
QString damageOfAttack(const QString &attack);

} // namespace combat::statblock
