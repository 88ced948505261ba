// The target bar's keys in the real window: choosing by letters and arrows, adding targets
// with Space, one blow as one step, Esc leaving everything as it was.
#include "WindowTest.h"

#include "app/rolls/RollsModel.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

class TestTargetBar : public WindowTest
{
    Q_OBJECT

public:
    TestTargetBar() : WindowTest(Shown::Active) {}

private slots:
    void keysAimOneBlowAtSeveralTargets();
    void aFireballHalvesForThoseWhoSaved();
    void aBlowNeverLandsOnWhoeverTookTheRow();
    void theTurnLineStaysInSight();
    void goToPutsTheCaretInAnyRowsField_data();
    void goToPutsTheCaretInAnyRowsField();
    void theInitiativeWalkAsksOneAfterAnother();
};

namespace {

// Orc, Goblin, Ogre, Wolf and Wolf 2 in the fight, a Kobold left out, a Troll down.
void typeParty(MainFrm &w)
{
    const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s, u"Wolf"_s, u"Wolf 2"_s, u"Troll"_s, u"Kobold"_s};
    for (int r = 0; r < names.size(); ++r) {
        field(w, Field::Name, r)->setText(names[r]);
        field(w, Field::HitPoints, r)->setText(u"20"_s);
    }
    includeBox(w, 6)->setChecked(false);
    amountBox(w, 5)->setText(u"30"_s);
    substractButton(w, 5)->click();
}

} // namespace

void TestTargetBar::keysAimOneBlowAtSeveralTargets()
{
    MainFrm &w = window();
    const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s, u"Wolf"_s, u"Wolf 2"_s};
    for (int r = 0; r < names.size(); ++r) {
        field(w, Field::Name, r)->setText(names[r]);
        field(w, Field::HitPoints, r)->setText(u"20"_s);
        field(w, Field::Initiative, r)->setText(QString::number(10 + r)); // Wolf 2 first, Orc last
    }
    TargetBar &bar = w.targetBar();
    auto keys = [](const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); };
    auto key = [](Qt::Key pressed) { QTest::keyClick(QApplication::focusWidget(), pressed); };

    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6); // Wolf 2's turn
    QWidget *before = QApplication::focusWidget();
    QTest::keyClick(&w, Qt::Key_F8);
    QVERIFY(bar.isVisible());
    QCOMPARE(QApplication::focusWidget(), bar.targetEdit());
    QCOMPARE(bar.chosenRow(), 4);
    QVERIFY(bar.targetEdit()->accessibleDescription().contains(u"Wolf 2\u2069 (row 5, 20 HP)"_s));
    QTest::keyClick(&w, Qt::Key_F6); // nothing chosen yet: the choice follows the turn
    QCOMPARE(bar.chosenRow(), 3);
    keys(u"gob"_s);
    QTest::keyClick(&w, Qt::Key_F6, Qt::ShiftModifier); // back to Wolf 2's turn; the Goblin stays chosen
    QCOMPARE(bar.chosenRow(), 1);
    const int steps = w.combat().history().count();
    key(Qt::Key_Escape);
    QVERIFY(!bar.isVisible());
    QCOMPARE(QApplication::focusWidget(), before);
    QCOMPARE(w.combat().history().count(), steps);

    QTest::keyClick(&w, Qt::Key_F8);
    keys(u"gob"_s);
    QCOMPARE(bar.chosenRow(), 1);
    key(Qt::Key_Space); // added; the Orc, next in the order, is offered
    QCOMPARE(bar.addedRows(), QList<int>{1});
    QCOMPARE(bar.targets(), QList<int>{1});
    keys(u"wolf"_s);
    QCOMPARE(bar.chosenRow(), 3); // the name itself before its twin
    keys(u" 2"_s); // a blank that goes on with a name is typed
    QCOMPARE(bar.chosenRow(), 4);
    key(Qt::Key_Down);
    QCOMPARE(bar.chosenRow(), 3);
    key(Qt::Key_Up);
    QCOMPARE(bar.targets(), (QList<int>{1, 4}));
    key(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), bar.amountEdit());
    keys(u"14/2"_s);
    key(Qt::Key_Return);
    QVERIFY(!bar.isVisible());
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"13"_s);
    QCOMPARE(field(w, Field::HitPoints, 4)->text(), u"13"_s);
    QCOMPARE(field(w, Field::HitPoints, 3)->text(), u"20"_s);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Damage 2 combatants (7)"_s);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"20"_s);
    QCOMPARE(field(w, Field::HitPoints, 4)->text(), u"20"_s);
}

