// The players' window: made by F7, it shows whose turn it is as the main window does and
// moves the turn from its own keys.
#include "WindowFixture.h"
#include "app/players/PlayerWindow.h"

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

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
} // namespace

class TestPlayerWindow : public QObject
{
    Q_OBJECT

private slots:
    void followsTheTurnAndMovesIt();
};

void TestPlayerWindow::followsTheTurnAndMovesIt()
{
    WindowFixture fixture;
    MainFrm &w = *fixture.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QStringList rows{u"Orc"_s, u"Goblin"_s, u"Ogre"_s};
    for (int r = 0; r < 3; ++r) {
        w.roster().ChrName[r]->setText(rows[r]);
        w.roster().ChrHP[r]->setText(u"5"_s);
        w.roster().ChrIni[r]->setText(QString::number(10 + r)); // the order: Ogre, Goblin, Orc
    }
    QTest::keyClick(&w, Qt::Key_F5);
    QTest::keyClick(&w, Qt::Key_F6);
    QVERIFY(!w.findChild<PlayerWindow *>()); // nothing made before it is asked for

    QTest::keyClick(&w, Qt::Key_F7);
    auto *players = w.findChild<PlayerWindow *>();
    QVERIFY(players);
    QVERIFY(QTest::qWaitForWindowActive(players));
    QCOMPARE(listTexts(players->list()), (QStringList{u"Ogre"_s, u"Goblin"_s, u"Orc"_s}));
    QCOMPARE(litItem(players->list()), 0);
    QCOMPARE(players->turnLabel()->text(), u"Round 1 — Ogre"_s);

    // F6 in the players' window moves the turn for both windows.
    QTest::keyClick(players, Qt::Key_F6);
    QCOMPARE(litItem(players->list()), 1);
    QCOMPARE(w.roster().List->currentIndex().row(), 1);
    QCOMPARE(players->turnLabel()->text(), w.roster().RoundLbl->text());
    QCOMPARE(QAccessible::queryAccessibleInterface(players->turnLabel())->text(QAccessible::Name),
             u"Round 1 — Goblin"_s);

    // Undone in the main window, and the orc's box cleared: followed at once.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QTest::mouseClick(w.roster().ChrChk[0], Qt::LeftButton);
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

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
