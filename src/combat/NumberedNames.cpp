#include "combat/NumberedNames.h"

#include <QRegularExpression>

namespace combat {

QString nameKey(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

QString numberedName(const QString &name, int number)
{
    return name.trimmed() + u' ' + QString::number(number);
}

QString groupKey(const QString &name)
{
    // What numberedName writes, read back: a blank, then a number without leading zeros.
    static const QRegularExpression Numbered(QStringLiteral(R"(^(.*\S) ([1-9][0-9]{0,8})$)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    const QString trimmed = name.trimmed();
    const QRegularExpressionMatch m = Numbered.match(trimmed);
    return nameKey(m.hasMatch() ? m.captured(1) : trimmed);
}

} // namespace combat