// Three targets, one of whom saved: the dice are rolled once, into the Rolls list, and the
// one who saved takes half of the same total, rounded down. "=" takes that total again.
void TestTargetBar::aFireballHalvesForThoseWhoSaved()
{
    MainFrm &w = window();
    typeParty(w);
    TargetBar &bar = w.targetBar();
    auto keys = [](const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); };
    auto key = [](Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
    };
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F8);
    keys(u"orc"_s);
    key(Qt::Key_Space);
    keys(u"gob"_s);
    key(Qt::Key_Space, Qt::ShiftModifier);
    keys(u"ogre"_s);
    QCOMPARE(bar.targets(), (QList<int>{0, 1, 2}));
    QVERIFY(bar.targetEdit()->accessibleDescription().contains(u"Goblin\u2069 (row 2, 20 HP, saved)"_s));
    key(Qt::Key_Return);
    keys(u"6d6"_s);
    key(Qt::Key_Return);
    QVERIFY(!bar.isVisible());

    const std::optional<qint64> total = w.rolls().record(0).total;
    QVERIFY(total && *total >= 6 && *total <= 36);
    QVERIFY(combat::rollLine(w.rolls().record(0)).contains(u"Orc, Goblin (saved: half), Ogre, roll 6d6"_s));
    QCOMPARE(field(w, Field::HitPoints, 0)->text(), QString::number(20 - *total));
    QCOMPARE(field(w, Field::HitPoints, 2)->text(), QString::number(20 - *total));
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), QString::number(20 - *total / 2));
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Damage 3 combatants (%1: 6d6)"_s.arg(*total));

    QTest::keyClick(&w, Qt::Key_F8);
    keys(u"orc"_s);
    key(Qt::Key_Return);
    keys(u"="_s);
    QCOMPARE(bar.amountEdit()->text(), QString::number(*total));
}

void TestTargetBar::aBlowNeverLandsOnWhoeverTookTheRow()
{
    MainFrm &w = window();
    field(w, Field::Name, 0)->setText(u"Goblin"_s);
    field(w, Field::HitPoints, 0)->setText(u"7"_s);
    field(w, Field::Name, 0)->setFocus();
    QTest::keyClick(&w, Qt::Key_F8); // no turn: the focused row's Goblin
    QCOMPARE(w.targetBar().chosenRow(), 0);
    // While the bar is open, the row is cleared and a Troll typed in.
    clearButton(w, 0)->click();
    field(w, Field::Name, 0)->setText(u"Troll"_s);
    field(w, Field::HitPoints, 0)->setText(u"30"_s);
    QVERIFY(w.targetBar().targets().isEmpty());
    QVERIFY(w.targetBar().status().contains(u"is no longer a target"_s));
    w.targetBar().targetEdit()->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), u"5"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(field(w, Field::HitPoints, 0)->text(), u"30"_s);
    QVERIFY(w.targetBar().isVisible());
}

// The bar takes its room from the window, or from the rows, which then scroll; the turn
// line stays whole, and the window gets its height back when the bar goes.
void TestTargetBar::theTurnLineStaysInSight()
{
    MainFrm &w = window();
    field(w, Field::Name, 0)->setText(u"Sela"_s);
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    const int height = w.height();
    QTest::keyClick(&w, Qt::Key_F8);
    QLabel *line = turnLabel(w);
    QTRY_COMPARE(line->visibleRegion(), QRegion(line->rect()));
    const QRect shown(line->mapTo(&w, QPoint(0, 0)), line->size());
    QVERIFY(!shown.intersects(QRect(w.targetBar().mapTo(&w, QPoint(0, 0)), w.targetBar().size())));
    QVERIFY(shown.bottom() < w.height());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(w.height(), height);
}

