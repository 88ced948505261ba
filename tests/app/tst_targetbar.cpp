// The target bar's keys in the real window: choosing by letters and arrows, adding targets
// with Space, one blow as one step, Esc leaving everything as it was.
#include "WindowTest.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
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
    void aBlowNeverLandsOnWhoeverTookTheRow();
    void theTurnLineStaysInSight();
};

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

QTEST_MAIN(TestTargetBar)
#include "tst_targetbar.moc"
