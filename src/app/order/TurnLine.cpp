#include "app/order/TurnLine.h"

#include "combat/Conditions.h"
#include "document/CombatDocument.h"

#include <QLabel>

QString turnLine(const CombatDocument &document)
{
    const combat::Turn &turn = document.state().turn;
    if (turn.round() <= 0)
        return QString();
    QString line = QStringLiteral("Round %1").arg(turn.round());
    const combat::Combatant current = turn.current();
    if (!document.currentRowHolds() || current.name.trimmed().isEmpty())
        return line;
    line += QStringLiteral(" \u2014 ") + current.name;
    const QString conditions = combat::conditionsText(document.row(current.row).note);
    if (!conditions.isEmpty())
        line += QStringLiteral(" \u00b7 ") + conditions;
    for (const QString &ended : turn.endedThisTurn())
        line += QStringLiteral(" \u00b7 ") + ended + QStringLiteral(" ended");
    return line;
}

bool showTurnLine(QLabel *label, const CombatDocument &document)
{
    const QString line = turnLine(document);
    if (label->text() == line)
        return false;
    label->setText(line);
    label->setAccessibleName(line.isEmpty() ? QStringLiteral("Round") : line);
    return true;
}
