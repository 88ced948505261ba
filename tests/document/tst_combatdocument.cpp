// The combat document's rules without a window: what becomes a step, and the turn.
#include "document/CombatDocument.h"

#include "combat/Damage.h"
#include "files/CombatWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

roster::Roster party()
{
    roster::Roster r;
    const char *names[] = {"Orc", "Goblin", "Ogre"};
    for (int i = 0; i < 3; ++i) {
        r.rows[i].name = QString::fromLatin1(names[i]);
        r.rows[i].hp = u"5"_s;
        r.rows[i].ini = QString::number(10 + i); // the order: Ogre, Goblin, Orc
    }
    return r;
}

} // namespace

class TestCombatDocument : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void turnFollowsItsCombatant_data();
    void turnFollowsItsCombatant();
    void conditionsCountDownWithTheTurns_data();
    void conditionsCountDownWithTheTurns();
    void addCombatants_data();
    void addCombatants();
};

// Each script runs on a document whose window shows `party()`; letters are actions:
// a: the amount box of row 1 set with no step (an assistive tool); s: Substract row 1;
// x: typing "x" into row 1's note; b: Backspace there; z: undo; y: redo; t: typing "!" into row 2's name.
void TestCombatDocument::steps_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("amount"); // row 1's amount box afterwards
    QTest::addColumn<QString>("note");   // row 1's note afterwards
    QTest::addColumn<QString>("undoText");
    QTest::addColumn<bool>("canRedo");
    QTest::newRow("a set text is its own step before the command") << u"asz"_s << u"20"_s << u""_s
                                                                    << u"typing in Row 2 amount"_s << true;
    QTest::newRow("both steps undo") << u"aszz"_s << u""_s << u""_s << u"typing in Row 1 Name"_s << true;
    QTest::newRow("typed and taken back is no step") << u"xb"_s << u""_s << u""_s << u"typing in Row 1 Name"_s
                                                     << false;
    QTest::newRow("keystrokes merge") << u"xx"_s << u""_s << u"xx"_s << u"typing in Row 2 Random Note"_s << false;
    QTest::newRow("a new change clears redo") << u"xzt"_s << u""_s << u""_s << u"typing in Row 3 Name"_s << false;
    QTest::newRow("redo") << u"aszy"_s << u""_s << u""_s << u"Substract Row 2 (Goblin)"_s << false;
}

void TestCombatDocument::steps()
{
    QFETCH(QString, script);
    CombatDocument doc;
    roster::Roster shown = party();
    doc.edited(shown, u"typing in Row 1 Name"_s); // the party, typed in
    for (const QChar action : script) {
        roster::Row &row = shown.rows[1];
        switch (action.unicode()) {
        case u'a': row.amount = u"20"_s; break;
        case u's':
            doc.run(shown, u"Substract Row 2 (Goblin)"_s,
                    [](CombatState &next) { combat::subtractDamage(next.roster.rows[1]); });
            break;
        case u'x':
            row.note += u'x';
            doc.edited(shown, u"typing in Row 2 Random Note"_s, u"ChrNote_1"_s);
            break;
        case u'b':
            row.note.chop(1);
            doc.edited(shown, u"typing in Row 2 Random Note"_s, u"ChrNote_1"_s);
            break;
        case u't':
            shown.rows[2].name += u'!';
            doc.closeMerge();
            doc.edited(shown, u"typing in Row 3 Name"_s, u"ChrName_2"_s);
            break;
        case u'z': doc.undo(shown); break;
        case u'y': doc.redo(shown); break;
        }
        if (action == u'z' || action == u'y' || action == u's')
            shown = doc.state().roster; // the window shows what the document has
    }
    QTEST(doc.state().roster.rows[1].amount, "amount");
    QTEST(doc.state().roster.rows[1].note, "note");
    QTEST(doc.history().undoText(), "undoText");
    QTEST(doc.history().canRedo(), "canRedo");
}

