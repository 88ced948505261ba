#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The steps of reading a stat block's text that the Attack and the Damage readings share.
// Parts of a text that are read are blanked (spaces in their place), so positions hold.
namespace combat::statblock {

using Rx = QRegularExpression;
inline constexpr auto Caseless = Rx::CaseInsensitiveOption | Rx::UseUnicodePropertiesOption;

// The part of the text that is read, with the plain signs in place of those word processors
// put there, and without a heading ("Full Attack:").
QString plainText(const QString &text);

// A number of the text, or -1 when it passes MaxNumber (or has no digits).
int smallNumber(const QString &digits);
bool hasDigit(const QString &text);

void blank(QString &text, qsizetype from, qsizetype length);
void blankAll(QString &text, const Rx &rule);

// Words the text keeps after its numbers are taken out, blanks and stray marks dropped.
QString wordsOf(const QString &text);

// The text cut at ",", ";" and the given words outside brackets; each piece with the
// separator that came before it and where it starts in the text.
struct Piece
{
    QString separator;
    QString text;
    qsizetype from = 0;
};
QList<Piece> splitAt(const QString &text, const QStringList &words);

// The text outside brackets, the bracketed parts blanked.
QString outsideBrackets(const QString &text);

struct Critical
{
    int threatFrom = 20;
    int multiplier = 0;
};
// Takes the threat ranges and multipliers out of the text (blanked) and returns them.
Critical takeCritical(QString &text);

// Takes the attack bonuses out of the text (blanked) into `bonuses`; false when one passes
// MaxNumber. A lone bonus right before a word, with more bonuses after it, is the weapon's
// own and stays: "+1 longsword +12/+7" rolls twice, and the label keeps "+1 longsword".
// Reading stops past MaxAttackRolls bonuses, as the text is refused then anyway.
bool takeBonuses(QString &text, QList<int> &bonuses);

} // namespace combat::statblock
