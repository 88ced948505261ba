#include "combat/HitPoints.h"

#include "combat/SpinStep.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QRegularExpression>

#include <cmath>

namespace combat {

HitPointsField readHitPoints(const QString &text)
{
    HitPointsField field;
    field.current = roster::textToNumber(text);
    // Only a maximum stays after the number; any other text is tidied away, as it always was.
    static const QRegularExpression maximum(QStringLiteral(R"(^/([0-9]{1,9})(?![0-9.]))"));
    if (const QRegularExpressionMatch m = maximum.match(text.mid(roster::leadingNumberEnd(text))); m.hasMatch()) {
        field.rest = m.captured(0);
        field.maximum = m.captured(1).toDouble();
    }
    return field;
}

std::optional<QString> changedHitPoints(const QString &text, double by)
{
    try {
        const HitPointsField field = readHitPoints(text);
        double result = field.current + by;
        if (by > 0 && field.maximum && result > *field.maximum)
            result = std::max(field.current, *field.maximum);
        if (!std::isfinite(result))
            return std::nullopt;
        return roster::numberToText(result) + field.rest;
    } catch (const roster::FieldError &) {
        return std::nullopt;
    }
}

std::optional<QString> steppedHitPoints(const QString &text, int direction)
{
    const HitPointsField field = readHitPoints(text);
    if (direction > 0 && field.maximum && field.current >= *field.maximum)
        return std::nullopt;
    const std::optional<QString> stepped = spinStep(roster::numberToText(field.current), direction);
    if (!stepped)
        return std::nullopt;
    return *stepped + field.rest;
}

} // namespace combat
