#include "app/TurnLine.h"

#include "app/OrderItemDelegate.h"
#include "document/CombatDocument.h"

bool currentRowHolds(const CombatDocument &document)
{
    const int row = document.currentRow();
    return row >= 0 && row < roster::RowCount
        && document.state().roster.rows[static_cast<std::size_t>(row)].name == document.state().turn.current().name;
}

QString turnLine(const CombatDocument &document)
{
    const combat::Turn &turn = document.state().turn;
    if (turn.round <= 0)
        return QString();
    QString line = QStringLiteral("Round %1").arg(turn.round);
    const combat::Combatant current = turn.current();
    if (!currentRowHolds(document) || current.name.trimmed().isEmpty())
        return line;
    line += QStringLiteral(" \u2014 ") + current.name;
    const QString conditions =
        conditionsShown(document.state().roster.rows[static_cast<std::size_t>(current.row)].note);
    if (!conditions.isEmpty())
        line += QStringLiteral(" \u00b7 ") + conditions;
    if (turn.ticks.size() == turn.acted.size() && !turn.ticks.isEmpty()) {
        for (const QString &ended : turn.ticks.constLast().ended)
            line += QStringLiteral(" \u00b7 ") + ended + QStringLiteral(" ended");
    }
    return line;
}
