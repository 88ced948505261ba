// Whose turn it is, over scripts of the game master's keys, and what the turns do to the
// timed conditions.
#include "combat/Clearing.h"
#include "combat/Fingerprint.h"
#include "combat/OutOfTurn.h"
#include "combat/Turns.h"

#include <QThread>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestTurnRules : public QObject
{
    Q_OBJECT

private slots:
    void turns_data();
    void turns();
    void waits_data();
    void waits();
    void anActIsAnsweredOnceHoweverTheRecordReads();
    void aLongRecordIsFreedOnASmallStack();
    void aWalkOverAFileOfTurnsEnds_data();
    void aWalkOverAFileOfTurnsEnds();
};

namespace {

// The party: Ogre 12, Goblin 11, Orc 10, Wolf 5 (rows 2, 1, 0, 3); the Ogre's note holds
// "[Held: 1]", the Goblin's "Goblin [Stunned: 2] angry".
roster::Roster party()
{
    roster::Roster r;
    const char *names[] = {"Orc", "Goblin", "Ogre", "Wolf"};
    const char *inis[] = {"10", "11", "12", "5"};
    for (int i = 0; i < 4; ++i) {
        r.rows[i].name = QString::fromLatin1(names[i]);
        r.rows[i].ini = QString::fromLatin1(inis[i]);
    }
    r.rows[2].note = u"[Held: 1]"_s;
    r.rows[1].note = u"Goblin [Stunned: 2] angry"_s;
    return r;
}

} // namespace

