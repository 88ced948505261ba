#include "combat/StatBlockText.h"

#include "combat/RollText.h"

#include <QRegularExpression>

#include <algorithm>

namespace combat::statblock {
namespace {

// "threat" or "crit" before a range or a multiplier is part of it: "crit 19-20/x2".
const QString CriticalWord = QStringLiteral(R"((?:(?<!\p{L})(?:threat|crit(?:ical)?)\s*:?\s*)?)");
// "19-20", "18-20/x2": a natural roll from the first number up threatens a critical; "3d6-20"
// is a sum.
const Rx ThreatRange(CriticalWord + QStringLiteral(R"((?<![0-9d+\-])([0-9]+)\s*-\s*20(?![0-9])(?:\s*/\s*x\s*([0-9]+))?)"), Caseless);
// "x3", "/x3", "20/x3": the critical's multiplier. The 20 of "d20 x2" is the die's, that of
// "+20 x3" the bonus.
const Rx Multiplier(CriticalWord + QStringLiteral(R"((?:(?<![\p{L}0-9+\-])20\s*)?/?\s*(?<![\p{L}0-9])x\s*([0-9]+))"), Caseless);
// "+12/+7/+2", "+11/6/1": a chain of attack bonuses, one d20 each. A plus sign may touch
// the word before ("bite+7"); a minus there is a hyphen.
const Rx BonusChain(QStringLiteral(R"((?:(?<![\p{L}0-9)])|(?<=\p{L})(?=\+))[+-]\s?[0-9]+(?:\s*/\s*[+-]?\s?[0-9]+)*(?![0-9]))"), Caseless);
const Rx Bonus(QStringLiteral(R"(([+-]?)\s?([0-9]+))"));
// "Full Attack:", "Melee:", "Damage:" at the start of a pasted stat block line.
const Rx Heading(QStringLiteral(R"(^\s*(?:full\s+)?(?:attacks?|atk|melee|ranged|damage|dmg)\s*:)"), Caseless);

} // namespace

// The part of the text that is read, with the plain signs in place of those word processors
// put there, and without a heading.
QString plainText(const QString &text)
{
    QString plain = text.left(MaxRolledText);
    plain.replace(QChar(0x2212), u'-'); // minus sign
    plain.replace(QChar(0x2013), u'-'); // en dash, as in "19–20"
    plain.replace(QChar(0x00D7), u'x'); // multiplication sign, as in "×3"
    // One blank for each run of them: the patterns' optional blanks then cannot backtrack
    // through a long run.
    plain = plain.simplified();
    if (const QRegularExpressionMatch m = Heading.match(plain); m.hasMatch())
        plain.replace(m.capturedStart(), m.capturedLength(), QString(m.capturedLength(), u' '));
    return plain;
}

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

} // namespace combat::statblock
