// Whose turn it is, through the window's keys: the marked item of the list and the round.
#include "WindowTest.h"
#include "app/order/OrderModel.h"
#include "app/roster/CurrentRowPalette.h"
#include "document/PlayersView.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QStyle>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

class TestTurns : public WindowTest
{
    Q_OBJECT

public:
    TestTurns() : WindowTest(Shown::Active) {}

private slots:
    void init()
    {
        QVERIFY(openWindow());
        MainFrm &w = window();
        const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s};
        for (int r = 0; r < 3; ++r) {
            field(w, Field::Name, r)->setText(names[r]);
            field(w, Field::HitPoints, r)->setText(u"5"_s);
            field(w, Field::Initiative, r)->setText(QString::number(10 + r)); // the order: Ogre, Goblin, Orc
        }
    }

    void keysMoveTheMarkerAndTheRound_data();
    void keysMoveTheMarkerAndTheRound();
    void nextTurnButtonIsNoTabStop();
    void currentRowIsLitInBothPalettes_data();
    void currentRowIsLitInBothPalettes();
    void leftCombatantIsStruckThrough();
    void damageTheCurrentCombatantFromTheKeyboard();
    void addedConditionCountsDownOnTheTurnLine();
    void altArrowsSettleATieInTheList();
    void oneWhoWaitsActsNowThroughTheBar();
};

void TestTurns::keysMoveTheMarkerAndTheRound_data()
{
    // Keys: F5 order, F6 next, S previous (Shift+F6), Z undo, N new combat.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("marked"); // the marked item's text, or "" for none
    QTest::addColumn<QString>("round");
    // The rule itself is the document's (tst_combatdocument); here, what the window shows of it.
    QTest::newRow("nothing before the first turn") << u"5"_s << u""_s << u""_s;
    QTest::newRow("round two") << u"56666"_s << u"12 - Ogre"_s << u"Round 2 — Ogre"_s;
    QTest::newRow("back over the start") << u"56666S"_s << u"10 - Orc"_s << u"Round 1 — Orc"_s;
    QTest::newRow("undo a turn") << u"566Z"_s << u"12 - Ogre"_s << u"Round 1 — Ogre"_s;
    QTest::newRow("new combat clears") << u"566N"_s << u""_s << u""_s;
}

void TestTurns::keysMoveTheMarkerAndTheRound()
{
    QFETCH(QString, keys);
    QFETCH(QString, marked);
    QFETCH(QString, round);
    MainFrm &w = window();
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': QTest::keyClick(&w, Qt::Key_F5); break;
        case u'6': QTest::keyClick(&w, Qt::Key_F6); break;
        case u'S': QTest::keyClick(&w, Qt::Key_F6, Qt::ShiftModifier); break;
        case u'Z': QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); break;
        case u'N': QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier); break;
        }
    }
    const QModelIndexList selected = orderList(w)->selectionModel()->selectedIndexes();
    QCOMPARE(selected.isEmpty() ? QString() : selected.constFirst().data().toString(), marked);
    if (!marked.isEmpty()) {
        QCOMPARE(orderList(w)->currentIndex(), selected.constFirst()); // what a screen reader announces
        QVERIFY(selected.constFirst().data(Qt::FontRole).value<QFont>().bold());
    }
    QCOMPARE(turnLabel(w)->text(), round);
    // A screen reader says which round it is.
    QCOMPARE(QAccessible::queryAccessibleInterface(turnLabel(w))->text(QAccessible::Name),
             round.isEmpty() ? u"Round"_s : round);
    QVERIFY(prompts().messages.isEmpty());
}