// Keys: 5 calculate, 6 next, S previous, N new combat; to the Goblin: D down, C Clear,
// W renamed "Wolf 2", X box cleared, I box set again; V the Wolf down, O the Kobold's box cleared;
// L the Orc's initiative becomes 20; K a Kobold with initiative 20 and "[Held: 3]" in row 4;
// E an Elf with initiative 1 in row 5; G the Goblin dying (-5 hit points), H healed (3);
// U "[Hidden]" before the Kobold's note; Q " [Dazed: 2, Ogre]" after the Goblin's note, Z " [Dazed: 2, Elf]";
// P the Ogre down; d the current combatant delays, r readies, n the first who waits acts now,
// m the last.
void TestTurnRules::turns_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("marked"); // the marked item's text
    QTest::addColumn<int>("round");
    QTest::addColumn<QString>("notes"); // of the Ogre, the Goblin and the Kobold
    QTest::addColumn<QStringList>("ended"); // at the start of the current turn, in any note
    const QString start = u"[Held: 1] | Goblin [Stunned: 2] angry | "_s;
    const QString goblin1 = u" | Goblin [Stunned: 1] angry | "_s;

    // Who is marked.
    QTest::newRow("nothing before the first turn") << u"5"_s << u""_s << 0 << start << QStringList{};
    QTest::newRow("first turn") << u"56"_s << u"12 - Ogre"_s << 1 << u" | Goblin [Stunned: 2] angry | "_s
                                << QStringList{u"Held"_s};
    QTest::newRow("round two") << u"566666"_s << u"12 - Ogre"_s << 2 << goblin1 << QStringList{};
    QTest::newRow("back over the start") << u"566666S"_s << u"05 - Wolf"_s << 1 << goblin1 << QStringList{};
    QTest::newRow("down is skipped") << u"56D6"_s << u"10 - Orc"_s << 1 << u" | Goblin [Stunned: 2] angry | "_s
                                     << QStringList{};
    QTest::newRow("cleared row is skipped") << u"56C6"_s << u"10 - Orc"_s << 1 << u" |  | "_s << QStringList{};
    QTest::newRow("a rename keeps the combatant") << u"56W6"_s << u"11 - Goblin"_s << 1
                                                  << u" | Goblin [Stunned: 1] angry | "_s << QStringList{};
    QTest::newRow("unchecked box is skipped") << u"56X6"_s << u"10 - Orc"_s << 1
                                              << u" | Goblin [Stunned: 2] angry | "_s << QStringList{};
    QTest::newRow("nobody left: nothing") << u"566N6"_s << u""_s << 0 << u" |  | "_s << QStringList{};
    QTest::newRow("current down, again: the next in this round") << u"566D56"_s << u"10 - Orc"_s << 1
                                                                 << goblin1 << QStringList{};
    QTest::newRow("last down, again: a new round") << u"56666V56"_s << u"12 - Ogre"_s << 2 << goblin1
                                                   << QStringList{};
    QTest::newRow("moved up: the marker stays") << u"5666L5"_s << u"20 - Orc"_s << 1 << goblin1 << QStringList{};
    QTest::newRow("moved up: nobody acts twice") << u"5666L56"_s << u"05 - Wolf"_s << 1 << goblin1
                                                 << QStringList{};
    QTest::newRow("moved up: first in the next round") << u"5666L566"_s << u"20 - Orc"_s << 2 << goblin1
                                                       << QStringList{};
    QTest::newRow("new above the marker waits") << u"566K56"_s << u"10 - Orc"_s << 1
                                                << goblin1 + u"[Held: 3]"_s << QStringList{};
    QTest::newRow("then acts first in the next round") << u"566K5666"_s << u"20 - Kobold"_s << 2
                                                       << goblin1 + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("new below the marker acts this round") << u"566E5666"_s << u"01 - Elf"_s << 1 << goblin1
                                                          << QStringList{};

    QTest::newRow("dying: passed over") << u"56G6"_s << u"10 - Orc"_s << 1
                                        << u" | Goblin [Stunned: 2] angry | "_s << QStringList{};
    QTest::newRow("healed: acts in the round") << u"56G6H6"_s << u"11 - Goblin"_s << 1 << goblin1
                                               << QStringList{};
    QTest::newRow("hidden: revealed at its first turn") << u"KU56"_s << u"20 - Kobold"_s << 1
                                                        << start + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("hidden after its first turn: stays hidden") << u"K56U66666"_s << u"20 - Kobold"_s << 2
                                                               << goblin1 + u"[Hidden] [Held: 1]"_s << QStringList{};
    QTest::newRow("hidden again when that turn is taken back") << u"KU56S"_s << u""_s << 0
                                                               << start + u"[Hidden] [Held: 3]"_s << QStringList{};

    // Previous Turn, and Next Turn after it.
    QTest::newRow("back passes over the skipped") << u"566D6S"_s << u"12 - Ogre"_s << 1
                                                  << u" | Goblin [Stunned: 2] angry | "_s << QStringList{u"Held"_s};
    QTest::newRow("back from the first turn: before the fight, Held given back") << u"56S"_s << u""_s << 0
                                                                                 << start << QStringList{};
    QTest::newRow("back and again from the first turn") << u"56S6"_s << u"12 - Ogre"_s << 1
                                                        << u" | Goblin [Stunned: 2] angry | "_s
                                                        << QStringList{u"Held"_s};
    QTest::newRow("back over the start, and again: a waiting one keeps waiting")
        << u"56666K56S6"_s << u"20 - Kobold"_s << 2 << goblin1 + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("and acts once in that round") << u"56666K56S66"_s << u"12 - Ogre"_s << 2
                                                 << goblin1 + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("back over the start, recalculated: still waiting") << u"56666K56S56"_s << u"20 - Kobold"_s << 2
                                                                      << goblin1 + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("back over an excluded one gives back its tick") << u"K56666666OS"_s << u"05 - Wolf"_s << 1
                                                                   << goblin1 + u"[Held: 2]"_s << QStringList{};
    QTest::newRow("back over the excluded, and forth again") << u"K56666666OS6"_s << u"12 - Ogre"_s << 2
                                                             << goblin1 + u"[Held: 1]"_s << QStringList{};
    QTest::newRow("taken back, recalculated: the usual next") << u"5666S5L56"_s << u"20 - Orc"_s << 1
                                                              << goblin1 << QStringList{};
    QTest::newRow("taken back while excluded, included again: given back") << u"566X6SI6"_s << u"11 - Goblin"_s
                                                                           << 1 << goblin1 << QStringList{};
    QTest::newRow("a turn given again ticks no new combatant's note") << u"566RST6"_s << u"11 - Goblin"_s << 1
                                                                      << u"[Stunned: 2] | Goblin [Stunned: 1] angry | "_s
                                                                      << QStringList{};
    QTest::newRow("and the one after it") << u"566X6SI66"_s << u"10 - Orc"_s << 1 << goblin1 << QStringList{};
    QTest::newRow("a note written as the tick left it, given again and back: kept")
        << u"566YSA6S"_s << u"12 - Ogre"_s << 1 << goblin1 << QStringList{u"Held"_s};

    // A condition with a source counts down at the start of the source's turns.
    QTest::newRow("sourced: lasts two of the bearer's turns, unsourced as ever")
        << u"56Q66666"_s << u"11 - Goblin"_s << 2 << u" | Goblin angry [Dazed: 1, Ogre] | "_s
        << QStringList{u"Stunned"_s};
    QTest::newRow("sourced: ends at the start of the source's turn")
        << u"56Q66666666"_s << u"12 - Ogre"_s << 3 << u" | Goblin angry | "_s << QStringList{u"Dazed"_s};
    QTest::newRow("source down: counts at each round's first turn")
        << u"56Q6P666666"_s << u"11 - Goblin"_s << 3 << u" | Goblin angry | "_s << QStringList{u"Dazed"_s};
    QTest::newRow("source not in the order: counts at each round's first turn")
        << u"56Z6666"_s << u"12 - Ogre"_s << 2 << u" | Goblin [Stunned: 1] angry [Dazed: 1, Elf] | "_s
        << QStringList{};
    QTest::newRow("Previous Turn gives back what ended in another row")
        << u"56Q66666666S"_s << u"05 - Wolf"_s << 2 << u" | Goblin angry [Dazed: 1, Ogre] | "_s << QStringList{};
    QTest::newRow("and Next Turn takes it again")
        << u"56Q66666666S6"_s << u"12 - Ogre"_s << 3 << u" | Goblin angry | "_s << QStringList{u"Dazed"_s};
}

