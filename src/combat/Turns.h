#pragma once

#include "combat/Conditions.h"
#include "combat/FightingOrder.h"
#include "combat/SharedStack.h"
#include "combat/TurnTick.h"
#include "roster/Roster.h"

#include <QList>
#include <QString>

#include <functional>
#include <limits>

// Whose turn it is. The fighting-order list changes only when the order is calculated;
// each of its items stands for a combatant: the row it was calculated from and who that row
// held then, which a rename does not change (roster::Row::serial). The turn follows
// combatants, never places in a list.
namespace combat {

// The last round a fight reaches: a file keeps rounds up to it, and Next Turn opens none
// past it, so a fight saved is always one a file can give back.
inline constexpr int LastRound = std::numeric_limits<int>::max() / 2;

// How a turn was taken.
enum class TurnKind {
    Turn,    // at the combatant's place in the order
    Delayed, // begun there and put off at once: the combatant waits to act later (Delay)
    Readied, // the same, with an action readied for something to happen (Ready)
    ActNow,  // a waiting combatant acting out of place, before the one whose turn it was
    Resumed, // that one taking up its own turn again afterwards, with no second start
};

struct TurnRecord
{
    Combatant who;
    int round = 0;
    TurnTick tick;
    TurnKind kind = TurnKind::Turn;

    bool operator==(const TurnRecord &) const = default;
};

// What the lists say of a combatant who put its turn off and may still take it.
enum class Wait { None, Delaying, Ready };

// A combatant who joined the order above the marker in `round` and so waits for the next.
struct Waiting
{
    Combatant who;
    int round = 0;

    bool operator==(const Waiting &) const = default;
};

// The fight's record: every turn taken, in order (the top is the current one); the
// turns that Previous Turn took back, the next on top, for Next Turn to give back; and who
// waits for the next round. Each turn carries its own tick, so what a turn did to the
// conditions is given back with the turn and never with another.
struct FightRecord
{
    SharedStack<TurnRecord> taken;
    SharedStack<TurnRecord> takenBack;
    QList<Waiting> waiting;

    int round() const { return taken.isEmpty() ? 0 : taken.top().round; }
    Combatant current() const { return taken.isEmpty() ? Combatant{} : taken.top().who; }
    // The names of the conditions that ended at the start of the current turn.
    QStringList endedThisTurn() const { return taken.isEmpty() ? QStringList() : taken.top().tick.ended; }
    bool hasActed(const Combatant &combatant, int round) const;
    // A turn of the combatant is among the turns taken.
    bool hasHadTurn(const Combatant &combatant) const;
    bool isWaiting(const Combatant &combatant, int round) const;
    // Whether the combatant put off its turn (Delay, Ready) and may still act out of place:
    // in the round it waited, and in the next until its place gives it its turn there.
    Wait waitOf(const Combatant &combatant, const QList<OrderEntry> &order) const;
    // The wait of each item of the order, in one walk of the record.
    QList<Wait> waits(const QList<OrderEntry> &order) const;

    bool operator==(const FightRecord &) const = default;
};

// The item's row still holds its combatant, named: not cleared or filled anew, and its name
// not empty just now.
bool holdsCombatant(const OrderEntry &item, const roster::Roster &roster);

// The item's row holds its combatant, not down, its check box set.
bool isInFight(const OrderEntry &item, const roster::Roster &roster);

// In the fight, neither dying nor unconscious: the combatant can take a turn.
bool canAct(const OrderEntry &item, const roster::Roster &roster);

// The combatant has an item in the order that can act.
bool canAct(const Combatant &combatant, const QList<OrderEntry> &order, const roster::Roster &roster);

// Next Turn. A turn just taken back by Previous Turn is given back when its combatant can
// still act (passing again over those who cannot that Previous Turn passed). Otherwise the
// first in the list who can act and has neither acted this round nor waits for the next; when
// there is none, the first who can act opens a new round. At the start of the marked
// combatant's turn a "[Hidden]" tag leaves its note and the timed conditions count down as
// countRule says.
// False when nobody can act: nothing changes then.
bool nextTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster);

// Which conditions the start of `who`'s turn counts down: in their own note those with no
// source; in every note those they are the source of, and when the turn opens a round, those
// whose source no item of the order that can act holds (it left the fight, is down, dying or
// gone), which so count once a round.
CountRule countRule(const Combatant &who, bool opensRound, const QList<OrderEntry> &order,
                    const roster::Roster &roster);

// Previous Turn: the current turn is taken back, and so is each one before it whose
// combatant can no longer act, down to the one before the fight's first turn.
// Each turn taken back gives back its tick, unless its note changed since or the tick does
// not fit the note (a tick of the note given back would not be this one). False when no
// turn was taken.
bool previousTurn(FightRecord &turn, const QList<OrderEntry> &order, roster::Roster &roster);

// After the order is calculated again (from `before` to `after`): the turn stays with its
// combatant, and whoever is new in the order above the marker waits for the next round. When
// the current combatant left the order, the marker's place is where the first who followed
// them and is still in the order now stands. Turns taken back are forgotten.
void afterRecalculation(FightRecord &turn, const QList<OrderEntry> &before, const QList<OrderEntry> &after);

// Who Next Turn would mark as things stand, passing over those `skip` names; nobody when
// nobody would be.
Combatant upcoming(const FightRecord &turn, const QList<OrderEntry> &order, const roster::Roster &roster,
                   const std::function<bool(const OrderEntry &)> &skip);

// The bytes the turn holds that `other` does not share with it.
qsizetype unsharedBytes(const FightRecord &turn, const FightRecord &other);

} // namespace combat
