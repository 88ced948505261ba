#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class CombatDocument;

// What the players may know of the fight, for every screen they look at (the players'
// window, the page on their phones): the combatants in the fighting order whose rows still
// hold them and who are not hidden, each by name with the words for their health and
// conditions, the turn line and who is next. No hit point number, note, roll or path is in
// it, and a hidden combatant leaves no gap.
namespace players {

// Whose health is told in words: everyone's, the monsters' (rows without "[PC]" in the
// note), or nobody's.
enum class HealthWords { Everyone, Monsters, Nobody };

struct Line
{
    QString name;
    QString state; // "Bloodied · Stunned 2"; empty when there is nothing to say
    bool current = false;
    bool out = false; // out of the fight: shown struck through
    bool operator==(const Line &) const = default;
};

struct View
{
    QString turn; // "Round 3 — Sela"; empty while waiting
    QString next; // "Next: Borin"
    QList<Line> order;
    // Nobody to show: before the first calculation, once no item holds its row, or while
    // everyone is hidden. Nothing of a fight shows then, not even a round.
    bool waiting() const { return order.isEmpty(); }
    bool operator==(const View &) const = default;
};

View playersView(const CombatDocument &document, HealthWords words);

// The view as one JSON object, as the players' page reads it:
// {"v":1,"waiting":false,"turn":"…","next":"…","order":[{"name":"…","state":"…","current":true,"out":false}]}
QByteArray toJson(const View &view);

} // namespace players
