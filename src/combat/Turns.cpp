#include "combat/Turns.h"

#include "combat/DownRow.h"
#include "combat/Fingerprint.h"
#include "combat/HitPoints.h"
#include "combat/NotePrints.h"
#include "combat/OutOfTurn.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

namespace combat {
namespace {

QString &noteOf(roster::Roster &roster, const Combatant &combatant)
{
    return roster.rows[static_cast<std::size_t>(combatant.row)].note;
}

bool holds(const roster::Roster &roster, const Combatant &combatant)
{
    return roster.rows[static_cast<std::size_t>(combatant.row)].serial == combatant.serial;
}

quint64 key(const Combatant &combatant)
{
    return (quint64(quint32(combatant.row)) << 32) | combatant.serial;
}

// The combatants of every turn taken, for a walk that asks of many whether they had one.
QSet<quint64> everyoneWhoHadATurn(const FightRecord &turn)
{
    QSet<quint64> had;
    turn.taken.walk([&](const TurnRecord &record) {
        had.insert(key(record.who));
        return true;
    });
    return had;
}

// The first combatant in the list who is in the fight and may still act in `round`.
Combatant firstDue(const FightRecord &turn, int round, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    for (const OrderEntry &item : order) {
        const Combatant combatant = combatantOf(item);
        if (canAct(item, roster) && !turn.hasActed(combatant, round) && !turn.isWaiting(combatant, round))
            return combatant;
    }
    return {};
}

Combatant firstToAct(const QList<OrderEntry> &order, const roster::Roster &roster)
{
    for (const OrderEntry &item : order) {
        if (canAct(item, roster))
            return combatantOf(item);
    }
    return {};
}

// How many turns taken back Next Turn gives back: up to and with the first whose combatant
// is in the fight, or 0 when that turn cannot be given back (its combatant acted since).
qsizetype turnsToGiveBack(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    qsizetype count = 0;
    const TurnRecord *resumed = nullptr;
    turn.takenBack.walk([&](const TurnRecord &record) {
        ++count;
        if (canAct(record.who, order, roster))
            resumed = &record;
        return !resumed;
    });
    if (!resumed)
        return 0;
    // Acting out of place, given back while its combatant still waits; a turn taken up again,
    // while the one who interrupted it is current. Either as things stand once the turns given
    // back before it are.
    if (resumed->kind == TurnKind::ActNow || resumed->kind == TurnKind::Resumed) {
        FightRecord before = turn;
        qsizetype passed = count - 1;
        turn.takenBack.walk([&](const TurnRecord &record) {
            if (passed-- <= 0)
                return false;
            before.taken.push(record);
            return true;
        });
        const bool fits = resumed->kind == TurnKind::ActNow ? putOffRecord(before, resumed->who, order) != nullptr
                                                            : interrupted(before, order, roster) == resumed->who;
        return fits ? count : 0;
    }
    // Given back as it was, also a turn that opened the next round: whoever is in the fight
    // now and was not at that round's end has no claim on the round gone by.
    return turn.hasActed(resumed->who, resumed->round) ? 0 : count;
}

// Whom Next Turn marks in which round and how, or how many taken back it gives back.
struct Choice
{
    Combatant who;
    int round = 0;
    qsizetype givenBack = 0;
    TurnKind kind = TurnKind::Turn;
};

Choice chooseNext(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    if (const qsizetype count = turnsToGiveBack(turn, order, roster); count > 0) {
        Choice resumed{{}, 0, count};
        qsizetype left = count;
        turn.takenBack.walk([&](const TurnRecord &record) {
            resumed.who = record.who;
            resumed.round = record.round;
            return --left > 0;
        });
        return resumed;
    }
    const int round = turn.round();
    if (const Combatant back = interrupted(turn, order, roster); !back.isNobody())
        return {back, round, 0, TurnKind::Resumed};
    if (round > 0) {
        if (const Combatant due = firstDue(turn, round, order, roster); !due.isNobody())
            return {due, round, 0};
    }
    return {firstToAct(order, roster), round + 1, 0};
}

// Where the marker stands in `after`: the current combatant's item, or the item of the first
// who followed them in `before`, or past the end.
qsizetype markerPlace(const Combatant &current, const QList<OrderEntry> &before, const QList<OrderEntry> &after)
{
    if (const int item = itemOf(after, current); item >= 0)
        return item;
    for (qsizetype i = itemOf(before, current) + 1; i > 0 && i < before.size(); ++i) {
        if (const int item = itemOf(after, combatantOf(before[i])); item >= 0)
            return item;
    }
    return after.size();
}

qsizetype recordBytes(const TurnRecord &record)
{
    return qsizetype(sizeof(TurnRecord)) + tickBytes(record.tick);
}

} // namespace

bool FightRecord::hasActed(const Combatant &combatant, int inRound) const
{
    bool acted = false;
    taken.walk([&](const TurnRecord &record) {
        if (record.round < inRound)
            return false;
        acted = record.round == inRound && record.who == combatant;
        return !acted;
    });
    return acted;
}

bool FightRecord::hasHadTurn(const Combatant &combatant) const
{
    bool had = false;
    taken.walk([&](const TurnRecord &record) {
        had = record.who == combatant;
        return !had;
    });
    return had;
}

bool FightRecord::isWaiting(const Combatant &combatant, int inRound) const
{
    return waiting.contains(Waiting{combatant, inRound});
}

bool holdsCombatant(const OrderEntry &item, const roster::Roster &roster)
{
    if (item.row < 0 || item.row >= roster::RowCount)
        return false;
    const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
    return row.serial == item.serial && !row.name.isEmpty();
}

bool isInFight(const OrderEntry &item, const roster::Roster &roster)
{
    if (!holdsCombatant(item, roster))
        return false;
    const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
    return !row.down && row.check != 0;
}

bool canAct(const OrderEntry &item, const roster::Roster &roster)
{
    if (!isInFight(item, roster))
        return false;
    const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
    return !isDying(row) && nonlethalState(row) != NonlethalState::Unconscious;
}

bool canAct(const Combatant &combatant, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    const int item = itemOf(order, combatant);
    return item >= 0 && canAct(order[item], roster);
}

bool nextTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster)
{
    const Choice choice = chooseNext(turn, order, roster);
    if (choice.givenBack > 0) {
        // The turns Previous Turn took back, given back with their ticks. A tick it gave back
        // is taken again, but not from a note that another combatant of the row has had
        // written since: their conditions are not the ones that turn counted.
        TextBudget budget;
        std::optional<QSet<quint64>> hadTurns; // read once, when a tick is taken again
        for (qsizetype count = choice.givenBack; count > 0; --count) {
            TurnRecord record = turn.takenBack.pop();
            QString &note = noteOf(roster, record.who);
            const CountRule rule = record.tick.counted;
            QList<NoteTick> others = tickOthersAgain(record.tick.others, roster, rule, budget);
            if (record.tick.givenBack) {
                const bool same = budget.spend(note.size())
                    && (holds(roster, record.who) || textFingerprint(note) == record.tick.before);
                if (same && !hadTurns)
                    hadTurns = everyoneWhoHadATurn(turn);
                record.tick = same ? tickOwnNote(note, !hadTurns->contains(key(record.who)), rule) : TurnTick{};
            } else if (budget.spend(note.size()) && textFingerprint(note) == record.tick.after) {
                // Its tick was never given back, yet the note was written since to read as the
                // tick left it: the turn comes back without a tick, which Previous Turn would
                // otherwise give back from a note this turn never counted.
                record.tick = TurnTick{};
            }
            record.tick.counted = rule;
            record.tick.others = std::move(others);
            if (hadTurns)
                hadTurns->insert(key(record.who));
            turn.taken.push(std::move(record));
        }
        return true;
    }
    if (choice.who.isNobody())
        return false; // an empty list, or nobody left to act
    // A new turn: what was taken back, and who waited in rounds not yet reached, is gone.
    const int round = turn.round();
    turn.takenBack.clear();
    turn.waiting.removeIf([round](const Waiting &w) { return w.round > round; });
    if (choice.kind == TurnKind::Resumed) {
        turn.taken.push({choice.who, choice.round, TurnTick{}, TurnKind::Resumed}); // begun already
        return true;
    }
    const bool firstTurn = !turn.hasHadTurn(choice.who);
    const CountRule rule = countRule(choice.who, choice.round > round, order, roster);
    turn.taken.push({choice.who, choice.round, tickTurn(roster, choice.who.row, firstTurn, rule)});
    return true;
}

