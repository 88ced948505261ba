#include "combat/Amount.h"

#include "roster/FieldText.h"
#include "roster/ShownText.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace combat {
namespace {

// One term with its sign: a number ("9", "2.5") or dice ("2d6", "d8").
const QRegularExpression Term(QStringLiteral(R"(\G\s*([+-])?\s*(?:(\d{0,3})[dD](\d{1,4})|(\d+(?:\.\d*)?|\.\d+)))"));
const QRegularExpression Divisor(QStringLiteral(R"(\G\s*/\s*(\d{1,4})\s*$)"));

} // namespace

std::optional<Amount> parseAmount(const QString &text)
{
    Amount amount;
    QString body = text.trimmed();
    if (body.startsWith(u't', Qt::CaseInsensitive) || body.startsWith(u'n', Qt::CaseInsensitive)) {
        amount.kind = body.front().toLower() == u't' ? Amount::Kind::Temporary : Amount::Kind::Nonlethal;
        body.remove(0, 1);
    }
    qsizetype at = 0;
    int dice = 0;
    bool first = true;
    while (at < body.size()) {
        if (const QRegularExpressionMatch divisor = Divisor.match(body, at); !first && divisor.hasMatch()) {
            amount.divisor = divisor.captured(1).toInt();
            at = body.size();
            break;
        }
        const QRegularExpressionMatch term = Term.match(body, at);
        if (!term.hasMatch() || (!first && term.captured(1).isEmpty()))
            return std::nullopt; // no term, or two without a sign between them
        const int sign = term.captured(1) == u"-" ? -1 : 1;
        if (term.hasCaptured(3)) {
            const int count = term.captured(2).isEmpty() ? 1 : term.captured(2).toInt();
            const int sides = term.captured(3).toInt();
            dice += count;
            if (count < 1 || sides < 2 || sides > MostDieSides || dice > MostAmountDice)
                return std::nullopt;
            amount.dice.append({sign, count, sides});
        } else {
            amount.constant += sign * term.captured(4).toDouble();
        }
        at = term.capturedEnd(0);
        first = false;
    }
    if (first || amount.divisor < 1 || !std::isfinite(amount.constant))
        return std::nullopt;
    // Temporary hit points and nonlethal damage are given, never taken back by a minus.
    const bool minus = amount.constant < 0
        || std::any_of(amount.dice.begin(), amount.dice.end(), [](const DiceTerm &d) { return d.sign < 0; });
    if (amount.kind != Amount::Kind::Hit && minus)
        return std::nullopt;
    return amount;
}

RolledAmount rollAmount(const Amount &amount, Dice &dice)
{
    RolledAmount rolled;
    double total = amount.constant;
    QStringList shown;
    for (const DiceTerm &term : amount.dice) {
        QStringList faces;
        for (int i = 0; i < term.count; ++i) {
            const int face = dice.roll(term.sides);
            total += term.sign * face;
            faces << QString::number(face);
        }
        shown << QStringLiteral("%1%2d%3: %4")
                     .arg(term.sign < 0 ? QStringLiteral("-") : QString())
                     .arg(term.count)
                     .arg(term.sides)
                     .arg(faces.join(QStringLiteral(", ")));
    }
    if (amount.divisor > 1) {
        if (!shown.isEmpty())
            shown << QStringLiteral("%1/%2").arg(roster::numberToText(total)).arg(amount.divisor);
        total = std::trunc(total / amount.divisor);
    }
    rolled.total = total + 0.0; // -0 reads as 0
    rolled.shown = shown.join(QStringLiteral("; "));
    return rolled;
}

bool looksLikeAmount(const QString &text)
{
    static const QRegularExpression attempt(QStringLiteral(R"((^|[\s\d+-])[dD]\d|^\s*[tTnN]\s*[-+.\d]|\d\s*/)"));
    return attempt.match(text).hasMatch();
}

QString notAnAmount(const QString &typed)
{
    constexpr qsizetype ShownLength = 24;
    return QStringLiteral("\u201c%1\u201d is no amount: type damage as 7 or 2d6+3, healing as -5, half as 6d6/2, "
                          "temporary hit points as t8, nonlethal damage as n7.")
        .arg(roster::shownText(typed, ShownLength));
}

QString blowTooLarge(double total)
{
    return QStringLiteral("A blow of %1 is past what Fraymark takes (%2 either way).").arg(total).arg(MaximumBlow);
}

QString amountText(Amount::Kind kind, double total)
{
    const QString prefix = kind == Amount::Kind::Temporary ? QStringLiteral("t")
        : kind == Amount::Kind::Nonlethal                 ? QStringLiteral("n")
                                                          : QString();
    return prefix + roster::numberToText(total);
}

} // namespace combat
