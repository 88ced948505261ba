// The combat document's rules without a window: what becomes a step, and the turn.
#include "document/CombatDocument.h"

#include "combat/Damage.h"

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

// Keys: 5 calculate, 6 next, S previous, Z undo, D Goblin goes down,
// R Orc's initiative becomes 20 and the order is calculated again, N new combat.
void TestCombatDocument::turnFollowsItsCombatant_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("markedRow");
    QTest::addColumn<int>("round");
    QTest::newRow("nothing before the first turn") << u"5"_s << -1 << 0;
    QTest::newRow("first turn") << u"56"_s << 2 << 1;
    QTest::newRow("round two") << u"56666"_s << 2 << 2;
    QTest::newRow("back over the start") << u"56666S"_s << 0 << 1;
    QTest::newRow("down rows are skipped") << u"56D6"_s << 0 << 1;
    QTest::newRow("undo a turn") << u"566Z"_s << 2 << 1;
    QTest::newRow("recalculation keeps the combatant") << u"5666R"_s << 0 << 1;
    QTest::newRow("new combat clears") << u"566N"_s << -1 << 0;
    QTest::newRow("empty list does nothing") << u"66S"_s << -1 << 0;
}

void TestCombatDocument::turnFollowsItsCombatant()
{
    QFETCH(QString, keys);
    CombatDocument doc;
    roster::Roster shown = party();
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': doc.calculateOrder(shown); break;
        case u'6': doc.nextTurn(shown); break;
        case u'S': doc.previousTurn(shown); break;
        case u'Z': doc.undo(shown); break;
        case u'D':
            shown.rows[1].amount = u"20"_s;
            doc.run(shown, u"Substract"_s, [](CombatState &next) { combat::subtractDamage(next.roster.rows[1]); });
            break;
        case u'R':
            shown.rows[0].ini = u"20"_s;
            doc.calculateOrder(shown);
            break;
        case u'N':
            doc.run(shown, u"New Combat"_s, [](CombatState &next) { next = CombatState{}; });
            break;
        }
        shown = doc.state().roster;
    }
    QTEST(doc.state().markedRow, "markedRow");
    QTEST(doc.state().round, "round");
    QCOMPARE(doc.markedItem() >= 0, doc.state().markedRow >= 0);
}

QTEST_GUILESS_MAIN(TestCombatDocument)
#include "tst_combatdocument.moc"
