#include "combat/Rolls.h"

#include "combat/Amount.h"
#include "combat/DamagePlan.h"
#include "combat/Initiative.h"
#include "roster/ShownText.h"

#include <algorithm>
#include <cmath>

namespace combat {
namespace {

// The faces of one term a line shows; a thousand dice would make a line nobody reads.
constexpr qsizetype ShownFaces = 40;
constexpr qsizetype ShownRolledText = 60;
constexpr qsizetype ShownName = 40;
constexpr qsizetype ShownGroup = 160; // the names of a group rolled as one
// A result longer than this keeps its start and its end (the sum in all) around a "…".
constexpr qsizetype ShownResult = 400;
constexpr qsizetype ShownResultEnd = 80;

QString shownResult(const QString &result)
{
    if (result.size() <= ShownResult)
        return result;
    qsizetype end = result.size() - ShownResultEnd;
    if (result.at(end).isLowSurrogate())
        ++end;
    return roster::shownText(result, ShownResult - ShownResultEnd) + QStringLiteral(" ") + result.mid(end);
}

QString signedNumber(int value)
{
    return (value < 0 ? QStringLiteral("-") : QStringLiteral("+")) + QString::number(std::abs(value));
}

void mark(RollRecord &record, const QString &name)
{
    if (!record.marks.contains(name))
        record.marks.append(name);
}

// "17 (d20 14+3)", with the natural roll's mark when it means something (an attack's). The
// blanks inside do not break, so a wrapped line keeps each roll whole.
QString d20Check(RollRecord &record, int natural, int bonus)
{
    QString text =
        QStringLiteral("%1\u00a0(d20\u00a0%2%3)").arg(natural + bonus).arg(natural).arg(signedNumber(bonus));
    if (record.kind == RollKind::Attack && (natural == 20 || natural == 1)) {
        mark(record, QString::number(natural));
        text += QStringLiteral(" [%1]").arg(natural);
    }
    return text;
}

// The labels are worth a place on the line only when they tell the attacks apart.
bool labelsDiffer(const QList<AttackRoll> &rolls)
{
    return std::any_of(rolls.cbegin(), rolls.cend(), [&](const AttackRoll &r) { return r.label != rolls.front().label; });
}

RollRecord rolled(RollKind kind, const QString &who, const QString &text)
{
    RollRecord record;
    record.kind = kind;
    record.who = who;
    record.text = text;
    record.rolled = true;
    return record;
}

// The faces of each term of a group (none for a number), each die rolled `times` over; the
// faces already given count.
using Faces = QList<QList<int>>;
Faces rollFaces(const DamageGroup &group, int times, Dice &dice, Faces faces = {})
{
    faces.resize(group.terms.size());
    for (qsizetype t = 0; t < group.terms.size(); ++t) {
        const DiceTerm &term = group.terms[t];
        if (term.sides > 0)
            while (faces[t].size() < qsizetype(term.count) * times)
                faces[t].append(dice.roll(term.sides));
    }
    return faces;
}

// "12 fire (1d8: 8, +4)": the group `times` over (1d8+4 twice is 2d8+8), with its kind, then
// each term; `total` gets the sum.
QString shownGroup(const DamageGroup &group, const Faces &faces, int times, qint64 &total)
{
    total = 0;
    QStringList terms;
    for (qsizetype t = 0; t < group.terms.size(); ++t) {
        const DiceTerm &term = group.terms[t];
        const QString sign = term.sign < 0 ? QStringLiteral("-") : terms.isEmpty() ? QString() : QStringLiteral("+");
        if (term.sides == 0) {
            total += qint64(term.sign) * term.count * times;
            terms.append(sign + QString::number(qint64(term.count) * times));
            continue;
        }
        QStringList shownFaces;
        for (qsizetype d = 0; d < faces[t].size(); ++d) {
            total += term.sign * faces[t][d];
            if (d < ShownFaces)
                shownFaces.append(QString::number(faces[t][d]));
        }
        if (faces[t].size() > ShownFaces)
            shownFaces.append(QStringLiteral("…"));
        terms.append(sign + QStringLiteral("%1d%2: %3").arg(faces[t].size()).arg(term.sides).arg(shownFaces.join(u' ')));
    }
    QString line = QString::number(total);
    if (!group.kind.isEmpty())
        line += u' ' + group.kind;
    return line + QStringLiteral(" (%1)").arg(terms.join(QStringLiteral(", ")));
}

} // namespace

std::optional<qint64> wholeTotal(double total)
{
    if (!std::isfinite(total) || total != std::trunc(total) || std::abs(total) > 1e15)
        return std::nullopt;
    return qint64(total);
}

RollRecord rollAttack(const QString &who, const QString &text, Dice &dice)
{
    const AttackText parsed = parseAttack(text);
    if (parsed.rolls.isEmpty())
        return notRolled(RollKind::Attack, who, text, parsed.problem);
    // The labels are shown only where they tell the attacks apart.
    const bool labelled = labelsDiffer(parsed.rolls);

    RollRecord record = rolled(RollKind::Attack, who, text);
    QStringList attacks;
    for (const AttackRoll &roll : parsed.rolls) {
        const int natural = dice.roll(20);
        QString line = labelled && !roll.label.isEmpty() ? roll.label + u' ' : QString();
        line += d20Check(record, natural, roll.bonus);
        if (natural >= roll.threatFrom) {
            mark(record, QStringLiteral("threat"));
            line += QStringLiteral(" threat");
            if (roll.multiplier > 0)
                line += QStringLiteral(" x%1").arg(roll.multiplier);
            line += QStringLiteral(", confirm\u00a0") + d20Check(record, dice.roll(20), roll.bonus);
            record.threats.append(int(attacks.size()));
        }
        attacks.append(line);
    }
    record.result = attacks.join(QStringLiteral(" · "));
    return record;
}

RollRecord rollDamage(const QString &who, const QString &text, const QString &attack, Dice &dice,
                      const QList<int> &criticals)
{
    const DamagePlan plan = planDamage(attack, text);
    if (plan.hits.isEmpty())
        return notRolled(RollKind::Damage, who, text, plan.problem);

    RollRecord record = rolled(RollKind::Damage, who, text);
    record.attack = attack;
    QStringList shown;
    qint64 allTotal = 0, allCritical = 0;
    int totals = 0;
    for (const HitDamage &hit : plan.hits) {
        const bool critical = hit.attack >= 0 && criticals.contains(hit.attack);
        for (qsizetype g = 0; g < hit.groups.size(); ++g) {
            const DamageGroup &group = hit.groups[g];
            Faces faces = rollFaces(group, 1, dice);
            qint64 total = 0;
            QString line = group.label.isEmpty() ? QString() : group.label + u' ';
            shown.append(line + shownGroup(group, faces, 1, total));
            allTotal += total;
            ++totals;
            if (g > 0 || !critical) {
                allCritical += total;
                continue;
            }
            // The weapon's own dice and numbers times the multiplier; the faces above count.
            faces = rollFaces(group, hit.multiplier, dice, faces);
            shown.append(QStringLiteral("critical x%1 if confirmed ").arg(hit.multiplier)
                         + shownGroup(group, faces, hit.multiplier, total));
            allCritical += total;
            if (!record.threats.contains(hit.attack))
                record.threats.append(hit.attack);
        }
    }
    record.result = shown.join(QStringLiteral(" · "));
    if (totals > 1) {
        record.result += QStringLiteral(" · in all %1").arg(allTotal);
        if (!record.threats.isEmpty())
            record.result += record.threats.size() == 1 ? QStringLiteral(", %1 with the critical").arg(allCritical)
                                                        : QStringLiteral(", %1 with the criticals").arg(allCritical);
    }
    record.total = allTotal;
    if (!record.threats.isEmpty())
        record.criticalTotal = allCritical;
    return record;
}

RollRecord rollDice(const QString &text, Dice &dice, bool anyKind)
{
    const std::optional<Amount> amount = parseAmount(text);
    if (!amount || (amount->kind != Amount::Kind::Hit && !anyKind))
        return notRolled(RollKind::Dice, QString(), text,
                         QStringLiteral("not dice to roll (such as 6d6, 1d20+7 or 8d6/2); nothing rolled"));
    const RolledAmount amountRolled = rollAmount(*amount, dice);
    RollRecord record = rolled(RollKind::Dice, QString(), text);
    record.result = QString::number(amountRolled.total);
    if (!amountRolled.shown.isEmpty())
        record.result += QStringLiteral(" (%1)").arg(amountRolled.shown);
    record.total = wholeTotal(amountRolled.total);
    return record;
}

RollRecord rollInitiativeCheck(const QString &who, const QString &modifier, int value, Dice &dice, int *total)
{
    const int natural = dice.roll(20);
    if (total)
        *total = natural + value;
    return initiativeCheck(who, modifier, value, natural);
}

RollRecord initiativeCheck(const QString &who, const QString &modifier, int value, int natural)
{
    RollRecord record = rolled(RollKind::Initiative, who, modifier);
    record.result = d20Check(record, natural, value);
    return record;
}

RollRecord rollAgain(const RollRecord &record, Dice &dice)
{
    switch (record.kind) {
    case RollKind::Attack:
        return rollAttack(record.who, record.text, dice);
    case RollKind::Damage:
        return rollDamage(record.who, record.text, record.attack, dice, record.threats);
    case RollKind::Dice: {
        RollRecord again = rollDice(record.text, dice, true);
        again.who = record.who; // a blow's dice name their targets
        return again;
    }
    case RollKind::Blow:
        break;
    case RollKind::Initiative:
        if (const auto modifier = initiativeModifier(record.text)) {
            RollRecord again = rollInitiativeCheck(record.who, modifier->text, modifier->value, dice);
            again.others = record.others;
            again.result += QStringLiteral(", the field keeps its own");
            return again;
        }
        break;
    }
    return notRolled(record.kind, record.who, record.text, QStringLiteral("nothing to roll"));
}

RollRecord notRolled(RollKind kind, const QString &who, const QString &text, const QString &why)
{
    RollRecord record = rolled(kind, who, text);
    record.rolled = false;
    record.result = why;
    return record;
}

QString rollLine(const RollRecord &record)
{
    static const char *const KindNames[] = {"initiative", "attack", "damage", "roll", "blow"};
    QString line;
    if (!record.who.isEmpty()) {
        const QString names = (QStringList{record.who} + record.others).join(QStringLiteral(", "));
        line = roster::shownText(names, record.others.isEmpty() ? ShownName : ShownGroup) + QStringLiteral(", ");
    }
    line += QLatin1String(KindNames[static_cast<int>(record.kind)]);
    if (line.front().isLower())
        line.front() = line.front().toUpper();
    QString head = record.text.left(2 * ShownRolledText);
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1); // never half a character
    if (const QString text = roster::shownText(head.simplified(), ShownRolledText); !text.isEmpty())
        line += u' ' + text;
    return line + QStringLiteral(": ") + shownResult(record.result);
}

} // namespace combat
