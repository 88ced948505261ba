// The players' window: made by F7, it shows whose turn it is as the main window does and
// moves the turn from its own keys.
#include "WindowTest.h"
#include "app/players/PlayerWindow.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {
// The item lit as the current turn, -1 when none; screen readers hear the same.
int litItem(const QListView *list)
{
    int lit = -1;
    for (int i = 0; i < list->model()->rowCount(); ++i) {
        const QModelIndex item = list->model()->index(i, 0);
        const bool current = item.data(Qt::AccessibleDescriptionRole).toString().startsWith(u"Current turn"_s);
        if (item.data(Qt::BackgroundRole).isValid() != current || item.data(Qt::FontRole).value<QFont>().bold() != current)
            return -2;
        if (current)
            lit = lit == -1 ? i : -2;
    }
    return lit;
}

// The keys go to that window now.
bool activate(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == window; });
}
} // namespace

class TestPlayerWindow : public WindowTest
{
    Q_OBJECT

public:
    TestPlayerWindow() : WindowTest(Shown::Active) {}

private slots:
    void followsTheTurnAndMovesIt();
    void tellsHealthInWordsAndNothingOfTheHidden();
};

void TestPlayerWindow::followsTheTurnAndMovesIt()
{
    MainFrm &w = window();
    const QStringList rows{u"Orc"_s, u"Goblin"_s, u"Ogre"_s};
    for (int r = 0; r < 3; ++r) {
        field(w, Field::Name, r)->setText(rows[r]);
        field(w, Field::HitPoints, r)->setText(u"5"_s);
        field(w, Field::Initiative, r)->setText(QString::number(10 + r)); // the order: Ogre, Goblin, Orc
    }
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(!w.findChild<PlayerWindow *>()); // nothing made before it is asked for

    QTest::keyClick(&w, Qt::Key_F7);
    auto *players = w.findChild<PlayerWindow *>();
    QVERIFY(players);
    QVERIFY(QTest::qWaitForWindowActive(players));
    QCOMPARE(listTexts(players->list()), (QStringList{u"Ogre · Unhurt"_s, u"Goblin · Unhurt"_s, u"Orc · Unhurt"_s}));
    QCOMPARE(litItem(players->list()), 0);
    QCOMPARE(players->turnLabel()->text(), u"Round 1 — Ogre"_s);

    // F6 in the players' window moves the turn for both windows.
    QTest::keyClick(players, Qt::Key_F6);
    QCOMPARE(litItem(players->list()), 1);
    QCOMPARE(orderList(w)->currentIndex().row(), 1);
    QCOMPARE(players->turnLabel()->text(), turnLabel(w)->text());
    QCOMPARE(QAccessible::queryAccessibleInterface(players->turnLabel())->text(QAccessible::Name),
             u"Round 1 — Goblin"_s);

    // Undone in the main window, and the orc's box cleared: followed at once.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseClick(includeBox(w, 0), Qt::LeftButton);
    QCOMPARE(litItem(players->list()), 0);
    QCOMPARE(players->turnLabel()->text(), u"Round 1 — Ogre"_s);
    const QModelIndex orc = players->list()->model()->index(2, 0);
    QVERIFY(orc.data(Qt::FontRole).value<QFont>().strikeOut());
    QCOMPARE(orc.data(Qt::AccessibleDescriptionRole).toString(), u"Out of the fight"_s);

    // Closing the main window takes the players' window with it and ends the program.
    const QPointer<PlayerWindow> guard = players;
    QTimer::singleShot(0, &w, &QWidget::close);
    QTimer stuck;
    stuck.setSingleShot(true);
    connect(&stuck, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    stuck.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!guard || !guard->isVisible());
}