// The marker rule. The party: Ogre 12, Goblin 11, Orc 10, Wolf 5 (rows 2, 1, 0, 3).
// Keys: 5 calculate, 6 next, S previous, Z undo, N new combat; to Goblin: D down, C Clear,
// W renamed "Wolf 2", X box cleared; V Wolf down; L Orc's initiative becomes 20;
// K a Kobold with initiative 20 in row 4; E a Elf with initiative 1 in row 5.
void TestCombatDocument::turnFollowsItsCombatant_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("marked"); // the marked item's text
    QTest::addColumn<int>("round");
    QTest::newRow("nothing before the first turn") << u"5"_s << u""_s << 0;
    QTest::newRow("first turn") << u"56"_s << u"12 - Ogre"_s << 1;
    QTest::newRow("round two") << u"566666"_s << u"12 - Ogre"_s << 2;
    QTest::newRow("back over the start") << u"566666S"_s << u"05 - Wolf"_s << 1;
    QTest::newRow("never before the first turn") << u"56SS"_s << u"12 - Ogre"_s << 1;
    QTest::newRow("down is skipped") << u"56D6"_s << u"10 - Orc"_s << 1;
    QTest::newRow("cleared row is skipped") << u"56C6"_s << u"10 - Orc"_s << 1;
    QTest::newRow("renamed row is skipped") << u"56W6"_s << u"10 - Orc"_s << 1;
    QTest::newRow("unchecked box is skipped") << u"56X6"_s << u"10 - Orc"_s << 1;
    QTest::newRow("back passes over the skipped") << u"566D6S"_s << u"12 - Ogre"_s << 1;
    QTest::newRow("nobody left: nothing") << u"566N6"_s << u""_s << 0;
    QTest::newRow("undo a turn") << u"566Z"_s << u"12 - Ogre"_s << 1;
    QTest::newRow("current down, again: the next in this round") << u"566D56"_s << u"10 - Orc"_s << 1;
    QTest::newRow("last down, again: a new round") << u"56666V56"_s << u"12 - Ogre"_s << 2;
    QTest::newRow("moved up: the marker stays") << u"5666L5"_s << u"20 - Orc"_s << 1;
    QTest::newRow("moved up: nobody acts twice") << u"5666L56"_s << u"05 - Wolf"_s << 1;
    QTest::newRow("moved up: first in the next round") << u"5666L566"_s << u"20 - Orc"_s << 2;
    QTest::newRow("new above the marker waits") << u"566K56"_s << u"10 - Orc"_s << 1;
    QTest::newRow("then acts first in the next round") << u"566K5666"_s << u"20 - Kobold"_s << 2;
    QTest::newRow("new below the marker acts this round") << u"566E5666"_s << u"01 - Elf"_s << 1;
}

void TestCombatDocument::turnFollowsItsCombatant()
{
    QFETCH(QString, keys);
    CombatDocument doc;
    roster::Roster shown = party();
    shown.rows[3].name = u"Wolf"_s;
    shown.rows[3].ini = u"5"_s;
    auto arrive = [&shown](int row, const QString &name, const QString &ini) {
        shown.rows[row].name = name;
        shown.rows[row].ini = ini;
    };
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': doc.calculateOrder(shown); break;
        case u'6': doc.nextTurn(shown); break;
        case u'S': doc.previousTurn(shown); break;
        case u'Z': doc.undo(shown); break;
        case u'N': doc.run(shown, u"New Combat"_s, [](CombatState &next) { next = CombatState{}; }); break;
        case u'D': shown.rows[1].hp = u"-12"_s; shown.rows[1].down = true; shown.rows[1].check = 0; break;
        case u'V': shown.rows[3].hp = u"-12"_s; shown.rows[3].down = true; shown.rows[3].check = 0; break;
        case u'C': shown.rows[1] = roster::Row{}; break;
        case u'W': shown.rows[1].name = u"Wolf 2"_s; break;
        case u'X': shown.rows[1].check = 0; break;
        case u'L': shown.rows[0].ini = u"20"_s; break;
        case u'K': arrive(4, u"Kobold"_s, u"20"_s); break;
        case u'E': arrive(5, u"Elf"_s, u"1"_s); break;
        }
        if (key == u'5' || key == u'6' || key == u'S' || key == u'Z' || key == u'N')
            shown = doc.state().roster;
    }
    const int item = doc.markedItem();
    QTEST(item >= 0 ? doc.order().at(item).text : QString(), "marked");
    QTEST(doc.state().turn.round, "round");
}

// The Ogre's note holds "[Held: 1]", the Goblin's "Goblin [Stunned: 2] angry"; the order is
// Ogre, Goblin, Orc. Keys: 5 calculate, 6 next, S previous, Z undo, Y redo.
void TestCombatDocument::conditionsCountDownWithTheTurns_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("ogre");
    QTest::addColumn<QString>("goblin");
    QTest::addColumn<QStringList>("ended"); // at the start of the current turn
    const QString held = u"[Held: 1]"_s, stunned2 = u"Goblin [Stunned: 2] angry"_s;
    const QString stunned1 = u"Goblin [Stunned: 1] angry"_s;
    QTest::newRow("before any turn") << u"5"_s << held << stunned2 << QStringList{};
    QTest::newRow("the Ogre's turn ends Held") << u"56"_s << u""_s << stunned2 << QStringList{u"Held"_s};
    QTest::newRow("the Goblin's counts down") << u"566"_s << u""_s << stunned1 << QStringList{};
    QTest::newRow("and ends in round two") << u"566666"_s << u""_s << u"Goblin angry"_s << QStringList{u"Stunned"_s};
    QTest::newRow("back gives it back") << u"566666S"_s << u""_s << stunned1 << QStringList{};
    QTest::newRow("back over the wrap, to the first turn") << u"566666SSSSS"_s << u""_s << stunned2
                                                           << QStringList{u"Held"_s};
    QTest::newRow("undo restores the note") << u"56Z"_s << held << stunned2 << QStringList{};
    QTest::newRow("redo ticks again") << u"56ZY"_s << u""_s << stunned2 << QStringList{u"Held"_s};
    QTest::newRow("forth and back and forth") << u"566S6"_s << u""_s << stunned1 << QStringList{};
}

