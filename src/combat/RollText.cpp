#include "combat/RollText.h"

#include <QRegularExpression>

#include <algorithm>

namespace combat {
namespace {

using Rx = QRegularExpression;
constexpr auto Caseless = Rx::CaseInsensitiveOption | Rx::UseUnicodePropertiesOption;

const QString NothingToRoll = QStringLiteral("nothing to roll");

// "threat" or "crit" before a range or a multiplier is part of it: "crit 19-20/x2".
const QString CriticalWord = QStringLiteral(R"((?:(?<!\p{L})(?:threat|crit(?:ical)?)\s*:?\s*)?)");
// "19-20", "18-20/x2": a natural roll from the first number up threatens a critical; "3d6-20"
// is a sum.
const Rx ThreatRange(CriticalWord + QStringLiteral(R"((?<![\dd+\-])(\d+)\s*-\s*20(?!\d)(?:\s*/\s*x\s*(\d+))?)"), Caseless);
// "x3", "/x3", "20/x3": the critical's multiplier. The 20 of "d20 x2" is the die's, that of
// "+20 x3" the bonus.
const Rx Multiplier(CriticalWord + QStringLiteral(R"((?:(?<![\p{L}\d+\-])20\s*)?/?\s*(?<![\p{L}\d])x\s*(\d+))"), Caseless);
// A sum that starts with a die: "1d8+4", "2d6 + 1d6 + 3".
const Rx DiceSum(QStringLiteral(R"((?<![\p{L}\d])\d*d(?:\d+|%)(?:\s*[+-]\s*(?:\d*d(?:\d+|%)|\d+))*)"), Caseless);
// Any sum of dice and numbers, a sign before it allowed.
const Rx AnySum(QStringLiteral(R"((?<![\p{L}\d])(?:[+-]\s*)?(?:\d*d(?:\d+|%)|\d+)(?:\s*[+-]\s*(?:\d*d(?:\d+|%)|\d+))*)"), Caseless);
const Rx SumTerm(QStringLiteral(R"(([+-])?\s*(?:(\d*)d(\d+|%)|(\d+)))"), Caseless);
// "+12/+7/+2", "+11/6/1": a chain of attack bonuses, one d20 each. A plus sign may touch
// the word before ("bite+7"); a minus there is a hyphen.
const Rx BonusChain(QStringLiteral(R"((?:(?<![\p{L}\d)])|(?<=\p{L})(?=\+))[+-]\s?\d+(?:\s*/\s*[+-]?\s?\d+)*(?!\d))"), Caseless);
const Rx Bonus(QStringLiteral(R"(([+-]?)\s?(\d+))"));
// "d20", "1d20" written out in an attack, with the bonus after it ("+5") captured.
const Rx WrittenD20(QStringLiteral(R"((?<![\p{L}\d])1?d20(?![\d%])(?=(\s*[+-]\s?\d+(?![\dd]))?))"), Caseless);
// "Full Attack:", "Melee:", "Damage:" at the start of a pasted stat block line.
const Rx Heading(QStringLiteral(R"(^\s*(?:full\s+)?(?:attacks?|atk|melee|ranged|damage|dmg)\s*:)"), Caseless);
// "2 claws": a count of natural weapons at the start of a part.
const Rx WeaponCount(QStringLiteral(R"(^\s*(\d+)\s+(?=\p{L}))"), Caseless);

// The part of the text that is read, with the plain signs in place of those word processors
// put there, and without a heading.
QString plainText(const QString &text)
{
    QString plain = text.left(MaxRolledText);
    plain.replace(QChar(0x2212), u'-'); // minus sign
    plain.replace(QChar(0x2013), u'-'); // en dash, as in "19–20"
    plain.replace(QChar(0x00D7), u'x'); // multiplication sign, as in "×3"
    if (const QRegularExpressionMatch m = Heading.match(plain); m.hasMatch())
        plain.replace(m.capturedStart(), m.capturedLength(), QString(m.capturedLength(), u' '));
    return plain;
}

// A number of the text, or -1 when it passes MaxNumber (or has no digits).
int smallNumber(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > 6)
        return -1;
    const int value = digits.toInt();
    return value <= MaxNumber ? value : -1;
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

void blank(QString &text, qsizetype from, qsizetype length)
{
    text.replace(from, length, QString(length, u' '));
}

// Words the text keeps after its numbers are taken out, blanks and stray marks dropped.
QString wordsOf(const QString &text)
{
    QString words = text;
    for (QChar &c : words)
        if (!c.isLetterOrNumber() && !c.isMark() && !QStringView(u"+-'’. ").contains(c))
            c = u' ';
    words = words.simplified();
    // A dash or dot before the words and a sign after them are left over from numbers.
    qsizetype from = 0;
    qsizetype to = words.size();
    while (from < to && (words.at(from) == u'-' || words.at(from) == u'.' || words.at(from) == u' '))
        ++from;
    while (to > from && (words.at(to - 1) == u'-' || words.at(to - 1) == u'+' || words.at(to - 1) == u' '))
        --to;
    return words.mid(from, to - from);
}

// The text cut at ",", ";" and the given words outside brackets; each piece with the
// separator that came before it and where it starts in the text.
struct Piece
{
    QString separator;
    QString text;
    qsizetype from = 0;
};
QList<Piece> splitAt(const QString &text, const QStringList &words)
{
    QList<Piece> pieces{{}};
    int depth = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        if (depth == 0 && (c == u',' || c == u';')) {
            pieces.append({QString(c), {}, i + 1});
            ++i;
        } else if (c.isLetter() && (i == 0 || !text.at(i - 1).isLetter())) {
            qsizetype end = i;
            while (end < text.size() && text.at(end).isLetter())
                ++end;
            const QString word = text.mid(i, end - i);
            if (depth == 0 && words.contains(word, Qt::CaseInsensitive))
                pieces.append({word, {}, end});
            else
                pieces.last().text += word;
            i = end;
        } else {
            pieces.last().text += c;
            ++i;
        }
    }
    return pieces;
}

// The text outside brackets, the bracketed parts blanked.
QString outsideBrackets(const QString &text)
{
    QString outside = text;
    int depth = 0;
    for (QChar &c : outside) {
        const bool opens = c == u'(' || c == u'[';
        const bool closes = (c == u')' || c == u']') && depth > 0;
        depth += opens ? 1 : 0;
        if (depth > 0)
            c = u' ';
        depth -= closes ? 1 : 0;
    }
    return outside;
}

struct Critical
{
    int threatFrom = 20;
    int multiplier = 0;
};

// Takes the threat ranges and multipliers out of the text (blanked) and returns them.
Critical takeCritical(QString &text)
{
    Critical critical;
    auto multiplierOf = [&](const QString &digits) {
        const int m = smallNumber(digits);
        if (m >= 2 && m <= 10)
            critical.multiplier = m;
    };
    for (const Rx *rule : {&ThreatRange, &Multiplier}) {
        QList<QRegularExpressionMatch> found;
        for (auto it = rule->globalMatch(text); it.hasNext();)
            found.append(it.next());
        for (const QRegularExpressionMatch &m : found) {
            if (rule == &ThreatRange) {
                const int low = smallNumber(m.captured(1));
                if (low < 2 || low > 20)
                    continue;
                critical.threatFrom = std::min(critical.threatFrom, low);
                if (m.hasCaptured(2))
                    multiplierOf(m.captured(2));
            } else {
                multiplierOf(m.captured(1));
            }
            blank(text, m.capturedStart(), m.capturedLength());
        }
    }
    return critical;
}

void blankAll(QString &text, const Rx &rule)
{
    for (auto it = rule.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        blank(text, m.capturedStart(), m.capturedLength());
    }
}

// Takes the attack bonuses out of the text (blanked) into `bonuses`; false when one passes
// MaxNumber. A lone bonus right before a word, with more bonuses after it, is the weapon's
// own and stays: "+1 longsword +12/+7" rolls twice, and the label keeps "+1 longsword".
// Reading stops past MaxAttackRolls bonuses, as the text is refused then anyway.
bool takeBonuses(QString &text, QList<int> &bonuses)
{
    for (auto it = BonusChain.globalMatch(text); it.hasNext() && bonuses.size() <= MaxAttackRolls;) {
        const QRegularExpressionMatch chain = it.next();
        qsizetype after = chain.capturedEnd();
        while (after < text.size() && text.at(after).isSpace())
            ++after;
        const bool namesWeapon = it.hasNext() && !chain.captured().contains(u'/') && after < text.size()
                                 && text.at(after).isLetter();
        if (namesWeapon)
            continue;
        for (auto b = Bonus.globalMatch(chain.captured()); b.hasNext();) {
            const QRegularExpressionMatch bonus = b.next();
            const int size = smallNumber(bonus.captured(2));
            if (size < 0)
                return false;
            bonuses.append(bonus.captured(1) == u'-' ? -size : size);
        }
        blank(text, chain.capturedStart(), chain.capturedLength());
    }
    return true;
}

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
    if (label.isEmpty()) {
        label = before.label;
        if (critical.threatFrom == 20 && critical.multiplier == 0)
            critical = {before.threatFrom, before.multiplier};
    }

    if (rolls.size() + qsizetype(count) * bonuses.size() > MaxAttackRolls) {
        problem = QStringLiteral("more than %1 attacks").arg(MaxAttackRolls);
        return false;
    }
    for (int c = 0; c < count; ++c)
        for (int bonus : bonuses)
            rolls.append({label, bonus, critical.threatFrom, critical.multiplier});
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
