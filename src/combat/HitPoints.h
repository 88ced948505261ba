#pragma once

#include "combat/Amount.h"
#include "combat/DownRow.h"
#include "roster/Row.h"

#include <QString>

#include <optional>

// The hit points field: the number at its start, the current hit points every rule reads, and
// what follows it, kept as typed. A maximum stands after a slash: "37/45".
namespace combat {

struct HitPointsField
{
    double current = 0;
    QString rest;                  // "/45" of "37/45"; empty for "37" or any other text after it
    std::optional<double> maximum; // 45 of "37/45"
};

// Throws roster::FieldError (Overflow) when the number is beyond a double.
HitPointsField readHitPoints(const QString &text);

// The field after a change of `by` hit points (negative hurts): the rest kept, healing
// stopped at the maximum (a field already above it keeps its number). None when the result is
// beyond a double.
std::optional<QString> changedHitPoints(const QString &text, double by);

// A spin button's step of the hit points (combat::spinStep) that keeps the maximum and stops
// at it going up; none at a bound. Throws roster::FieldError (Overflow) as spinStep does.
std::optional<QString> steppedHitPoints(const QString &text, int direction);

// What nonlethal damage ("[Nonlethal: 7]" in the note) does: equal to the current hit points
// the combatant is staggered, above them unconscious (and does not act, as one dying).
enum class NonlethalState { None, Staggered, Unconscious };
NonlethalState nonlethalState(const roster::Row &row);

// The d20 rules of one change of a row's hit points, `amount` of `kind` (a Hit's negative
// amount heals):
// - damage takes the temporary hit points first ("[Temp: 8]" leaves at 0), then the number;
// - healing raises the number up to the maximum, and the whole heal comes off the nonlethal
//   damage;
// - temporary hit points do not stack: the higher grant stays;
// - nonlethal damage adds up in "[Nonlethal: 7]";
// then, where the number changed, the down rule. `said` tells what the game master could not
// see coming ("healed 5, to the maximum 45"); empty otherwise. Refused, the row unchanged,
// when the hit points are no number a change can take, or a tag would grow a note past what
// can be edited.
struct HitPointChange
{
    enum class Refusal { None, HitPoints, NoteTooLong };
    Refusal refusal = Refusal::None;
    QString said;
};
HitPointChange changeHitPoints(roster::Row &row, Amount::Kind kind, double amount, DownRule rule = {});

} // namespace combat
