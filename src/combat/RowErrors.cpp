#include "combat/RowErrors.h"

#include "roster/RowLabels.h"
#include "roster/ShownText.h"

#include <QStringList>

namespace combat {
namespace {

QString shortened(const QString &value)
{
    return roster::shownText(value, 40);
}

// One pass of arg(), so a "%1" typed into a field is shown as typed.
roster::FieldError outOfRange(const QString &format, int rowIndex, const QString &name, const QString &text,
                              roster::Field field)
{
    return {roster::FieldError::Kind::Overflow, format.arg(rowPlace(rowIndex, name), quotedValue(text)),
            roster::FieldLocation{rowIndex, field}};
}

} // namespace

QString quotedValue(const QString &value)
{
    return u'"' + shortened(value) + u'"';
}

QString rowPlace(int rowIndex, const QString &name, const QString &detail)
{
    QStringList details;
    if (const QString shown = name.trimmed(); !shown.isEmpty())
        details << shortened(shown);
    if (!detail.isEmpty())
        details << detail;
    const QString row = roster::rowLabel(rowIndex);
    return details.isEmpty() ? row : row + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + u')';
}

roster::FieldError initiativeOutOfRange(int rowIndex, const QString &name, const QString &text)
{
    return outOfRange(QStringLiteral("%1: the initiative %2 is out of range."), rowIndex, name, text,
                      roster::Field::Initiative);
}

roster::FieldError hitPointsOutOfRange(int rowIndex, const QString &name, const QString &text)
{
    return outOfRange(QStringLiteral("%1: the hit points %2 are out of range."), rowIndex, name, text,
                      roster::Field::HitPoints);
}

roster::FieldError armourClassOutOfRange(int rowIndex, const QString &name, const QString &text)
{
    return outOfRange(QStringLiteral("%1: the armour class %2 is out of range."), rowIndex, name, text,
                      roster::Field::ArmourClass);
}

} // namespace combat