void TestTurns::nextTurnButtonIsNoTabStop()
{
    MainFrm &w = window();
    QCOMPARE(nextTurnButton(w)->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::mouseClick(nextTurnButton(w), Qt::LeftButton);
    QCOMPARE(orderList(w)->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Next Turn"_s);
}

void TestTurns::currentRowIsLitInBothPalettes_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QPalette dark;
    for (const auto &[role, colour] : {std::pair{QPalette::Window, QColor(0x30, 0x30, 0x30)},
                                       {QPalette::Base, QColor(0x20, 0x20, 0x20)},
                                       {QPalette::Text, QColor(Qt::white)},
                                       {QPalette::WindowText, QColor(Qt::white)},
                                       {QPalette::Highlight, QColor(0x2a, 0x82, 0xda)}})
        dark.setColor(role, colour);
    QTest::newRow("dark") << dark;
}

void TestTurns::currentRowIsLitInBothPalettes()
{
    QFETCH(QPalette, palette);
    QApplication::setPalette(palette);
    MainFrm &w = window();
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6); // the Ogre, row 3
    for (int r = 0; r < 3; ++r) {
        const bool lit = r == 2;
        for (QWidget *control :
             QList<QWidget *>{field(w, Field::Name, r), field(w, Field::Note, r), includeBox(w, r), substractButton(w, r)}) {
            const QColor background = control->palette().color(QPalette::Base);
            QCOMPARE(background == control->palette().color(QPalette::Button), lit);
            if (lit)
                QVERIFY2(contrastRatio(background, control->palette().color(QPalette::Text)) >= 4.5,
                         qPrintable(control->objectName()));
            QCOMPARE(control->accessibleDescription(), lit ? u"Current turn"_s : QString());
        }
    }
    // Down while lit: its disabled fields keep a grey of their own, between text and background.
    amountBox(w, 2)->setText(u"99"_s);
    QTest::mouseClick(substractButton(w, 2), Qt::LeftButton);
    QVERIFY(!field(w, Field::Name, 2)->isEnabled());
    const QPalette lit = field(w, Field::Name, 2)->palette();
    const QColor background = lit.color(QPalette::Base);
    const double grey = contrastRatio(background, lit.color(QPalette::Disabled, QPalette::Text));
    QVERIFY2(grey > 1.5 && grey < contrastRatio(background, lit.color(QPalette::Active, QPalette::Text)),
             qPrintable(QString::number(grey)));
    QTest::keyClick(&w, Qt::Key_F6); // on to the Goblin: the Ogre's row goes back to normal
    QCOMPARE(field(w, Field::Name, 2)->accessibleDescription(), QString());
    QCOMPARE(field(w, Field::Name, 1)->accessibleDescription(), u"Current turn"_s);
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestTurns::leftCombatantIsStruckThrough()
{
    MainFrm &w = window();
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::mouseClick(clearButton(w, 1), Qt::LeftButton); // the Goblin
    const QAbstractItemModel *order = orderList(w)->model();
    auto struck = [&](int item) { return order->index(item, 0).data(Qt::FontRole).value<QFont>().strikeOut(); };
    QCOMPARE(order->index(1, 0).data().toString(), u"11 - Goblin"_s);
    QVERIFY(struck(1));
    QCOMPARE(order->index(1, 0).data(Qt::AccessibleDescriptionRole).toString(), u"Out of the fight"_s);
    QVERIFY(!struck(0));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); // back in the fight
    QVERIFY(!struck(1));
}

void TestTurns::damageTheCurrentCombatantFromTheKeyboard()
{
    MainFrm &w = window();
    // The loop at the table: F5, F6, F8, a number, Enter, F6.
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6); // the Ogre, row 3
    QTest::keyClick(&w, Qt::Key_F8);
    QCOMPARE(QApplication::focusWidget(), w.targetBar().targetEdit());
    QTest::keyClicks(QApplication::focusWidget(), u"3"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(field(w, Field::HitPoints, 2)->text(), u"2"_s);
    QTest::keyClick(&w, Qt::Key_F6);
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Goblin"_s);
}