// The fight after `keys` (turns_data), from the party.
struct Played
{
    roster::Roster roster = party();
    QList<combat::OrderEntry> order;
    combat::FightRecord turn;

    QString marked() const
    {
        const int item = combat::itemOf(order, turn.current());
        return item >= 0 ? order.at(item).text : QString();
    }
};

Played play(const QString &keys)
{
    Played played;
    roster::Roster &roster = played.roster;
    QList<combat::OrderEntry> &order = played.order;
    combat::FightRecord &turn = played.turn;
    auto arrive = [&roster](int row, const QString &name, const QString &ini, const QString &note) {
        roster.rows[row].name = name;
        roster.rows[row].ini = ini;
        roster.rows[row].note = note;
    };
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': {
            const QList<combat::OrderEntry> after = combat::fightingOrderEntries(roster, order);
            combat::afterRecalculation(turn, order, after);
            order = after;
            break;
        }
        case u'6': combat::nextTurn(turn, order, roster); break;
        case u'S': combat::previousTurn(turn, order, roster); break;
        case u'N': combat::newCombat(roster); turn = {}; break;
        case u'D': roster.rows[1].down = true; roster.rows[1].check = 0; break;
        case u'V': roster.rows[3].down = true; roster.rows[3].check = 0; break;
        case u'C': combat::clearRow(roster.rows[1]); break;
        case u'W': roster.rows[1].name = u"Wolf 2"_s; break;
        case u'X': roster.rows[1].check = 0; break;
        case u'I': roster.rows[1].check = 1; break;
        case u'O': roster.rows[4].check = 0; break;
        case u'L': roster.rows[0].ini = u"20"_s; break;
        case u'K': arrive(4, u"Kobold"_s, u"20"_s, u"[Held: 3]"_s); break;
        case u'E': arrive(5, u"Elf"_s, u"1"_s, QString()); break;
        case u'G': roster.rows[1].hp = u"-5"_s; break;
        case u'H': roster.rows[1].hp = u"3"_s; break;
        case u'U': roster.rows[4].note.prepend(u"[Hidden] "_s); break;
        case u'R': // the Ogre's row cleared, a Troll typed in: another combatant
            combat::clearRow(roster.rows[2]);
            ++roster.rows[2].serial;
            roster.rows[2].name = u"Troll"_s;
            break;
        case u'T': roster.rows[2].note = u"[Stunned: 2]"_s; break;
        case u'Y': roster.rows[1].note = u"calm"_s; break;
        case u'A': roster.rows[1].note = u"Goblin [Stunned: 1] angry"_s; break;
        case u'Q': roster.rows[1].note += u" [Dazed: 2, Ogre]"_s; break;
        case u'Z': roster.rows[1].note += u" [Dazed: 2, Elf]"_s; break;
        case u'P': roster.rows[2].down = true; roster.rows[2].check = 0; break;
        case u'd': combat::putOffTurn(turn, order, roster, combat::TurnKind::Delayed); break;
        case u'r': combat::putOffTurn(turn, order, roster, combat::TurnKind::Readied); break;
        case u'n': // the first who waits acts now, m the last
        case u'm': {
            QList<combat::Combatant> waiting;
            for (const combat::OrderEntry &item : std::as_const(order)) {
                if (turn.waitOf(combat::combatantOf(item), order) != combat::Wait::None)
                    waiting << combat::combatantOf(item);
            }
            if (!waiting.isEmpty())
                combat::actNow(turn, order, roster, key == u'n' ? waiting.first() : waiting.last());
            break;
        }
        }
    }
    return played;
}

