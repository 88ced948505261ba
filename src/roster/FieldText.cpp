#include "roster/FieldText.h"

#include "roster/FieldError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace roster {
namespace {

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isSign(QChar c) { return c == u'+' || c == u'-'; }
bool isNumberBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// The number's decimal exponent: where its first significant digit stands (1 for "12.5",
// -1 for "0.05"), its exponent part added; saturated far beyond any double.
long decimalExponent(const char *first, const char *last)
{
    long wholeDigits = 0;   // of the whole part, from its first digit that is not 0
    long leadingZeros = 0;  // of the fraction, before its first digit that is not 0
    bool significant = false, point = false;
    const char *p = first;
    for (; p != last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.')
            point = true;
        else if (!point && (significant || *p != '0'))
            significant = true, ++wholeDigits;
        else if (point && !significant && *p == '0')
            ++leadingZeros;
        else if (point)
            significant = true;
    }
    if (!significant)
        return 0;
    long exponent = wholeDigits > 0 ? wholeDigits - 1 : -(leadingZeros + 1);
    if (p != last) {
        ++p;
        const bool negative = p != last && *p == '-';
        if (p != last && (*p == '+' || *p == '-'))
            ++p;
        long value = 0;
        for (; p != last; ++p)
            value = std::min(value * 10 + (*p - '0'), 1000000000L);
        exponent += negative ? -value : value;
    }
    return exponent;
}

// The number with '.' as its point, read without asking any locale, so every system reads a
// text alike. Returns false when the magnitude is too large for a double; a value too small
// to represent becomes 0 (or a denormal), as a tiny number should.
bool parseDecimal(const std::string &ascii, double &out)
{
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-'))
        ++first;
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(first, last, value, std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
        if (decimalExponent(first, last) > 0)
            return false;
        value = 0.0;
    }
    out = negative ? -value : value;
    return true;
}

void skipBlanks(const QString &text, qsizetype &i)
{
    while (i < text.size() && isNumberBlank(text.at(i)))
        ++i;
}

// The digits from `i` on, blanks between them skipped, added to `out`; true when there was one.
bool appendDigits(const QString &text, qsizetype &i, std::string &out)
{
    bool any = false;
    for (skipBlanks(text, i); i < text.size() && isAsciiDigit(text.at(i)); ++i, skipBlanks(text, i)) {
        out += char(text.at(i).unicode());
        any = true;
    }
    return any;
}

// A sign, if there is one, then the digits, as appendDigits reads them.
bool appendSignedDigits(const QString &text, qsizetype &i, std::string &out)
{
    skipBlanks(text, i);
    if (i < text.size() && isSign(text.at(i)))
        out += char(text.at(i++).unicode());
    return appendDigits(text, i, out);
}

// The longest leading number of the text, blanks skipped, as plain ASCII; `end`, when given,
// gets the place just past it (0 for none).
std::string leadingNumber(const QString &text, qsizetype *end = nullptr)
{
    std::string number;
    qsizetype i = 0;
    if (end)
        *end = 0;
    bool digits = appendSignedDigits(text, i, number);
    if (i < text.size() && text.at(i) == u'.') {
        number += '.';
        ++i;
        digits = appendDigits(text, i, number) || digits;
    }
    if (!digits)
        return {};

    // An exponent counts only when at least one digit follows it.
    if (i < text.size() && (text.at(i) == u'e' || text.at(i) == u'E')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        if (appendSignedDigits(text, j, exponent)) {
            number += exponent;
            i = j;
        }
    }
    if (end)
        *end = i;
    return number;
}

bool isWholeNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && isSign(text.at(i)))
        ++i;
    bool digits = false;
    for (; i < n && isAsciiDigit(text.at(i)); ++i)
        digits = true;
    if (i < n && text.at(i) == u'.')
        for (++i; i < n && isAsciiDigit(text.at(i)); ++i)
            digits = true;
    if (!digits)
        return false;
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        ++i;
        if (i < n && isSign(text.at(i)))
            ++i;
        bool exponentDigits = false;
        for (; i < n && isAsciiDigit(text.at(i)); ++i)
            exponentDigits = true;
        if (!exponentDigits)
            return false;
    }
    return i == n;
}

} // namespace

double textToNumber(const QString &text)
{
    const std::string number = leadingNumber(text);
    if (number.empty())
        return 0.0;
    double value = 0.0;
    if (!parseDecimal(number, value))
        throw FieldError::overflow();
    return value;
}

qsizetype leadingNumberEnd(const QString &text)
{
    qsizetype end = 0;
    leadingNumber(text, &end);
    return end;
}

QString numberToText(double value)
{
    if (!std::isfinite(value))
        throw FieldError::overflow();
    if (value == 0.0)
        return QStringLiteral("0"); // never "-0"
    QString text = QString::number(value, 'g', 15);
    text.replace(u'e', u'E');
    return text;
}

QString integerToText(qint16 value)
{
    return QString::number(value);
}

qint16 textToInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!isWholeNumber(trimmed))
        throw FieldError::typeMismatch();
    double value = 0.0;
    if (!parseDecimal(trimmed.toStdString(), value))
        throw FieldError::overflow();
    const double rounded = std::nearbyint(value); // ties to even in the default mode
    if (rounded < -32768.0 || rounded > 32767.0)
        throw FieldError::overflow();
    return static_cast<qint16>(rounded);
}

} // namespace roster
