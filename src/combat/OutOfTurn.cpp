#include "combat/OutOfTurn.h"

namespace combat {
bool isPutOff(TurnKind kind)
{
    return kind == TurnKind::Delayed || kind == TurnKind::Readied;
}

// Whom Next Turn gives the turn back to after an act out of turn: the latest combatant an act
// went before (the turn just below the act) whose turn has not been taken up again since, and
// who can act; nobody once a turn begun at its place is reached, which every act and taking up
// since came after. So each act is answered once, however the record reads.
Combatant interrupted(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    if (turn.taken.isEmpty())
        return {};
    const int round = turn.taken.top().round;
    QList<Combatant> takenUp;
    bool belowAnAct = false;
    Combatant who;
    turn.taken.walk([&](const TurnRecord &record) {
        if (record.round != round)
            return false;
        if (belowAnAct && !takenUp.contains(record.who)) {
            if (canAct(record.who, order, roster)) {
                who = record.who;
                return false;
            }
            takenUp << record.who; // gone from the fight: the one it interrupted in turn, if any
        }
        belowAnAct = record.kind == TurnKind::ActNow;
        if (record.kind == TurnKind::Resumed)
            takenUp << record.who;
        return belowAnAct || record.kind == TurnKind::Resumed;
    });
    return who;
}

// The latest turn of the combatant when it is a put-off one it may still take out of place: one
// of this round or the last. In the round after the wait, its place in the order gives it a
// turn of its own (chooseNext), which ends the wait; one who could not act there may still act
// out of place until the round ends.
const TurnRecord *putOffRecord(const FightRecord &turn, const Combatant &who, const QList<OrderEntry> &order)
{
    const int round = turn.round();
    if (itemOf(order, who) < 0)
        return nullptr;
    const TurnRecord *found = nullptr;
    turn.taken.walk([&](const TurnRecord &record) {
        if (record.round < round - 1)
            return false;
        if (record.who == who)
            found = &record;
        return !found;
    });
    return found && isPutOff(found->kind) ? found : nullptr;
}

QList<Wait> FightRecord::waits(const QList<OrderEntry> &order) const
{
    // The latest turn of each in this round or the last, the newest first.
    QList<Wait> waits(order.size(), Wait::None);
    QList<bool> seen(order.size(), false);
    qsizetype left = order.size();
    const int now = round();
    taken.walk([&](const TurnRecord &record) {
        if (record.round < now - 1)
            return false;
        const int item = itemOf(order, record.who);
        if (item >= 0 && !seen[item]) {
            seen[item] = true;
            --left;
            if (isPutOff(record.kind))
                waits[item] = record.kind == TurnKind::Delayed ? Wait::Delaying : Wait::Ready;
        }
        return left > 0;
    });
    return waits;
}

Wait FightRecord::waitOf(const Combatant &combatant, const QList<OrderEntry> &order) const
{
    const TurnRecord *record = putOffRecord(*this, combatant, order);
    if (!record)
        return Wait::None;
    return record->kind == TurnKind::Delayed ? Wait::Delaying : Wait::Ready;
}

bool putOffTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster, TurnKind kind)
{
    if (!isPutOff(kind) || turn.taken.isEmpty() || turn.taken.top().kind != TurnKind::Turn)
        return false;
    TurnRecord record = turn.taken.pop();
    record.kind = kind;
    turn.taken.push(std::move(record));
    turn.takenBack.clear(); // the turns after it go another way now
    nextTurn(turn, order, roster);
    return true;
}

bool actNow(FightRecord &turn, QList<OrderEntry> &order, roster::Roster &roster, const Combatant &who)
{
    const Combatant current = turn.current();
    if (!current.isNobody() && who == current && isPutOff(turn.taken.top().kind)) {
        // Back at a turn it put off (Previous Turn): it takes it at its place after all.
        TurnRecord record = turn.taken.pop();
        record.kind = TurnKind::Turn;
        turn.taken.push(std::move(record));
        turn.takenBack.clear();
        return true;
    }
    const TurnRecord *wait = putOffRecord(turn, who, order);
    if (!wait || who == current || isPutOff(turn.taken.top().kind) || !canAct(who, order, roster)
        || itemOf(order, current) < 0)
        return false;
    const int round = turn.round();
    // A wait from the round before is this round's turn, and begins as one.
    TurnTick tick;
    if (wait->round < round)
        tick = tickTurn(roster, who.row, false, countRule(who, false, order, roster));
    OrderEntry item = order.takeAt(itemOf(order, who));
    item.actsBefore = current;
    item.settled = 0;
    const int place = itemOf(order, current);
    if (order[place].actsBefore == who)
        order[place].actsBefore = {}; // the two cannot each stand before the other
    order.insert(place, std::move(item));
    turn.takenBack.clear();
    turn.taken.push({who, round, std::move(tick), TurnKind::ActNow});
    return true;
}

} // namespace combat
