#pragma once

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

} // namespace combat
