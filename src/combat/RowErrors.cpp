#include "combat/RowErrors.h"

namespace combat {
namespace {

// One pass of arg(), so a "%1" typed into the field is shown as typed.
roster::FieldError outOfRange(const QString &format, int rowIndex, const QString &text)
{
    return {roster::FieldError::Kind::Overflow, format.arg(QString::number(rowIndex + 1), text)};
}

} // namespace

roster::FieldError initiativeOutOfRange(int rowIndex, const QString &text)
{
    return outOfRange(QStringLiteral("Row %1: the initiative %2 is out of range."),
                      rowIndex, text);
}

roster::FieldError hitPointsOutOfRange(int rowIndex, const QString &text)
{
    return outOfRange(QStringLiteral("Row %1: the hit points %2 are out of range."),
                      rowIndex, text);
}

roster::FieldError armourClassOutOfRange(int rowIndex, const QString &text)
{
    return outOfRange(QStringLiteral("Row %1: the armour class %2 is out of range."),
                      rowIndex, text);
}

} // namespace combat