void TestTurnRules::turns()
{
    QFETCH(QString, keys);
    const Played played = play(keys);
    const roster::Roster &roster = played.roster;
    const combat::FightRecord &turn = played.turn;
    QTEST(played.marked(), "marked");
    QTEST(turn.round(), "round");
    QTEST(QStringList({roster.rows[2].note, roster.rows[1].note, roster.rows[4].note}).join(u" | "_s), "notes");
    QStringList ended = turn.endedThisTurn();
    if (!turn.taken.isEmpty()) {
        for (const combat::NoteTick &other : turn.taken.top().tick.others)
            ended += other.ended;
    }
    QTEST(ended, "ended");
}

// Delay, Ready and Act Now: who acts, who waits, where each stands, and whether a turn started
// (the Goblin's Stunned counts at its turns).
void TestTurnRules::waits_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<int>("round");
    QTest::addColumn<QString>("waits"); // the items that wait, with their word
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("goblin"); // its note
    const QString calculated = u"12 - Ogre, 11 - Goblin, 10 - Orc, 05 - Wolf"_s;
    const QString beforeWolf = u"12 - Ogre, 10 - Orc, 11 - Goblin, 05 - Wolf"_s;
    const QString stunned1 = u"Goblin [Stunned: 1] angry"_s;
    const QString ended = u"Goblin angry"_s;
    QTest::newRow("delay: the next one's turn begins") << u"566d"_s << u"10 - Orc"_s << 1 << u"11 - Goblin delaying"_s << calculated << stunned1;
    QTest::newRow("ready: the same, marked ready") << u"566r"_s << u"10 - Orc"_s << 1 << u"11 - Goblin ready"_s << calculated << stunned1;
    QTest::newRow("act now: before the current one, no second start") << u"566d6n"_s << u"11 - Goblin"_s << 1 << u""_s << beforeWolf << stunned1;
    QTest::newRow("the one it went before takes up its turn: no second start") << u"56dn6"_s << u"11 - Goblin"_s << 1 << u""_s << calculated << stunned1;
    QTest::newRow("then that one takes up its turn again") << u"566d6n6"_s << u"05 - Wolf"_s << 1 << u""_s << beforeWolf << stunned1;
    QTest::newRow("the next round keeps the place it acted at") << u"566d6n6666"_s << u"11 - Goblin"_s << 2 << u""_s << beforeWolf << ended;
    QTest::newRow("calculated again: the place stays") << u"566d6n5"_s << u"11 - Goblin"_s << 1 << u""_s << beforeWolf << stunned1;
    QTest::newRow("two who acted before the same one keep their order through a calculation")
        << u"56dd6m6n5"_s << u"12 - Ogre"_s << 1 << u""_s << u"10 - Orc, 11 - Goblin, 12 - Ogre, 05 - Wolf"_s << stunned1;
    QTest::newRow("a wait lost when its place comes again") << u"566d666"_s << u"11 - Goblin"_s << 2 << u""_s << calculated << ended;
    QTest::newRow("a wait into the next round: acting now starts that round's turn")
        << u"566d66n"_s << u"11 - Goblin"_s << 2 << u""_s << u"11 - Goblin, 12 - Ogre, 10 - Orc, 05 - Wolf"_s << ended;
    QTest::newRow("and nobody acts twice in it") << u"566d66n66"_s << u"10 - Orc"_s << 2 << u""_s << u"11 - Goblin, 12 - Ogre, 10 - Orc, 05 - Wolf"_s << ended;
    QTest::newRow("taken back: waiting again") << u"566d6nS"_s << u"05 - Wolf"_s << 1 << u"11 - Goblin delaying"_s << beforeWolf << stunned1;
    QTest::newRow("back at the delay, acting now: at its place after all") << u"566dSn6"_s << u"10 - Orc"_s << 1 << u""_s << calculated << stunned1;
    QTest::newRow("a turn put off twice: once") << u"566dSd"_s << u"11 - Goblin"_s << 1 << u"11 - Goblin delaying"_s << calculated << stunned1;
    QTest::newRow("nobody waits: nobody acts now") << u"566n"_s << u"11 - Goblin"_s << 1 << u""_s << calculated << stunned1;
}

