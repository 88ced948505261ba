#include "document/PlayersView.h"

#include "combat/Turns.h"
#include "combat/Health.h"
#include "combat/NoteTags.h"
#include "combat/StateWords.h"
#include "document/CombatDocument.h"
#include "document/TurnLines.h"
#include "roster/ShownText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace players {

namespace {

bool healthTold(const roster::Row &row, HealthWords words)
{
    return words == HealthWords::Everyone
           || (words == HealthWords::Monsters && !combat::hasTag(row.note, combat::PlayerTag));
}

} // namespace

View playersView(const CombatDocument &document, HealthWords words)
{
    View view;
    const QList<combat::Wait> waits = document.state().turn.waits(document.order());
    for (int i = 0; i < document.order().size(); ++i) {
        const combat::OrderEntry &entry = document.order().at(i);
        // A row that holds someone else now, or nobody, says nothing of its old combatant.
        if (!combat::holdsCombatant(entry, document.roster()))
            continue;
        const roster::Row &row = document.row(entry.row);
        if (combat::hasTag(row.note, combat::HiddenTag))
            continue;
        Line line;
        line.name = roster::shownText(row.name, roster::ShownNameLength);
        line.current = i == document.markedItem();
        line.out = !document.isInFight(i);
        const QString health =
            healthTold(row, words) ? combat::healthWord(combat::healthOf(entry, document.roster())) : QString();
        // The conditions and waits of those out of the fight count for nothing now.
        const combat::Wait wait = line.out ? combat::Wait::None : waits[i];
        line.state = combat::stateWords(row, combat::Viewers::Players, !line.out, health, wait)
                         .join(combat::StateSeparator);
        view.order.append(line);
    }
    if (!view.waiting()) {
        view.turn = turnLine(document, combat::Viewers::Players);
        view.next = nextLine(document);
    }
    return view;
}

QByteArray toJson(const View &view)
{
    QJsonArray order;
    for (const Line &line : view.order) {
        order.append(QJsonObject{{QStringLiteral("name"), line.name},
                                 {QStringLiteral("state"), line.state},
                                 {QStringLiteral("current"), line.current},
                                 {QStringLiteral("out"), line.out}});
    }
    const QJsonObject object{{QStringLiteral("v"), 1},
                             {QStringLiteral("waiting"), view.waiting()},
                             {QStringLiteral("turn"), view.turn},
                             {QStringLiteral("next"), view.next},
                             {QStringLiteral("order"), order}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace players
