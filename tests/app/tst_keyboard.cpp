// Everything can be done without a mouse, and every control tells a screen reader its name.
#include "WindowFixture.h"
#include "app/widgets/SpinButton.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Counts mouse events reaching any object of the application.
class MouseWatch : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            ++count;
            break;
        default:
            break;
        }
        return false;
    }
};

QWidget *focused()
{
    return QApplication::focusWidget();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focused(), key, modifiers);
}

// Tabs forward until `target` has the focus; false if it is never reached.
bool tabTo(QWidget *target)
{
    for (int i = 0; i < 400 && focused() != target; ++i)
        press(Qt::Key_Tab);
    return focused() == target;
}

QString spokenName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}
} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    void cleanup() { m_fixture.reset(); }

    void focusOrderFollowsTheRows();
    void aFullCombatWithoutTheMouse();
    void everyControlHasAName();

private:
    MainFrm &window() { return *m_fixture->window; }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestKeyboard::focusOrderFollowsTheRows()
{
    MainFrm &w = window();
    QCOMPARE(focused(), w.roster().Command1);
    const QList<QWidget *> row0{w.roster().ChrName[0], w.roster().ChrHP[0], w.roster().UpDown1[0], w.roster().ChrIni[0], w.roster().ChrAC[0], w.roster().UpDown2[0],
                                w.roster().ChrNote[0], w.roster().ChrWill[0], w.roster().ChrFort[0], w.roster().ChrRex[0], w.roster().ChrAttack[0],
                                w.roster().ChrDamage[0], w.roster().ChrChk[0], w.roster().cmdClear[0]};
    const QList<QWidget *> row1{w.roster().ChrName[1], w.roster().ChrHP[1], w.roster().ChrIni[1], w.roster().ChrAC[1], w.roster().ChrNote[1], w.roster().ChrWill[1],
                                w.roster().ChrFort[1], w.roster().ChrRex[1], w.roster().ChrAttack[1], w.roster().ChrDamage[1], w.roster().ChrChk[1],
                                w.roster().cmdClear[1], w.roster().UpDown2[1], w.roster().UpDown1[1], w.roster().ChrName[2]};
    for (QWidget *expected : row0 + row1) {
        press(Qt::Key_Tab);
        QCOMPARE(focused(), expected);
    }
    QVERIFY(tabTo(w.roster().cmdClear[18]));
    for (QWidget *expected : {static_cast<QWidget *>(w.roster().UpDown2[18]), static_cast<QWidget *>(w.roster().UpDown1[18]),
                              static_cast<QWidget *>(w.roster().SubsTxt[0]), static_cast<QWidget *>(w.roster().SubsCmd[0]),
                              static_cast<QWidget *>(w.roster().SubsTxt[1])}) {
        press(Qt::Key_Tab);
        QCOMPARE(focused(), expected);
    }
    QVERIFY(tabTo(w.roster().SubsCmd[18]));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), w.roster().List);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), w.roster().NotesTxt);
}

void TestKeyboard::aFullCombatWithoutTheMouse()
{
    MainFrm &w = window();
    MouseWatch mouse;
    qApp->installEventFilter(&mouse);

    // Two combatants typed along the focus order.
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"Goblin"_s);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"5"_s);
    press(Qt::Key_Tab); // the HP spin button
    press(Qt::Key_Up);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"12"_s);
    QVERIFY(tabTo(w.roster().ChrName[1]));
    QTest::keyClicks(focused(), u"Orc"_s);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"15"_s);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"7"_s);
    QCOMPARE(w.roster().ChrHP[0]->text(), u"6"_s);

    // Back to the first control, and the order is computed with Space.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    while (focused() != w.roster().Command1)
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Space);
    QCOMPARE(listTexts(w.roster().List).size(), 2);
    QCOMPARE(listTexts(w.roster().List).constFirst(), u"12 - Goblin"_s);

    // 16 damage takes the goblin down with Enter on "Substract".
    QVERIFY(tabTo(w.roster().SubsTxt[0]));
    QTest::keyClicks(focused(), u"16"_s);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), w.roster().SubsCmd[0]);
    press(Qt::Key_Return);
    QCOMPARE(w.roster().ChrHP[0]->text(), u"-10"_s);
    QVERIFY(!w.roster().ChrName[0]->isEnabled());

    // Enter in an amount box takes the damage off too.
    QVERIFY(tabTo(w.roster().SubsTxt[1]));
    QTest::keyClicks(focused(), u"3"_s);
    press(Qt::Key_Enter);
    QCOMPARE(w.roster().ChrHP[1]->text(), u"12"_s);
    QVERIFY(w.roster().SubsTxt[1]->text().isEmpty());

    // The orc's box is cleared with Space; the order then holds nobody.
    QVERIFY(tabTo(w.roster().ChrChk[1]));
    press(Qt::Key_Space);
    QVERIFY(!w.roster().ChrChk[1]->isChecked());
    QVERIFY(tabTo(w.roster().Command1));
    press(Qt::Key_Space);
    QCOMPARE(listTexts(w.roster().List), QStringList());

    // Clear the orc's row with Space on its button, then the menus by their keys.
    QVERIFY(tabTo(w.roster().cmdClear[1]));
    press(Qt::Key_Space);
    QVERIFY(w.roster().ChrName[1]->text().isEmpty());
    press(Qt::Key_N, Qt::ControlModifier);
    QVERIFY(w.roster().ChrName[0]->isEnabled());
    press(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_fixture->prompts->saveDialogs.size(), 1);
    press(Qt::Key_F2);
    QCOMPARE(m_fixture->prompts->messages.size(), 1);

    qApp->removeEventFilter(&mouse);
    QCOMPARE(mouse.count, 0);
}

void TestKeyboard::everyControlHasAName()
{
    MainFrm &w = window();
    QWidget *page = w.roster().widget();
    const QList<QWidget *> controls = page->findChildren<QWidget *>();
    int checked = 0;
    for (QWidget *control : controls) {
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&w) || control->isWindow())
            continue;
        if (control->parentWidget() != page)
            continue; // parts of a control, such as a list's viewport
        QVERIFY2(!spokenName(control).isEmpty(), qPrintable(control->objectName()));
        ++checked;
    }
    QCOMPARE(checked, roster::RowCount * 16 + 3);

    QCOMPARE(spokenName(w.roster().ChrName[0]), u"Row 1 Name"_s);
    QCOMPARE(spokenName(w.roster().ChrHP[0]), u"Row 1 HP"_s);
    QCOMPARE(spokenName(w.roster().UpDown1[0]), u"Row 1 HP up/down"_s);
    QCOMPARE(spokenName(w.roster().ChrChk[0]), u"Row 1 include"_s);
    QCOMPARE(spokenName(w.roster().cmdClear[0]), u"Row 1 Clear"_s);
    QCOMPARE(spokenName(w.roster().SubsTxt[0]), u"Row 1 amount"_s);
    QCOMPARE(spokenName(w.roster().ChrWill[4]), u"Row 5 Fort"_s); // named by the caption the user sees
    QCOMPARE(spokenName(w.roster().SubsCmd[18]), u"Row 19 Substract"_s);
    QCOMPARE(spokenName(w.roster().List), u"Fighting order"_s);
    QCOMPARE(spokenName(w.roster().NotesTxt), u"Other Notes"_s);
    QCOMPARE(spokenName(w.roster().Command1), u"Calculate Fighting Order"_s);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
