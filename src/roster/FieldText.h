#pragma once

#include <QString>
#include <QtGlobal>

// The four conversions between a field's text and a number. Nothing else in the
// program turns text into numbers or back. The decimal point is always '.'.
namespace roster {

// Leading number of the text as a double; 0 when the text starts with no number.
// Throws FieldError (Overflow) when the number does not fit a double.
double textToNumber(const QString &text);

// Where the leading number textToNumber reads ends: the text after it is the field's own
// ("/45" of "37/45"); 0 when the text starts with no number.
qsizetype leadingNumberEnd(const QString &text);

// Whole numbers below 1e15 as plain digits; others with up to 15 significant digits.
QString numberToText(double value);

// Plain decimal digits with a leading '-' when negative.
QString integerToText(qint16 value);

// The whole text (blanks around it allowed) as a 16-bit integer, halves to even.
// Throws FieldError: TypeMismatch when it is no number, Overflow outside 16 bits.
qint16 textToInteger(const QString &text);

} // namespace roster