// Ctrl+G, then letters, #row or arrows, then Enter (the name) or a field's key.
void TestTargetBar::goToPutsTheCaretInAnyRowsField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("fieldKey"); // Alt and this key; 0: Enter
    QTest::addColumn<int>("row");      // where the caret goes; -1: the bar stays open
    QTest::addColumn<int>("field");    // -1: the amount box
    QTest::newRow("letters, Enter: the name") << u"gob"_s << 0 << 1 << int(Field::Name);
    QTest::newRow("#row, Alt+P: the hit points") << u"#3"_s << int(Qt::Key_P) << 2 << int(Field::HitPoints);
    QTest::newRow("a twin, Alt+I: the initiative") << u"wo2"_s << int(Qt::Key_I) << 4 << int(Field::Initiative);
    QTest::newRow("a row out of the fight, Alt+R: the note") << u"kob"_s << int(Qt::Key_R) << 6 << int(Field::Note);
    QTest::newRow("Alt+A: the armour class") << u"orc"_s << int(Qt::Key_A) << 0 << int(Field::ArmourClass);
    QTest::newRow("Alt+U: the amount box") << u"ogre"_s << int(Qt::Key_U) << 2 << -1;
    QTest::newRow("a down row's greyed field: the bar stays") << u"tro"_s << int(Qt::Key_P) << -1 << 0;
    QTest::newRow("an empty row: nothing chosen") << u"#9"_s << 0 << -1 << 0;
}

void TestTargetBar::goToPutsTheCaretInAnyRowsField()
{
    QFETCH(QString, typed);
    QFETCH(int, fieldKey);
    QFETCH(int, row);
    MainFrm &w = window();
    typeParty(w);
    field(w, Field::Note, 2)->setText(u"angry"_s);
    QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    if (fieldKey)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(fieldKey), Qt::AltModifier);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(w.targetBar().isVisible(), row < 0);
    if (row < 0)
        return;
    QFETCH(int, field);
    QLineEdit *edit = field < 0 ? amountBox(w, row) : ::field(w, Field(field), row);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), edit->text());
}

// Ctrl+I asks those in the fight with no roll, in row order: a roll typed, a skip, a roll of
// the dice; all of it one step.
void TestTargetBar::theInitiativeWalkAsksOneAfterAnother()
{
    MainFrm &w = window();
    typeParty(w);
    const QStringList inis{u"+1"_s, QString(), u"12"_s, u"+2"_s, u"15 (+2)"_s};
    for (int r = 0; r < inis.size(); ++r)
        field(w, Field::Initiative, r)->setText(inis[r]);
    const int steps = w.combat().history().count();
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(w.targetBar().isVisible());
    QCOMPARE(w.targetBar().targetEdit()->accessibleName(), u"Initiative for \u2068Orc\u2069 (\u2068+1\u2069):"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"15"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the Goblin: skipped
    QTest::keyClicks(QApplication::focusWidget(), u"r"_s); // the Wolf: rolled
    QVERIFY(!w.targetBar().isVisible()); // nobody else to ask
    QCOMPARE(field(w, Field::Initiative, 0)->text(), u"15 (+1)"_s);
    QCOMPARE(field(w, Field::Initiative, 1)->text(), QString());
    QCOMPARE(field(w, Field::Initiative, 2)->text(), u"12"_s);
    QVERIFY(QRegularExpression(u"^([3-9]|1[0-9]|2[0-2]) \\(\\+2\\)$"_s).match(field(w, Field::Initiative, 3)->text()).hasMatch());
    QCOMPARE(w.combat().history().count(), steps + 1);
    QCOMPARE(w.combat().history().undoText(), u"Enter Initiative"_s);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field(w, Field::Initiative, 0)->text(), u"+1"_s);
    QCOMPARE(field(w, Field::Initiative, 3)->text(), u"+2"_s);

    // The row asked is cleared under the question: the next is asked, nothing goes to the empty row.
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    clearButton(w, 0)->click();
    w.targetBar().targetEdit()->setFocus();
    QVERIFY(w.targetBar().targetEdit()->accessibleName().contains(u"Goblin"_s));
    QTest::keyClicks(QApplication::focusWidget(), u"9"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(field(w, Field::Initiative, 0)->text(), QString());
    QCOMPARE(field(w, Field::Initiative, 1)->text(), u"9"_s);
}

QTEST_MAIN(TestTargetBar)
#include "tst_targetbar.moc"
