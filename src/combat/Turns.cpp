#include "combat/Turns.h"

#include "combat/DownRow.h"
#include "combat/Fingerprint.h"
#include "combat/NotePrints.h"
#include "combat/NoteTags.h"

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

bool canAct(const Combatant &combatant, const QList<OrderEntry> &order, const roster::Roster &roster)
{
    const int item = itemOf(order, combatant);
    return item >= 0 && canAct(order[item], roster);
}

// The start of a turn: its timed conditions count down, and at the combatant's first turn a
// hidden combatant is revealed (one hidden later, gone invisible, say, stays hidden).
TurnTick tick(QString &note, bool firstTurn)
{
    const quint64 before = textFingerprint(note);
    TagRemoval revealed = firstTurn ? withoutTag(note, HiddenTag) : TagRemoval{note, {}};
    ConditionTick counted = tickConditions(revealed.note);
    note = std::move(counted.note);
    return {std::move(revealed.removed), std::move(counted.removed), std::move(counted.ended), before,
            textFingerprint(note), false};
}

bool holds(const roster::Roster &roster, const Combatant &combatant)
{
    return roster.rows[static_cast<std::size_t>(combatant.row)].serial == combatant.serial;
}

bool splitsCharacter(const QString &text, const QList<RemovedText> &removed)
{
    return std::any_of(removed.begin(), removed.end(), [&](const RemovedText &r) {
        return r.position > 0 && r.position < text.size() && text[r.position - 1].isHighSurrogate()
            && text[r.position].isLowSurrogate();
    });
}

// The note as it was before the tick, when the tick fits `note`: the note given back ticks to
// this very note and record, and no text goes in between the halves of a character. A record
// read from a file may say anything; none puts text into a note where no tick took it out.
std::optional<QString> untick(const TurnTick &tick, const QString &note)
{
    const QString counted = untickConditions(note, tick.removed);
    QString restored = restoreText(counted, tick.revealed);
    const TagRemoval revealed = tick.revealed.isEmpty() ? TagRemoval{restored, {}} : withoutTag(restored, HiddenTag);
    const ConditionTick again = tickConditions(revealed.note);
    if (again.note != note || again.removed != tick.removed || again.ended != tick.ended
        || revealed.removed != tick.revealed || splitsCharacter(note, tick.removed)
        || splitsCharacter(counted, tick.revealed))
        return std::nullopt;
    return restored;
}

// A turn taken back gives back what its start took, unless the note changed since or the
// tick does not fit it. (The note is the row's: a name typed anew keeps it, and its history.)
void giveBack(TurnRecord &record, roster::Roster &roster, NotePrints &prints)
{
    const int row = record.who.row;
    QString &note = noteOf(roster, record.who);
    const bool fits = prints.of(roster, row) == record.tick.after;
    // A tick that changed nothing gives nothing back: the note stays as it is.
    const TurnTick &tick = record.tick;
    if (tick.before == tick.after && tick.removed.isEmpty() && tick.revealed.isEmpty() && tick.ended.isEmpty()) {
        record.tick.givenBack = fits;
        return;
    }
    std::optional<QString> before;
    if (fits && prints.budget.spend(note.size()))
        before = untick(record.tick, note);
    record.tick.givenBack = before.has_value();
    if (!before)
        return;
    note = std::move(*before);
    prints.forget(row);
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
    // Given back as it was, also a turn that opened the next round: whoever is in the fight
    // now and was not at that round's end has no claim on the round gone by.
    return turn.hasActed(resumed->who, resumed->round) ? 0 : count;
}

// Whom Next Turn marks in which round, or how many taken back it gives back.
struct Choice
{
    Combatant who;
    int round = 0;
    qsizetype givenBack = 0;
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
    qsizetype bytes = qsizetype(sizeof(TurnRecord));
    for (const auto *texts : {&record.tick.removed, &record.tick.revealed}) {
        for (const RemovedText &removed : *texts)
            bytes += qsizetype(sizeof(RemovedText)) + 2 * removed.text.size();
    }
    for (const QString &name : record.tick.ended)
        bytes += qsizetype(sizeof(QString)) + 2 * name.size();
    return bytes;
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

Combatant combatantOf(const OrderEntry &item)
{
    return {item.row, item.serial};
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
    return isInFight(item, roster) && !isDying(roster.rows[static_cast<std::size_t>(item.row)]);
}

int itemOf(const QList<OrderEntry> &order, const Combatant &combatant)
{
    if (combatant.isNobody())
        return -1;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (combatantOf(order[i]) == combatant)
            return int(i);
    }
    return -1;
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
            if (record.tick.givenBack) {
                const bool same = budget.spend(note.size())
                    && (holds(roster, record.who) || textFingerprint(note) == record.tick.before);
                if (same && !hadTurns)
                    hadTurns = everyoneWhoHadATurn(turn);
                record.tick = same ? tick(note, !hadTurns->contains(key(record.who))) : TurnTick{};
            } else if (budget.spend(note.size()) && textFingerprint(note) == record.tick.after) {
                // Its tick was never given back, yet the note was written since to read as the
                // tick left it: the turn comes back without a tick, which Previous Turn would
                // otherwise give back from a note this turn never counted.
                record.tick = TurnTick{};
            }
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
    const bool firstTurn = !turn.hasHadTurn(choice.who);
    turn.taken.push({choice.who, choice.round, tick(noteOf(roster, choice.who), firstTurn)});
    return true;
}

bool previousTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster)
{
    if (turn.taken.isEmpty())
        return false;
    NotePrints prints;
    do {
        TurnRecord record = turn.taken.pop();
        giveBack(record, roster, prints);
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
