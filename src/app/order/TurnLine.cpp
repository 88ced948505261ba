#include "app/order/TurnLine.h"

#include <QLabel>

bool showTurnLine(QLabel *label, const CombatDocument &document, Viewers viewers)
{
    const QString line = turnLine(document, viewers);
    if (label->text() == line)
        return false;
    label->setText(line);
    label->setAccessibleName(line.isEmpty() ? QStringLiteral("Round") : line);
    return true;
}