void TestPlayerWindow::tellsHealthInWordsAndNothingOfTheHidden()
{
    MainFrm &w = window();
    QTest::keyClick(&w, Qt::Key_F7);
    auto *players = w.findChild<PlayerWindow *>();
    QVERIFY(QTest::qWaitForWindowActive(players));
    QTest::keyClick(players, Qt::Key_F7); // and back to the main window
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // The order: Sela (a player's character), Goblin, Ogre, Wolf.
    const QStringList names{u"Sela"_s, u"Goblin"_s, u"Ogre"_s, u"Wolf"_s};
    for (int r = 0; r < 4; ++r) {
        field(w, Field::Name, r)->setText(names[r]);
        field(w, Field::HitPoints, r)->setText(QString::number(QList{20, 8, 30, 12}[r]));
        field(w, Field::Initiative, r)->setText(QString::number(30 - 7 * r));
    }
    field(w, Field::Note, 0)->setText(u"[PC]"_s);
    QVERIFY(activate(&w));
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    field(w, Field::HitPoints, 0)->setText(u"15"_s);
    field(w, Field::HitPoints, 2)->setText(u"-3"_s);
    field(w, Field::HitPoints, 3)->setText(u"6"_s);
    // Ctrl+H hides whom the bar names, in a fight never the row that holds the caret.
    field(w, Field::Name, 0)->setFocus();
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClicks(QApplication::focusWidget(), u"gob"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier); // the Goblin hides
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(listTexts(players->list()), (QStringList{u"Sela · Hurt"_s, u"Ogre · Dying"_s, u"Wolf · Bloodied"_s}));
    QCOMPARE(players->turnLabel()->text(), u"Round 1 — Sela"_s);
    QCOMPARE(players->nextLabel()->text(), u"Next: Wolf"_s); // neither the hidden nor the dying act
    // The main list shows both, as they are.
    const QAbstractItemModel *main = orderList(w)->model();
    QCOMPARE(main->index(1, 0).data(Qt::AccessibleDescriptionRole).toString(), u"Hidden from the players"_s);
    QCOMPARE(main->index(2, 0).data(Qt::AccessibleDescriptionRole).toString(), u"Dying"_s);

    // H in the players' window, then Ctrl+Shift+H in the main one: monsters only, nobody, everyone.
    // Dying is said without the words too, as the turn line says it.
    const QList<QStringList> modes{{u"Sela"_s, u"Ogre · Dying"_s, u"Wolf · Bloodied"_s},
                                   {u"Sela"_s, u"Ogre · dying"_s, u"Wolf"_s},
                                   {u"Sela · Hurt"_s, u"Ogre · Dying"_s, u"Wolf · Bloodied"_s}};
    for (int m = 0; m < modes.size(); ++m) {
        QWidget *window = m % 2 == 0 ? static_cast<QWidget *>(players) : &w;
        QVERIFY(activate(window));
        QTest::keyClick(window, Qt::Key_H, m % 2 == 0 ? Qt::NoModifier : Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(listTexts(players->list()), modes[m]);
    }
    QCOMPARE(w.combat().history().undoText(), u"Hide Row 2 (Goblin)"_s); // no step of its own

    // The Goblin's turn reveals it; hidden again while current, it lights nobody and leaves
    // only the round.
    QTest::keyClick(players, Qt::Key_F6);
    QCOMPARE(litItem(players->list()), 1);
    QVERIFY(activate(&w));
    field(w, Field::Name, 1)->setFocus();
    QTest::keyClick(field(w, Field::Name, 1), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(listTexts(players->list()).size(), 3);
    QCOMPARE(litItem(players->list()), -1);
    QCOMPARE(players->turnLabel()->text(), u"Round 1"_s);
    // With the caret in another row, it is the current combatant who is shown again.
    field(w, Field::Name, 0)->setFocus();
    QTest::keyClick(field(w, Field::Name, 0), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(litItem(players->list()), 1);
    QCOMPARE(players->turnLabel()->text(), u"Round 1 — Goblin"_s);

    // After New Combat no fight is shown, and with no row focused nor turn marked nothing hides.
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(players->waitingLabel()->isVisible() && !players->list()->isVisible());
    orderList(w)->setFocus();
    QTest::keyClick(orderList(w), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(prompts().messages.size(), 1);
}

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