CountRule countRule(const Combatant &who, bool opensRound, const QList<OrderEntry> &order,
                    const roster::Roster &roster)
{
    const QString own = sourceOf(roster.rows[static_cast<std::size_t>(who.row)].name);
    CountRule rule;
    if (!opensRound) {
        if (!own.isEmpty())
            rule.sources.append(own);
        return rule;
    }
    rule.allSourcesBut = true; // all but those still to take their turns
    for (const OrderEntry &item : order) {
        const QString name = canAct(item, roster) ? sourceOf(roster.rows[static_cast<std::size_t>(item.row)].name)
                                                  : QString();
        if (!name.isEmpty() && name != own && !rule.sources.contains(name))
            rule.sources.append(name);
    }
    return rule;
}

bool previousTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster)
{
    if (turn.taken.isEmpty())
        return false;
    NotePrints prints;
    do {
        TurnRecord record = turn.taken.pop();
        if (!(record.tick == TurnTick{})) // a turn taken up again, or an act in its round, counted nothing
            giveBack(record.tick, record.who.row, roster, prints);
        turn.takenBack.push(std::move(record));
    } while (!turn.taken.isEmpty() && !canAct(turn.current(), order, roster));
    return true;
}

void afterRecalculation(FightRecord &turn, const QList<OrderEntry> &before, const QList<OrderEntry> &after)
{
    turn.takenBack.clear();
    if (turn.taken.isEmpty())
        return;
    const int round = turn.round();
    const qsizetype marker = markerPlace(turn.current(), before, after);
    for (qsizetype i = 0; i < marker && i < after.size(); ++i) {
        const Combatant combatant = combatantOf(after[i]);
        if (itemOf(before, combatant) < 0 && !turn.hasActed(combatant, round) && !turn.isWaiting(combatant, round))
            turn.waiting << Waiting{combatant, round};
    }
}

Combatant upcoming(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster,
                   const std::function<bool(const OrderEntry &)> &skip)
{
    // As Next Turn would choose with the skipped combatants out of the fight.
    roster::Roster copy = roster;
    for (const OrderEntry &item : order) {
        if (holdsCombatant(item, copy) && skip(item))
            copy.rows[static_cast<std::size_t>(item.row)].check = 0;
    }
    return chooseNext(turn, order, copy).who;
}

qsizetype unsharedBytes(const FightRecord &turn, const FightRecord &other)
{
    qsizetype bytes = 0;
    for (auto stack : {&FightRecord::taken, &FightRecord::takenBack}) {
        qsizetype count = (turn.*stack).unsharedWith(other.*stack);
        if (count > 0)
            (turn.*stack).walk([&](const TurnRecord &record) {
            bytes += recordBytes(record);
            return --count > 0;
        });
    }
    if (turn.waiting.constData() != other.waiting.constData())
        bytes += turn.waiting.size() * qsizetype(sizeof(Waiting));
    return bytes;
}

} // namespace combat
