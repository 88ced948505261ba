#pragma once

#include <QString>

#include <optional>

namespace combat {

inline constexpr double SpinMinimum = -10.0;
inline constexpr double SpinMaximum = 5000.0;

// The text a spin button writes after one step from the number read from `text`:
// +1 for a positive direction, -1 for a negative one (only the sign counts), kept within
// [SpinMinimum, SpinMaximum]. std::nullopt when the step changes nothing: at the bound,
// a direction of 0, or a text outside the bounds stepped further away from them.
// Throws roster::FieldError (Overflow) when the text is beyond a double.
std::optional<QString> spinStep(const QString &text, int direction);

} // namespace combat
