#include "combat/HitPoints.h"

#include "combat/HitPointTags.h"
#include "combat/SpinStep.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/Fields.h"

#include <QRegularExpression>

#include <algorithm>
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

NonlethalState nonlethalState(const roster::Row &row)
{
    const int nonlethal = tagValue(row.note, NonlethalTagName);
    if (nonlethal <= 0)
        return NonlethalState::None;
    double hp = 0;
    try {
        hp = roster::textToNumber(row.hp);
    } catch (const roster::FieldError &) {
        return NonlethalState::None;
    }
    if (nonlethal == hp)
        return NonlethalState::Staggered;
    return nonlethal > hp ? NonlethalState::Unconscious : NonlethalState::None;
}

namespace {

// A tag's value after adding `by`, kept within what a tag holds.
int tagAfter(int value, double by)
{
    return static_cast<int>(std::clamp(value + by, 0.0, double(MaximumTagValue)));
}

QString number(double value)
{
    return roster::numberToText(value);
}

// Damage (positive) or healing (negative) of the number, temporary hit points taken first
// and nonlethal damage healed alongside; false when the hit points cannot take it.
bool takeHit(roster::Row &row, double amount, QString &said)
{
    const int temporary = tagValue(row.note, TemporaryTagName);
    const int nonlethal = tagValue(row.note, NonlethalTagName);
    double toNumber = amount;
    if (amount > 0 && temporary > 0) {
        const int taken = static_cast<int>(std::min<double>(temporary, amount));
        toNumber -= taken;
        row.note = withTagValue(row.note, TemporaryTagName, temporary - taken);
        said = toNumber > 0 ? QStringLiteral("temporary hit points took %1, the rest %2").arg(taken).arg(number(toNumber))
                            : QStringLiteral("temporary hit points took it all, %1 left").arg(temporary - taken);
    }
    // The whole heal comes off the nonlethal damage, even what the maximum stops.
    QString nonlethalHealed;
    if (amount < 0 && nonlethal > 0) {
        row.note = withTagValue(row.note, NonlethalTagName, tagAfter(nonlethal, amount));
        nonlethalHealed = QStringLiteral("nonlethal damage %1 to %2").arg(nonlethal).arg(tagAfter(nonlethal, amount));
    }
    // Even 0 writes the number back, tidied: Substract always has.
    const std::optional<QString> changed = changedHitPoints(row.hp, -toNumber);
    if (!changed)
        return false;
    const HitPointsField before = readHitPoints(row.hp);
    const HitPointsField after = readHitPoints(*changed);
    const double healed = after.current - before.current;
    if (amount < 0 && after.maximum && healed < -amount)
        said = healed > 0 ? QStringLiteral("healed %1, to the maximum %2").arg(number(healed), number(*after.maximum))
                          : QStringLiteral("no healing, at the maximum %1 already").arg(number(*after.maximum));
    if (!nonlethalHealed.isEmpty())
        said += (said.isEmpty() ? QString() : QStringLiteral("; ")) + nonlethalHealed;
    row.hp = *changed;
    return true;
}

} // namespace

HitPointChange changeHitPoints(roster::Row &row, Amount::Kind kind, double amount, DownRule rule)
{
    using Refusal = HitPointChange::Refusal;
    HitPointChange change;
    roster::Row next = row;
    switch (kind) {
    case Amount::Kind::Temporary:
        if (const int temporary = tagValue(next.note, TemporaryTagName); amount <= temporary)
            change.said = QStringLiteral("keeps %1 temporary hit points (a second grant does not add up)").arg(temporary);
        else
            next.note = withTagValue(next.note, TemporaryTagName, tagAfter(0, amount));
        break;
    case Amount::Kind::Nonlethal:
        next.note = withTagValue(next.note, NonlethalTagName, tagAfter(tagValue(next.note, NonlethalTagName), amount));
        break;
    case Amount::Kind::Hit:
        if (!takeHit(next, amount, change.said))
            return {Refusal::HitPoints, {}};
        try {
            applyDownRowRule(next, rule); // only a change of the hit points moves the row's box
        } catch (const roster::FieldError &) {
            return {Refusal::HitPoints, {}};
        }
        break;
    }
    // A note already past what can be edited may keep its length, never grow.
    if (next.note.size() > roster::EditableFieldLength && next.note.size() > row.note.size())
        return {Refusal::NoteTooLong, {}};
    row = std::move(next);
    return change;
}

} // namespace combat
