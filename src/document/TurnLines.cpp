#include "document/TurnLines.h"

#include "combat/NoteTags.h"
#include "combat/Turns.h"
#include "document/CombatDocument.h"
#include "roster/ShownText.h"

namespace {

bool isHidden(const CombatDocument &document, const combat::OrderEntry &item)
{
    return combat::hasTag(document.row(item.row).note, combat::HiddenTag);
}

} // namespace

QString turnLine(const CombatDocument &document, Viewers viewers)
{
    const combat::FightRecord &turn = document.state().turn;
    if (turn.round() <= 0)
        return QString();
    QString line = QStringLiteral("Round %1").arg(turn.round());
    const roster::Row &row = document.row(turn.current().row);
    if (!document.currentRowHolds() || row.name.trimmed().isEmpty())
        return line;
    if (viewers == Viewers::Players && combat::hasTag(row.note, combat::HiddenTag))
        return line; // nothing of them, not even that someone unseen acts
    // The row's name as it is now (a rename keeps the combatant), in a bounded part.
    QStringList parts{line + QStringLiteral(" \u2014 ") + roster::shownText(row.name, roster::ShownNameLength)};
    parts << combat::stateWords(row, viewers, true, QString(), turn.waitOf(turn.current(), document.order()));
    for (const QString &ended : turn.endedThisTurn())
        parts << roster::shownText(ended, 40) + QStringLiteral(" ended");
    // What this combatant caused that ended in other notes, with whom it befell: "Stunned
    // ended (Hobgoblin)". The players learn nothing of one hidden from them.
    for (const combat::NoteTick &other : turn.taken.top().tick.others) {
        const roster::Row &bearer = document.row(other.row);
        if (viewers == Viewers::Players && combat::hasTag(bearer.note, combat::HiddenTag))
            continue;
        const QString whom = bearer.name.trimmed().isEmpty()
            ? QString()
            : QStringLiteral(" (%1)").arg(roster::shownText(bearer.name, roster::ShownNameLength));
        for (const QString &ended : other.ended)
            parts << roster::shownText(ended, 40) + QStringLiteral(" ended") + whom;
    }
    return parts.join(combat::StateSeparator);
}

QString nextLine(const CombatDocument &document)
{
    const combat::FightRecord &turn = document.state().turn;
    if (turn.round() <= 0)
        return QString();
    const combat::Combatant next =
        combat::upcoming(turn, document.order(), document.roster(),
                         [&](const combat::OrderEntry &item) { return isHidden(document, item); });
    if (next.isNobody() || document.row(next.row).name.trimmed().isEmpty())
        return QString();
    return QStringLiteral("Next: ") + roster::shownText(document.row(next.row).name, roster::ShownNameLength);
}
