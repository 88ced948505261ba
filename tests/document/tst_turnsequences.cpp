// The turn rules over long random sequences of everything a game master does, checked
// after every operation. A failure names its seed and operation, so it can be replayed.
#include "document/CombatDocument.h"
#include "CommandChecks.h"
#include "files/CombatWriter.h"
#include "roster/FieldError.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int OperationsPerSeed = 25'000;
const QList<quint32> Seeds{11, 23, 37, 41};

// Rows 1 to 8 are the fight; the few names make renames back and forth likely.
constexpr int Rows = 8;
const QStringList Names{u"Ogre"_s, u"Wolf"_s, u"Wolf 2"_s, u"Sela"_s, u"Kobold"_s, u""_s};

void writeFile(const QString &path, const QStringList &names)
{
    roster::Roster roster;
    for (qsizetype i = 0; i < names.size(); ++i) {
        roster.rows[i].name = names[i];
        roster.rows[i].hp = u"8"_s;
        roster.rows[i].ini = QString::number(20 - 3 * i);
        roster.rows[i].note = i % 2 ? u"[Held: 2]"_s : u"[Bless: 3] angry"_s;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(files::combatFileBytes(roster)) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

bool canAct(const CombatState &state, const combat::Combatant &who)
{
    const int item = combat::itemOf(state.order, who);
    return item >= 0 && combat::canAct(state.order[item], state.roster);
}

// Who waits in this round or one before it (a later round's waiting list serves only the
// turns taken back).
QList<combat::Waiting> waitingSoFar(const combat::FightRecord &turn)
{
    QList<combat::Waiting> waiting = turn.waiting;
    waiting.removeIf([&turn](const combat::Waiting &w) { return w.round > turn.round(); });
    return waiting;
}

// What a turn's identity is made of: the rows' notes, the turns taken and who waits.
bool sameFight(const CombatState &a, const CombatState &b)
{
    return a.roster == b.roster && a.turn.taken == b.turn.taken && waitingSoFar(a.turn) == waitingSoFar(b.turn);
}

class Driver
{
public:
    Driver(quint32 seed, const QString &party, const QString &arrivals)
        : m_random(seed), m_party(party), m_arrivals(arrivals)
    {
        QVERIFY_DONE(m_doc.load(m_party));
    }

    // One random operation; returns its name.
    QString step()
    {
        const int row = m_random.bounded(Rows);
        const roster::Row &r = m_doc.row(row);
        const int pick = m_random.bounded(100);
        if (pick < 8)
            return (void)m_doc.calculateOrder(), u"F5"_s;
        if (pick < 22)
            return (void)m_doc.nextTurn(), u"F6"_s;
        if (pick < 24)
            return (void)m_doc.putOffTurn(combat::TurnKind::Delayed), u"Delay"_s;
        if (pick < 25)
            return (void)m_doc.putOffTurn(combat::TurnKind::Readied), u"Ready"_s;
        if (pick < 27) {
            const QList<int> waiting = m_doc.waitingRows();
            const int who = waiting.isEmpty() ? row : waiting[m_random.bounded(int(waiting.size()))];
            return (void)m_doc.actNow(who), u"Act Now %1"_s.arg(who);
        }
        if (pick < 30) {
            const int item = m_random.bounded(std::max(1, int(m_doc.order().size())));
            const int step = m_random.bounded(2) ? 1 : -1;
            mustBeDone(m_doc.moveInOrder(item, step));
            return u"move %1 %2"_s.arg(item).arg(step);
        }
        if (pick < 40)
            return (void)m_doc.previousTurn(), u"Shift+F6"_s;
        if (pick < 48)
            return (void)m_doc.undo(), u"undo"_s;
        if (pick < 53)
            return (void)m_doc.redo(), u"redo"_s;
        if (pick < 57) {
            m_doc.closeMerge();
            mustBeDone(m_doc.setFieldText(row, roster::Field::Name, Names[m_random.bounded(int(Names.size()))]));
            return u"name %1"_s.arg(row);
        }
        if (pick < 61) {
            mustBeDone(m_doc.setFieldText(row, roster::Field::Initiative, QString::number(m_random.bounded(25))));
            return u"initiative %1"_s.arg(row);
        }
        if (pick < 67) {
            const QString notes[] = {u""_s, u"[Held: 1]"_s, u"[Stunned: 2] [Bless: 1]"_s, r.note + u" x"_s,
                                     u"[Held: 99]"_s};
            mustBeDone(m_doc.setFieldText(row, roster::Field::Note, notes[m_random.bounded(5)]));
            return u"note %1"_s.arg(row);
        }
        if (pick < 72)
            return (void)m_doc.setIncluded(row, r.check == 0), u"box %1"_s.arg(row);
        if (pick < 78) {
            mustBeDone(m_doc.setAmount(row, QString::number(m_random.bounded(-8, 15))));
            mustBeDone(m_doc.subtract(row, m_dice, m_lines));
            return u"Substract %1"_s.arg(row);
        }
        if (pick < 84) {
            const auto field = m_random.bounded(2) ? CombatDocument::SpinField::HitPoints
                                                   : CombatDocument::SpinField::ArmourClass;
            mustBeDone(m_doc.stepSpin(row, field, m_random.bounded(2) ? 1 : -1, m_random.bounded(2)));
            return u"spin %1"_s.arg(row);
        }
        if (pick < 88) {
            mustBeDone(m_doc.setFieldText(row, roster::Field::HitPoints, QString::number(m_random.bounded(-12, 10))));
            return u"hit points %1"_s.arg(row);
        }
        if (pick < 91)
            return (void)m_doc.clearRow(row), u"Clear %1"_s.arg(row);
        if (pick < 92)
            return (void)m_doc.newCombat(), u"New Combat"_s;
        if (pick < 93)
            return (void)m_doc.load(m_party), u"load"_s;
        if (pick < 96)
            // During a turn the condition names its source, whose turns count it down.
            return (void)m_doc.addCondition({row}, u"Dazed"_s, 1 + m_random.bounded(3)), u"Add Condition %1"_s.arg(row);
        return (void)m_doc.addCombatants(m_arrivals), u"Add Combatants"_s;
    }

    CombatDocument &document() { return m_doc; }

private:
    QRandomGenerator m_random;
    combat::RandomDice m_dice{1};
    QList<combat::RollRecord> m_lines;
    CombatDocument m_doc;
    QString m_party;
    QString m_arrivals;
};

// "taken: 1 Ogre, 1 Wolf | back: 2 Ogre | order: Ogre*, Wolf" (* in the fight), for a failure.
QString describe(const CombatState &state)
{
    QStringList taken, back, order;
    state.turn.taken.walk([&](const combat::TurnRecord &r) {
        return taken.prepend(u"%1 %2 %3"_s.arg(r.round).arg(r.who.row).arg(int(r.kind))), true;
    });
    state.turn.takenBack.walk([&](const combat::TurnRecord &r) { return back.append(u"%1 %2"_s.arg(r.round).arg(r.who.row)), true; });
    for (const combat::OrderEntry &item : state.order)
        order << item.name + (combat::isInFight(item, state.roster) ? u"*"_s : u""_s) + u" \""_s
                     + state.roster.rows[static_cast<std::size_t>(item.row)].note + u'"';
    return u"taken: %1 | back: %2 | order: %3"_s.arg(taken.join(u", "_s), back.join(u", "_s), order.join(u", "_s));
}

// Empty when the state keeps the turn rules; otherwise what is broken.
QString brokenRule(const CombatState &state)
{
    // Nobody acts twice in a round: each combatant's turn begins at its place at most once
    // (and may be put off there), it acts at most once (at its place or out of it, not both),
    // and takes up its turn again only after acting. Rounds never go back in the record.
    using Kind = combat::TurnKind;
    QHash<quint64, QList<Kind>> kinds; // of this round's turns, the newest first
    const int round = state.turn.round();
    QString broken;
    int previousRound = round;
    state.turn.taken.walk([&](const combat::TurnRecord &record) {
        if (record.round > previousRound)
            broken = u"the record's rounds go back"_s;
        previousRound = record.round;
        if (record.round == round)
            kinds[(quint64(quint32(record.who.row)) << 32) | record.who.serial] << record.kind;
        return record.round == round && broken.isEmpty();
    });
    for (auto it = kinds.cbegin(); it != kinds.cend() && broken.isEmpty(); ++it) {
        const QList<Kind> &k = it.value();
        const qsizetype atPlace = k.count(Kind::Turn) + k.count(Kind::Delayed) + k.count(Kind::Readied);
        const qsizetype acts = k.count(Kind::Turn) + k.count(Kind::ActNow);
        if (atPlace > 1 || acts > 1 || (k.contains(Kind::Resumed) && acts == 0))
            broken = u"row %1 acts twice in round %2"_s.arg(it.key() >> 32).arg(round);
    }
    return broken;
}

// Previous Turn then Next Turn gives back the same fight, when the current combatant can act.
QString backAndForth(const CombatState &state)
{
    if (state.turn.taken.isEmpty() || !canAct(state, state.turn.current()))
        return {};
    CombatState moved = state;
    if (!combat::previousTurn(moved.turn, moved.order, moved.roster))
        return u"Previous Turn did nothing"_s;
    combat::nextTurn(moved.turn, moved.order, moved.roster);
    return sameFight(moved, state) ? QString() : u"Shift+F6, F6 changed the fight"_s;
}

// Next Turn then Previous Turn gives back every tick, when the current combatant can act.
QString forthAndBack(const CombatState &state)
{
    if (!state.turn.taken.isEmpty() && !canAct(state, state.turn.current()))
        return {};
    CombatState moved = state;
    if (!combat::nextTurn(moved.turn, moved.order, moved.roster))
        return {};
    combat::previousTurn(moved.turn, moved.order, moved.roster);
    return sameFight(moved, state) ? QString() : u"F6, Shift+F6 changed the fight"_s;
}

// Next Turn opening a new round passes over nobody who can act and has not in the last.
QString passedOver(const CombatState &before, const CombatState &after)
{
    // A turn given back opens its round as it did before, with whoever was in the fight then.
    const int round = before.turn.round();
    if (round == 0 || after.turn.round() != round + 1 || !before.turn.takenBack.isEmpty())
        return {};
    for (const combat::OrderEntry &item : before.order) {
        const combat::Combatant who = combat::combatantOf(item);
        if (combat::canAct(item, before.roster) && !before.turn.hasActed(who, round)
            && !before.turn.isWaiting(who, round))
            return u"%1 passed over in round %2"_s.arg(item.name).arg(round);
    }
    return {};
}

QStringList notes(const roster::Roster &roster)
{
    QStringList all;
    for (const roster::Row &row : roster.rows)
        all << row.note;
    return all;
}

// Previous Turn back to before the fight gives back every tick the turns took: the notes are
// those the fight began with.
QString ticksGivenBack(const CombatState &state, const QStringList &atStart)
{
    CombatState moved = state;
    while (combat::previousTurn(moved.turn, moved.order, moved.roster)) {
    }
    return notes(moved.roster) == atStart ? QString() : u"Shift+F6 to the start did not give back every tick"_s;
}

} // namespace

class TestTurnSequences : public QObject
{
    Q_OBJECT

private slots:
    void randomFights_data();
    void randomFights();
};

void TestTurnSequences::randomFights_data()
{
    QTest::addColumn<quint32>("seed");
    for (const quint32 seed : Seeds)
        QTest::addRow("seed %u", seed) << seed;
}

void TestTurnSequences::randomFights()
{
    QFETCH(quint32, seed);
    QTemporaryDir dir;
    const QString party = dir.filePath(u"party.ini"_s);
    const QString arrivals = dir.filePath(u"arrivals.ini"_s);
    writeFile(party, {u"Ogre"_s, u"Wolf"_s, u"Sela"_s, u"Kobold"_s, u"Wolf 2"_s});
    writeFile(arrivals, {u"Wolf"_s});

    Driver driver(seed, party, arrivals);
    CombatDocument &doc = driver.document();
    QStringList recent;
    QStringList atStart = notes(doc.roster()); // the notes as the fight began
    bool notesTouched = false; // since then, by anything but the turns
    for (int i = 0; i < OperationsPerSeed; ++i) {
        const CombatState before = doc.state();
        const QString undoText = doc.history().undoText();
        const int steps = doc.history().count();
        QString operation;
        try {
            operation = driver.step();
        } catch (const roster::FieldError &) {
            operation = u"refused"_s;
            if (!(doc.state() == before))
                operation += u": changed the combat"_s;
        }
        recent << operation;
        if (recent.size() > 12)
            recent.removeFirst();
        const CombatState &after = doc.state();
        QString broken = brokenRule(after);
        if (broken.isEmpty())
            broken = passedOver(before, after);
        if (broken.isEmpty())
            broken = backAndForth(after);
        if (broken.isEmpty())
            broken = forthAndBack(after);
        // A new step (not an edit merged into the last): undo gives back the state before it,
        // redo the state after it.
        const bool newStep = doc.history().count() != steps || doc.history().undoText() != undoText;
        if (broken.isEmpty() && newStep && doc.history().canUndo() && !operation.startsWith(u"undo"_s)
            && !operation.startsWith(u"redo"_s) && !operation.startsWith(u"Substract"_s)) {
            const CombatState done = after;
            QVERIFY_DONE(doc.undo());
            if (!(doc.state() == before))
                broken = u"undo did not give back the state before "_s + operation;
            QVERIFY_DONE(doc.redo());
            if (!(doc.state() == done))
                broken = u"redo did not give back the state after "_s + operation;
        }
        for (const QString &touching : {u"note"_s, u"Add"_s, u"Clear"_s, u"New"_s, u"load"_s, u"undo"_s, u"redo"_s})
            notesTouched = notesTouched || operation.startsWith(touching);
        if (after.turn.taken.isEmpty()) {
            atStart = notes(after.roster);
            notesTouched = false;
        }
        if (broken.isEmpty() && !notesTouched)
            broken = ticksGivenBack(after, atStart);
        if (operation.endsWith(u"changed the combat"_s))
            broken = operation;
        QVERIFY2(broken.isEmpty(), qPrintable(u"seed %1, operation %2: %3; the last operations: %4"_s.arg(seed)
                                                  .arg(i)
                                                  .arg(broken, recent.join(u", "_s) + u"\n"_s + describe(after))));
    }
}

QTEST_GUILESS_MAIN(TestTurnSequences)
#include "tst_turnsequences.moc"
