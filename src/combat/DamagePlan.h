#pragma once

#include "combat/RollText.h"

#include <QList>
#include <QString>

// Which damage a row's Damage text deals for each attack its Attack text rolls.
//
// The damage groups fall into hits: a group with a name ("bite 1d6+4", "2 claws 1d4+2")
// starts one, a group without one goes with the hit before ("1d8+4 plus 1d6 fire" is one
// hit). When the damage has as many hits as the attack has weapons, each hit is dealt once
// for every d20 of its weapon: "1d8+4" after "longsword +12/+7" twice, "bite 1d6+4, 2 claws
// 1d4+2" after "bite +7, 2 claws +5" three times. Otherwise each hit is dealt as often as its
// name counts ("2 claws": twice), following no attack roll.
namespace combat {

struct HitDamage
{
    QList<DamageGroup> groups; // the weapon's damage first, then what comes with it
    int attack = -1;           // the attack roll it follows (parseAttack's order); -1 for none
    int multiplier = 2;        // that attack's critical multiplier
};

// What to deal; `problem` says why nothing is dealt (as parseDamage's, or a limit passed).
struct DamagePlan
{
    QList<HitDamage> hits;
    QString problem;
};

DamagePlan planDamage(const QString &attackText, const QString &damageText);

} // namespace combat
