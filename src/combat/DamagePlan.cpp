#include "combat/DamagePlan.h"

#include <QRegularExpression>

namespace combat {
namespace {

// "2 claws": how many of the weapon a group's name counts.
const QRegularExpression WeaponCount(QStringLiteral(R"(^([0-9]{1,5})\s+(?=\p{L}))"),
                                     QRegularExpression::UseUnicodePropertiesOption);

struct Hit
{
    QList<DamageGroup> groups;
    int count = 1;
};

QList<Hit> hitsOf(const QList<DamageGroup> &groups)
{
    QList<Hit> hits;
    for (DamageGroup group : groups) {
        if (hits.isEmpty() || !group.label.isEmpty()) {
            Hit hit;
            if (const QRegularExpressionMatch m = WeaponCount.match(group.label); m.hasMatch()) {
                hit.count = m.captured(1).toInt();
                group.label = group.label.mid(m.capturedEnd()).trimmed();
            }
            hits.append(hit);
        }
        hits.last().groups.append(group);
    }
    return hits;
}

int diceOf(const QList<DamageGroup> &groups)
{
    int dice = 0;
    for (const DamageGroup &group : groups)
        for (const DiceTerm &term : group.terms)
            dice += term.sides > 0 ? term.count : 0;
    return dice;
}

} // namespace

DamagePlan planDamage(const QString &attackText, const QString &damageText)
{
    DamagePlan plan;
    const DamageText damage = parseDamage(damageText);
    if (damage.groups.isEmpty()) {
        plan.problem = damage.problem;
        return plan;
    }
    const QList<Hit> hits = hitsOf(damage.groups);
    const QList<AttackRoll> attacks = parseAttack(attackText).rolls;
    const qsizetype weapons = attacks.isEmpty() ? 0 : attacks.last().part + 1;

    // Each limit holds for what is dealt in all, not only for what the text writes once.
    int dice = 0;
    auto deal = [&](const Hit &hit, int attack) {
        if (plan.hits.size() >= MaxAttackRolls) {
            plan.problem = QStringLiteral("more than %1 attacks").arg(MaxAttackRolls);
            return false;
        }
        dice += diceOf(hit.groups);
        if (dice > MaxDice) {
            plan.problem = QStringLiteral("more than %1 dice").arg(MaxDice);
            return false;
        }
        HitDamage dealt{hit.groups, attack, 2};
        if (attack >= 0 && attacks[attack].multiplier > 0)
            dealt.multiplier = attacks[attack].multiplier;
        plan.hits.append(dealt);
        return true;
    };
    bool fits = true;
    if (weapons == hits.size()) {
        for (int a = 0; fits && a < attacks.size(); ++a)
            fits = deal(hits[attacks[a].part], a);
    } else {
        for (const Hit &hit : hits)
            for (int c = 0; fits && c < hit.count; ++c)
                fits = deal(hit, -1);
    }
    if (!fits)
        plan.hits.clear();
    else if (plan.hits.isEmpty())
        plan.problem = QStringLiteral("nothing to roll"); // "0 claws 1d4"
    return plan;
}

} // namespace combat