void TestTurnRules::waits()
{
    QFETCH(QString, keys);
    const Played played = play(keys);
    QTEST(played.marked(), "marked");
    QTEST(played.turn.round(), "round");
    QStringList waits, order;
    for (const combat::OrderEntry &item : played.order) {
        order << item.text;
        const combat::Wait wait = played.turn.waitOf(combat::combatantOf(item), played.order);
        if (wait != combat::Wait::None)
            waits << item.text + (wait == combat::Wait::Delaying ? u" delaying"_s : u" ready"_s);
    }
    QTEST(waits.join(u", "_s), "waits");
    QTEST(order.join(u", "_s), "order");
    QTEST(played.roster.rows[1].note, "goblin");
}

// A file may hold acts that went before each other (the Ogre's turn, the Goblin acting before
// it, the Ogre before the Goblin): each is answered once, then the order goes on.
void TestTurnRules::anActIsAnsweredOnceHoweverTheRecordReads()
{
    Played played = play(u"5"_s);
    const combat::Combatant ogre{2, 0}, goblin{1, 0};
    played.turn.taken.push({ogre, 1, {}, combat::TurnKind::Turn});
    played.turn.taken.push({goblin, 1, {}, combat::TurnKind::ActNow});
    played.turn.taken.push({ogre, 1, {}, combat::TurnKind::ActNow});
    QStringList marked;
    for (int i = 0; i < 4; ++i) {
        combat::nextTurn(played.turn, played.order, played.roster);
        marked << played.marked();
    }
    QCOMPARE(marked, (QStringList{u"11 - Goblin"_s, u"12 - Ogre"_s, u"10 - Orc"_s, u"05 - Wolf"_s}));
}

// A file decides how many turns the record holds: a million are copied and freed on the stack
// a Windows program's main thread has (1 MiB), and the copy, one turn longer, costs one turn.
void TestTurnRules::aLongRecordIsFreedOnASmallStack()
{
    qsizetype unshared = -1;
    std::unique_ptr<QThread> thread(QThread::create([&unshared] {
        combat::FightRecord record;
        for (int i = 0; i < 1000000; ++i)
            record.taken.push({{i % roster::RowCount, 0}, i / roster::RowCount + 1, {}});
        combat::FightRecord copy = record;
        copy.taken.push({});
        unshared = copy.taken.unsharedWith(record.taken);
    })); // both freed as it returns: the copy's own turn, then the million
    thread->setStackSize(1 << 20);
    thread->start();
    QVERIFY(thread->wait(QDeadlineTimer(120000)));
    QCOMPARE(unshared, 1);
}

// A file decides how many turns a command may pass and how long the notes are: a walk over
// 100,000 of them, the note read for each, would hold the window for hours.
void TestTurnRules::aWalkOverAFileOfTurnsEnds_data()
{
    QTest::addColumn<qsizetype>("noteLength");
    QTest::addColumn<bool>("previous"); // Previous Turn over taken turns, or Next Turn giving back
    QTest::newRow("Previous Turn over a past combatant's turns, on a long note") << qsizetype(4'000'000) << true;
    QTest::newRow("Next Turn giving back turns of many past combatants") << qsizetype(0) << false;
}

void TestTurnRules::aWalkOverAFileOfTurnsEnds()
{
    QFETCH(qsizetype, noteLength);
    QFETCH(bool, previous);
    constexpr int Turns = 100'000;
    roster::Roster roster;
    roster.rows[0].name = u"Ogre"_s;
    roster.rows[0].hp = u"30"_s;
    roster.rows[0].serial = 1'000'000;
    roster.rows[0].note = QString(noteLength, u'a');
    const QList<combat::OrderEntry> order{{0, u"12 - Ogre"_s, u"Ogre"_s, roster.rows[0].serial, 30}};
    const quint64 print = combat::textFingerprint(roster.rows[0].note);
    const combat::TurnTick nothing{{}, {}, {}, print, print, !previous, {}, {}};
    combat::FightRecord turn;
    auto &stack = previous ? turn.taken : turn.takenBack;
    if (!previous)
        stack.push({{0, roster.rows[0].serial}, 1, nothing}); // the last given back, who can act
    for (int i = 0; i < Turns; ++i)
        stack.push({{0, quint32(i)}, 1, nothing}); // each another of the row, long gone
    if (previous)
        stack.push({{0, roster.rows[0].serial}, 1, nothing});

    QVERIFY(previous ? combat::previousTurn(turn, order, roster) : combat::nextTurn(turn, order, roster));
    QCOMPARE(turn.takenBack.size(), previous ? Turns + 1 : 0);
    QCOMPARE(turn.taken.size(), previous ? 0 : Turns + 1);
    QCOMPARE(roster.rows[0].note.size(), noteLength);
}

QTEST_GUILESS_MAIN(TestTurnRules)
#include "tst_turnrules.moc"