void TestCombatDocument::conditionsCountDownWithTheTurns()
{
    QFETCH(QString, keys);
    CombatDocument doc;
    roster::Roster shown = party();
    shown.rows[2].note = u"[Held: 1]"_s;
    shown.rows[1].note = u"Goblin [Stunned: 2] angry"_s;
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': doc.calculateOrder(shown); break;
        case u'6': doc.nextTurn(shown); break;
        case u'S': doc.previousTurn(shown); break;
        case u'Z': doc.undo(shown); break;
        case u'Y': doc.redo(shown); break;
        }
        shown = doc.state().roster;
    }
    QTEST(doc.state().roster.rows[2].note, "ogre");
    QTEST(doc.state().roster.rows[1].note, "goblin");
    const combat::Turn &turn = doc.state().turn;
    QTEST(turn.ticks.size() == turn.acted.size() && !turn.ticks.isEmpty() ? turn.ticks.constLast().ended
                                                                           : QStringList{},
          "ended");
}

// A combat file of the named rows `rows` ("Name" or "Name:HP"), with or without check values.
QByteArray combatFile(const QStringList &rows, bool checks = true)
{
    roster::Roster arrivals;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList parts = rows[i].split(u':');
        arrivals.rows[i].name = parts[0];
        arrivals.rows[i].hp = parts.value(1);
    }
    QByteArray bytes = files::combatFileBytes(arrivals);
    if (!checks)
        bytes.replace("Check=1\r\n", "");
    return bytes;
}

// Into a combat of Aldric, Sela and Wolf in rows 1, 2 and 4: rows 3 and 5 to 19 are free.
void TestCombatDocument::addCombatants_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("names"); // rows 1 to 6 afterwards
    QTest::addColumn<QString>("undoText");  // "" when nothing was added
    QTest::addColumn<bool>("oldVersion");
    QStringList sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen << u"Rat %1"_s.arg(i);
    const QStringList party{u"Aldric"_s, u"Sela"_s, u""_s, u"Wolf"_s, u""_s, u""_s};
    QTest::newRow("free rows in the middle") << combatFile({u"Goblin"_s, u""_s, u"Orc"_s})
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Goblin"_s, u"Wolf"_s, u"Orc"_s, u""_s}
        << u"Add Combatants (2)"_s << false;
    QTest::newRow("exactly enough") << combatFile(sixteen)
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Rat 1"_s, u"Wolf"_s, u"Rat 2"_s, u"Rat 3"_s}
        << u"Add Combatants (16)"_s << false;
    QTest::newRow("one too few") << combatFile(sixteen + QStringList{u"Rat 17"_s}) << party << u""_s << false;
    QTest::newRow("duplicate names") << combatFile({u" wolf "_s, u"Wolf"_s, u"Sela"_s})
        << QStringList{u"Aldric"_s, u"Sela"_s, u"wolf 2"_s, u"Wolf"_s, u"Wolf 3"_s, u"Sela 2"_s}
        << u"Add Combatants (3)"_s << false;
    QTest::newRow("an older file") << combatFile({u"Kobold"_s}, false)
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Kobold"_s, u"Wolf"_s, u""_s, u""_s}
        << u"Add Combatants (1)"_s << true;
    QTest::newRow("a down row") << combatFile({u"Troll:-12"_s})
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Troll"_s, u"Wolf"_s, u""_s, u""_s}
        << u"Add Combatants (1)"_s << false;
    QTest::newRow("no named rows") << combatFile({u"  "_s}) << party << u""_s << false;
}

void TestCombatDocument::addCombatants()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"arrivals.ini"_s);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();

    CombatDocument doc;
    roster::Roster shown;
    shown.rows[0].name = u"Aldric"_s;
    shown.rows[1].name = u"Sela"_s;
    shown.rows[3].name = u"Wolf"_s;
    shown.rows[2].amount = u"4"_s; // a free row's amount box stays
    doc.edited(shown, u"typing"_s);
    const CombatDocument::AddOutcome outcome = doc.addCombatants(path, shown);

    QStringList names;
    for (int r = 0; r < 6; ++r)
        names << doc.state().roster.rows[r].name;
    QTEST(names, "names");
    QFETCH(QString, undoText);
    QCOMPARE(doc.history().undoText(), undoText.isEmpty() ? u"typing"_s : undoText);
    QTEST(outcome.load.oldVersionRow.has_value(), "oldVersion");
    QCOMPARE(doc.state().roster.rows[2].amount, u"4"_s);
    QCOMPARE(doc.lastAddedPath(), path);
    QCOMPARE(doc.state().roster.rows[2].down, doc.state().roster.rows[2].hp == u"-12"_s);
    if (!undoText.isEmpty()) {
        doc.undo(doc.state().roster);
        QCOMPARE(doc.state().roster, shown); // one step takes it all back
    }
}

QTEST_GUILESS_MAIN(TestCombatDocument)
#include "tst_combatdocument.moc"
