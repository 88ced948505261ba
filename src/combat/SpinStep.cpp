#include "combat/SpinStep.h"

#include "roster/FieldText.h"

#include <algorithm>

namespace combat {

std::optional<QString> spinStep(const QString &text, int direction)
{
    if (direction == 0)
        return std::nullopt;
    const double step = direction > 0 ? 1.0 : -1.0;
    const double value = roster::textToNumber(text);

    // A step moves only in its own direction and never ends outside the bounds: a value
    // beyond a bound jumps to that bound when stepped toward the range, and stays put
    // when stepped away from it.
    const double next = std::clamp(value + step, SpinMinimum, SpinMaximum);
    if ((next - value) * step <= 0.0)
        return std::nullopt;
    return roster::numberToText(next);
}

} // namespace combat
