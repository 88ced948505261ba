#include "app/order/TurnLine.h"

#include "combat/Conditions.h"
#include "combat/DownRow.h"
#include "document/CombatDocument.h"

#include <QLabel>

QString turnLine(const CombatDocument &document)
{
    const combat::Turn &turn = document.state().turn;
    if (turn.round() <= 0)
        return QString();
    QString line = QStringLiteral("Round %1").arg(turn.round());
    const roster::Row &row = document.row(turn.current().row);
    if (!document.currentRowHolds() || row.name.trimmed().isEmpty())
        return line;
    // The row's name as it is now: a rename keeps the combatant.
    line += QStringLiteral(" \u2014 ") + row.name;
    if (row.down)
        line += QStringLiteral(" \u00b7 down");
    else if (combat::isDying(row))
        line += QStringLiteral(" \u00b7 dying");
    const QString conditions = combat::conditionsText(row.note);
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
