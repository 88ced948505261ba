#include "app/TurnLine.h"

#include "document/CombatDocument.h"

QString turnLine(const CombatDocument &document)
{
    const combat::Turn &turn = document.state().turn;
    if (turn.round <= 0)
        return QString();
    QString line = QStringLiteral("Round %1").arg(turn.round);
    const int row = document.currentRow();
    const bool rowHolds = row >= 0 && row < roster::RowCount && document.state().roster.rows[row].name == turn.current().name;
    if (rowHolds && !turn.current().name.trimmed().isEmpty())
        line += QStringLiteral(" \u2014 ") + turn.current().name;
    return line;
}