void TestTurns::addedConditionCountsDownOnTheTurnLine()
{
    MainFrm &w = window();
    field(w, Field::Note, 1)->setText(u"angry"_s);
    field(w, Field::Note, 1)->setFocus(); // the Goblin's row
    QTest::keyClick(&w, Qt::Key_F9); // the bar, the focused row chosen
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), u"stu"_s); // completed
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), u"2"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(field(w, Field::Note, 1)->text(), u"angry [Stunned: 2]"_s);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Add Stunned to Goblin (2)"_s);
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F6); // the Goblin's turn starts
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Goblin \u00b7 Stunned (last round)"_s);
    QCOMPARE(orderList(w)->model()->index(1, 0).data(Qt::AccessibleDescriptionRole).toString(), u"Stunned (last round)"_s);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F6); // round 2: it ends
    QCOMPARE(field(w, Field::Note, 1)->text(), u"angry"_s);
    QCOMPARE(turnLabel(w)->text(), u"Round 2 \u2014 Goblin \u00b7 Stunned ended"_s);

    // Given during the Goblin's turn, the Orc's condition is the Goblin's: it ends at its turn.
    QTest::keyClick(&w, Qt::Key_F9); // aimed at the Goblin, whose turn it is
    QTest::keyClicks(QApplication::focusWidget(), u"Orc"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), u"Dazed"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), u"1"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(field(w, Field::Note, 0)->text(), u"[Dazed: 1, Goblin]"_s);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F6);
    QCOMPARE(field(w, Field::Note, 0)->text(), u"[Dazed: 1, Goblin]"_s);
    QTest::keyClick(&w, Qt::Key_F6); // the Goblin's turn in round 3
    QCOMPARE(field(w, Field::Note, 0)->text(), QString());
    QCOMPARE(turnLabel(w)->text(), u"Round 3 \u2014 Goblin \u00b7 Dazed ended (Orc)"_s);
}


void TestTurns::altArrowsSettleATieInTheList()
{
    MainFrm &w = window();
    field(w, Field::Initiative, 0)->setText(u"11"_s); // the Orc ties with the Goblin
    QTest::keyClick(&w, Qt::Key_F5);
    QListView *list = orderList(w);
    auto items = [list] {
        QStringList texts;
        for (int i = 0; i < list->model()->rowCount(); ++i)
            texts << list->model()->index(i, 0).data().toString();
        return texts;
    };
    QCOMPARE(items(), (QStringList{u"12 - Ogre"_s, u"11 - Orc"_s, u"11 - Goblin"_s}));
    list->setFocus();
    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier); // past the Ogre, until the next F5
    QCOMPARE(items(), (QStringList{u"11 - Goblin"_s, u"12 - Ogre"_s, u"11 - Orc"_s}));
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Move Goblin Up"_s);
    QTest::keyClick(&w, Qt::Key_F5); // the tie stays settled
    QCOMPARE(items(), (QStringList{u"12 - Ogre"_s, u"11 - Goblin"_s, u"11 - Orc"_s}));
    QVERIFY(prompts().messages.isEmpty());
}

void TestTurns::oneWhoWaitsActsNowThroughTheBar()
{
    MainFrm &w = window();
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F6, Qt::ControlModifier); // the Ogre delays
    QTest::keyClick(&w, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier); // the Goblin readies
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Orc"_s);
    QAbstractItemModel *list = orderList(w)->model();
    QCOMPARE(list->index(0, 0).data(OrderModel::StateRole).toString(), u"delaying"_s);
    QCOMPARE(players::playersView(w.combat(), players::HealthWords::Everyone).order.at(1).state,
             u"Unhurt \u00b7 Ready"_s);

    QTest::keyClick(&w, Qt::Key_F12); // two wait: the bar asks who
    QTest::keyClicks(QApplication::focusWidget(), u"og"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Ogre"_s);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo Ogre Acts Now"_s);
    QCOMPARE(list->index(1, 0).data().toString(), u"12 - Ogre"_s); // just before the Orc
    QTest::keyClick(&w, Qt::Key_F6); // the Orc takes up its turn
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Orc"_s);
    QTest::keyClick(&w, Qt::Key_F12); // one waits: it acts at once
    QCOMPARE(turnLabel(w)->text(), u"Round 1 \u2014 Goblin"_s);
    QVERIFY(prompts().messages.isEmpty());
}

QTEST_MAIN(TestTurns)
#include "tst_turns.moc"
