#pragma once

#include "combat/Dice.h"
#include "combat/RollText.h"

#include <QList>
#include <QString>

#include <optional>

// What the target bar's amount may say: a sum and difference of numbers and dice ("8+9",
// "2d6+3", "-2d8-5", a heal), halved or otherwise divided as a whole ("6d6/2"), and in front
// "t" for temporary hit points ("t8") or "n" for nonlethal damage ("n7").
namespace combat {

struct Amount
{
    enum class Kind { Hit, Temporary, Nonlethal };
    Kind kind = Kind::Hit;
    QList<DiceTerm> dice; // each `count` dice of `sides`, with its sign
    double constant = 0;  // the numbers, summed
    int divisor = 1;      // "/2": the whole divided, rounded toward 0

    bool operator==(const Amount &) const = default;
};

// The largest blow either way: no blow of the game comes near it, and hit points would come
// out written as 1E+20.
inline constexpr double MaximumBlow = 99999;

// Most dice one amount rolls, and most sides a die may have.
inline constexpr int MostAmountDice = 100;
inline constexpr int MostDieSides = 1000;

// The amount the text says; none for anything else, for dice past the limits above, a divisor
// below 1, or a temporary or nonlethal amount that is not positive.
std::optional<Amount> parseAmount(const QString &text);

// The amount rolled: its total, and what the dice showed ("6d6: 3, 5, 1, 6, 2, 4"; empty with
// no dice).
struct RolledAmount
{
    double total = 0;
    QString shown;
};
RolledAmount rollAmount(const Amount &amount, Dice &dice);

// True for a text meant as an amount that parseAmount refuses: dice, a divisor or a t or n in
// front ("101d6", "2d6 fire", "6d6/0", "t-5"). Any other text ("7 points") is read by its
// leading number where a number is all that is wanted.
bool looksLikeAmount(const QString &text);

// What the user reads: "“2d” is no amount: type damage as 7 or 2d6+3, …", "A blow of 120000
// is past what Fraymark takes (99999 either way)."
QString notAnAmount(const QString &typed);
// An amount as the user would type it: "7", "-5", "t8", "n7".
QString amountText(Amount::Kind kind, double total);
QString blowTooLarge(double total);

} // namespace combat
