#include "combat/Rolls.h"

#include "combat/Initiative.h"
#include "roster/ShownText.h"

#include <algorithm>

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

} // namespace

RollRecord rollAttack(const QString &who, const QString &text, Dice &dice)
{
    const AttackText parsed = parseAttack(text);
    if (parsed.rolls.isEmpty())
        return notRolled(RollKind::Attack, who, text, parsed.problem);
    // The labels are shown only where they tell the attacks apart.
    const bool labelled = labelsDiffer(parsed.rolls);

    RollRecord record{RollKind::Attack, who, text, {}, {}, true, {}};
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
        }
        attacks.append(line);
    }
    record.result = attacks.join(QStringLiteral(" · "));
    return record;
}

RollRecord rollDamage(const QString &who, const QString &text, Dice &dice)
{
    const DamageText parsed = parseDamage(text);
    if (parsed.groups.isEmpty())
        return notRolled(RollKind::Damage, who, text, parsed.problem);

    RollRecord record{RollKind::Damage, who, text, {}, {}, true, {}};
    QStringList groups;
    qint64 allTotal = 0;
    for (const DamageGroup &group : parsed.groups) {
        qint64 total = 0;
        QStringList terms;
        for (const DiceTerm &term : group.terms) {
            const QString sign = term.sign < 0 ? QStringLiteral("-") : terms.isEmpty() ? QString() : QStringLiteral("+");
            if (term.sides == 0) {
                terms.append(sign + QString::number(term.count));
                total += term.sign * term.count;
                continue;
            }
            QStringList faces;
            for (int d = 0; d < term.count; ++d) {
                const int face = dice.roll(term.sides);
                total += term.sign * face;
                if (d < ShownFaces)
                    faces.append(QString::number(face));
            }
            if (term.count > ShownFaces)
                faces.append(QStringLiteral("…"));
            terms.append(sign + QStringLiteral("%1d%2: %3").arg(term.count).arg(term.sides).arg(faces.join(u' ')));
        }
        QString line = group.label.isEmpty() ? QString() : group.label + QStringLiteral(" ");
        line += QString::number(total);
        if (!group.kind.isEmpty())
            line += u' ' + group.kind;
        line += QStringLiteral(" (%1)").arg(terms.join(QStringLiteral(", ")));
        groups.append(line);
        allTotal += total;
    }
    record.result = groups.join(QStringLiteral(" · "));
    if (groups.size() > 1)
        record.result += QStringLiteral(" · in all %1").arg(allTotal);
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
    RollRecord record{RollKind::Initiative, who, modifier, {}, {}, true, {}};
    record.result = d20Check(record, natural, value);
    return record;
}

RollRecord rollAgain(const RollRecord &record, Dice &dice)
{
    switch (record.kind) {
    case RollKind::Attack:
        return rollAttack(record.who, record.text, dice);
    case RollKind::Damage:
        return rollDamage(record.who, record.text, dice);
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
    return {kind, who, text, why, {}, false, {}};
}

QString rollLine(const RollRecord &record)
{
    static const char *const KindNames[] = {"initiative", "attack", "damage"};
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
