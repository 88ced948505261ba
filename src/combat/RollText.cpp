#include "combat/RollText.h"

#include "combat/StatBlockText.h"

#include <QRegularExpression>

#include <algorithm>

namespace combat {
namespace {

using namespace statblock;

const QString NothingToRoll = QStringLiteral("nothing to roll");

// A sum that starts with a die: "1d8+4", "2d6 + 1d6 + 3".
const Rx DiceSum(QStringLiteral(R"((?<![\p{L}0-9])[0-9]*d(?:[0-9]+|%)(?:\s*[+-]\s*(?:[0-9]*d(?:[0-9]+|%)|[0-9]+))*)"), Caseless);
// Any sum of dice and numbers, a sign before it allowed.
const Rx AnySum(QStringLiteral(R"((?<![\p{L}0-9])(?:[+-]\s*)?(?:[0-9]*d(?:[0-9]+|%)|[0-9]+)(?:\s*[+-]\s*(?:[0-9]*d(?:[0-9]+|%)|[0-9]+))*)"), Caseless);
const Rx SumTerm(QStringLiteral(R"(([+-])?\s*(?:([0-9]*)d([0-9]+|%)|([0-9]+)))"), Caseless);
// "d20", "1d20" written out in an attack, with the bonus after it ("+5") captured.
const Rx WrittenD20(QStringLiteral(R"((?<![\p{L}0-9])1?d20(?![0-9%])(?=(\s*[+-]\s?[0-9]+(?![0-9d]))?))"), Caseless);
// "2 claws": a count of natural weapons at the start of a part.
const Rx WeaponCount(QStringLiteral(R"(^\s*([0-9]+)\s+(?=\p{L}))"), Caseless);

// "d20+5" written out is the bonus +5; a d20 with no bonus after it rolls at +0.
void takeWrittenD20(QString &text)
{
    QList<QRegularExpressionMatch> found;
    for (auto it = WrittenD20.globalMatch(text); it.hasNext();)
        found.append(it.next());
    for (const QRegularExpressionMatch &m : found) {
        blank(text, m.capturedStart(), m.capturedLength());
        if (!m.hasCaptured(1))
            text.replace(m.capturedStart(), 2, QStringLiteral("+0"));
    }
}

// One part of an attack text ("2 claws +5 (1d4+2)") into its rolls; false with `problem`
// set when a number passes the limits. A part of bonuses alone (", +7") is the weapon of
// the roll before again.
bool readAttackPart(const QString &part, const AttackRoll &before, QList<AttackRoll> &rolls, QString &problem)
{
    if (!hasDigit(part))
        return true; // "see notes"; and a long list of words stays quick
    QString text = part;
    Critical critical = takeCritical(text); // brackets too: "(1d8+4/19-20)"
    text = outsideBrackets(text);
    takeWrittenD20(text);
    blankAll(text, DiceSum);

    int count = 1;
    if (const QRegularExpressionMatch m = WeaponCount.match(text); m.hasMatch()) {
        count = smallNumber(m.captured(1));
        if (count == 0)
            return true; // "0 claws"
        if (count < 0 || count > MaxAttackRolls) {
            problem = QStringLiteral("more than %1 attacks").arg(MaxAttackRolls);
            return false;
        }
        blank(text, m.capturedStart(1), m.capturedLength(1));
    }

    QList<int> bonuses;
    if (!takeBonuses(text, bonuses)) {
        problem = QStringLiteral("a bonus beyond %1").arg(MaxNumber);
        return false;
    }
    QString label = wordsOf(text);
    int weapon = rolls.isEmpty() ? 0 : before.part + 1;
    if (label.isEmpty()) {
        label = before.label;
        if (critical.threatFrom == 20 && critical.multiplier == 0)
            critical = {before.threatFrom, before.multiplier};
        weapon = before.part;
    }

    if (rolls.size() + qsizetype(count) * bonuses.size() > MaxAttackRolls) {
        problem = QStringLiteral("more than %1 attacks").arg(MaxAttackRolls);
        return false;
    }
    for (int c = 0; c < count; ++c)
        for (int bonus : bonuses)
            rolls.append({label, bonus, critical.threatFrom, critical.multiplier, weapon});
    return true;
}

// The terms of one sum ("2d6 + 1d6 - 1"); false with `problem` set past a limit.
bool readSum(const QString &sum, QList<DiceTerm> &terms, int &dice, QString &problem)
{
    for (auto it = SumTerm.globalMatch(sum); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        DiceTerm term;
        term.sign = m.captured(1) == u'-' ? -1 : 1;
        if (m.hasCaptured(4)) {
            term.count = smallNumber(m.captured(4));
            if (term.count < 0) {
                problem = QStringLiteral("a number beyond %1").arg(MaxNumber);
                return false;
            }
        } else {
            term.count = m.captured(2).isEmpty() ? 1 : smallNumber(m.captured(2));
            term.sides = m.captured(3) == u'%' ? 100 : smallNumber(m.captured(3));
            dice += std::max(term.count, 0);
            if (term.count < 0 || dice > MaxDice) {
                problem = QStringLiteral("more than %1 dice").arg(MaxDice);
                return false;
            }
            if (term.sides < 1 || term.sides > MaxSides) {
                problem = QStringLiteral("a die of no sides or more than %1").arg(MaxSides);
                return false;
            }
            if (term.count == 0)
                continue; // "0d6" rolls nothing
        }
        terms.append(term);
    }
    return true;
}

} // namespace

AttackText parseAttack(const QString &text)
{
    AttackText parsed;
    const QStringList separators{QStringLiteral("and"), QStringLiteral("or")};
    for (const Piece &piece : splitAt(plainText(text), separators)) {
        const AttackRoll before = parsed.rolls.isEmpty() ? AttackRoll{} : parsed.rolls.last();
        if (!readAttackPart(piece.text, before, parsed.rolls, parsed.problem)) {
            parsed.rolls.clear();
            return parsed;
        }
    }
    if (parsed.rolls.isEmpty())
        parsed.problem = NothingToRoll;
    return parsed;
}

DamageText parseDamage(const QString &text)
{
    DamageText parsed;
    QString plain = plainText(text);
    takeCritical(plain); // the attack's, written beside the damage: "1d8+4/19-20"
    const QString outside = outsideBrackets(plain);
    for (QChar &c : plain)
        if (c == u'(' || c == u')' || c == u'[' || c == u']')
            c = u' ';

    int dice = 0;
    const QStringList separators{QStringLiteral("plus"), QStringLiteral("and"), QStringLiteral("or")};
    for (const Piece &piece : splitAt(plain, separators)) {
        QList<QRegularExpressionMatch> sums;
        if (hasDigit(piece.text) || piece.text.contains(u'%')) // a sum needs one ("d%")
            for (auto it = AnySum.globalMatch(piece.text); it.hasNext();)
                sums.append(it.next());
        // The first sum with a die starts the first group; numbers before it are the label's
        // ("2 claws 1d4+2"). With no die at all, the first number starts it ("5 fire").
        const auto firstDie = std::find_if(sums.cbegin(), sums.cend(), [](const QRegularExpressionMatch &m) {
            return m.captured().contains(u'd', Qt::CaseInsensitive);
        });
        const qsizetype first = firstDie == sums.cend() ? 0 : firstDie - sums.cbegin();
        if (sums.isEmpty()) {
            // Words alone belong to the group before: "1d6 fire and cold".
            const QString words = parsed.groups.isEmpty() ? QString() : wordsOf(piece.text);
            if (!words.isEmpty()) {
                QString &kind = parsed.groups.last().kind;
                const QString more = wordsOf(piece.separator + u' ' + words);
                kind = kind.isEmpty() ? more : kind + u' ' + more;
            }
            continue;
        }
        // After it, a number without a die or a sign is the words' ("Reflex DC 15 half").
        QList<QRegularExpressionMatch> starts;
        for (qsizetype i = first; i < sums.size(); ++i) {
            const QString sum = sums[i].captured();
            if (i == first || sum.contains(u'd', Qt::CaseInsensitive) || sum.front() == u'+' || sum.front() == u'-')
                starts.append(sums[i]);
        }
        for (qsizetype i = 0; i < starts.size(); ++i) {
            const QRegularExpressionMatch &sum = starts[i];
            DamageGroup group;
            if (i == 0) {
                // Before dice in brackets stands an attack ("bite +7 (1d6+4)"): its bonuses
                // are not the label's.
                QString words = piece.text.left(sum.capturedStart());
                if (outside.at(piece.from + sum.capturedStart()) == u' ') {
                    QList<int> bonuses;
                    takeBonuses(words, bonuses);
                }
                group.label = wordsOf(words);
            }
            const qsizetype kindEnd = i + 1 < starts.size() ? starts[i + 1].capturedStart() : piece.text.size();
            group.kind = wordsOf(piece.text.mid(sum.capturedEnd(), kindEnd - sum.capturedEnd()));
            if (!readSum(sum.captured(), group.terms, dice, parsed.problem)) {
                parsed.groups.clear();
                return parsed;
            }
            if (group.terms.isEmpty())
                continue;
            if (parsed.groups.size() >= MaxAttackRolls) {
                parsed.groups.clear();
                parsed.problem = QStringLiteral("more than %1 kinds of damage").arg(MaxAttackRolls);
                return parsed;
            }
            parsed.groups.append(group);
        }
    }
    if (parsed.groups.isEmpty())
        parsed.problem = NothingToRoll;
    return parsed;
}

QString formula(const AttackRoll &roll)
{
    QString text = roll.label.isEmpty() ? QString() : roll.label + u' ';
    text += QStringLiteral("d20") + (roll.bonus < 0 ? QString() : QStringLiteral("+")) + QString::number(roll.bonus);
    if (roll.threatFrom < 20)
        text += QStringLiteral(" threat %1-20").arg(roll.threatFrom);
    if (roll.multiplier > 0)
        text += QStringLiteral(" x%1").arg(roll.multiplier);
    return text;
}

QString formula(const DamageGroup &group)
{
    QString text = group.label.isEmpty() ? QString() : group.label + QStringLiteral(": ");
    for (qsizetype i = 0; i < group.terms.size(); ++i) {
        const DiceTerm &term = group.terms[i];
        if (term.sign < 0)
            text += u'-';
        else if (i > 0)
            text += u'+';
        text += term.sides == 0 ? QString::number(term.count) : QStringLiteral("%1d%2").arg(term.count).arg(term.sides);
    }
    if (!group.kind.isEmpty())
        text += u' ' + group.kind;
    return text;
}

} // namespace combat
