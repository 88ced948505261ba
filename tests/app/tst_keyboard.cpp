// Everything can be done without a mouse, and every control tells a screen reader its name.
#include "WindowTest.h"
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
using roster::Field;

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

class TestKeyboard : public WindowTest
{
    Q_OBJECT

public:
    TestKeyboard() : WindowTest(Shown::Active) {}

private slots:
    void focusOrderFollowsTheRows();
    void aFullCombatWithoutTheMouse();
    void everyControlHasAName();
    void aStrayKeyAfterTheFightsCommandsChangesNothing_data();
    void aStrayKeyAfterTheFightsCommandsChangesNothing();
};

void TestKeyboard::focusOrderFollowsTheRows()
{
    MainFrm &w = window();
    QCOMPARE(focused(), calculateButton(w));
    const QList<QWidget *> row0{field(w, Field::Name, 0), field(w, Field::HitPoints, 0), hitPointsSpin(w, 0),
                                field(w, Field::Initiative, 0), field(w, Field::ArmourClass, 0), armourClassSpin(w, 0),
                                field(w, Field::Note, 0), field(w, Field::Fort, 0), field(w, Field::Reflex, 0),
                                field(w, Field::Will, 0), field(w, Field::Attack, 0), field(w, Field::Damage, 0),
                                includeBox(w, 0), clearButton(w, 0)};
    const QList<QWidget *> row1{field(w, Field::Name, 1), field(w, Field::HitPoints, 1), field(w, Field::Initiative, 1),
                                field(w, Field::ArmourClass, 1), field(w, Field::Note, 1), field(w, Field::Fort, 1),
                                field(w, Field::Reflex, 1), field(w, Field::Will, 1), field(w, Field::Attack, 1),
                                field(w, Field::Damage, 1), includeBox(w, 1), clearButton(w, 1),
                                armourClassSpin(w, 1), hitPointsSpin(w, 1), field(w, Field::Name, 2)};
    for (QWidget *expected : row0 + row1) {
        press(Qt::Key_Tab);
        QCOMPARE(focused(), expected);
    }
    QVERIFY(tabTo(clearButton(w, 18)));
    for (QWidget *expected : {static_cast<QWidget *>(armourClassSpin(w, 18)), static_cast<QWidget *>(hitPointsSpin(w, 18)),
                              static_cast<QWidget *>(amountBox(w, 0)), static_cast<QWidget *>(substractButton(w, 0)),
                              static_cast<QWidget *>(amountBox(w, 1))}) {
        press(Qt::Key_Tab);
        QCOMPARE(focused(), expected);
    }
    QVERIFY(tabTo(substractButton(w, 18)));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), orderList(w));
    press(Qt::Key_Tab);
    QCOMPARE(focused(), generalNote(w));
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
    QVERIFY(tabTo(field(w, Field::Name, 1)));
    QTest::keyClicks(focused(), u"Orc"_s);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"15"_s);
    press(Qt::Key_Tab);
    QTest::keyClicks(focused(), u"7"_s);
    QCOMPARE(field(w, Field::HitPoints, 0)->text(), u"6"_s);

    // Back to the first control, and the order is computed with Space.
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    while (focused() != calculateButton(w))
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Space);
    QCOMPARE(listTexts(orderList(w)).size(), 2);
    QCOMPARE(listTexts(orderList(w)).constFirst(), u"12 - Goblin"_s);

    // 16 damage takes the goblin down with Enter on "Substract".
    QVERIFY(tabTo(amountBox(w, 0)));
    QTest::keyClicks(focused(), u"16"_s);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), substractButton(w, 0));
    press(Qt::Key_Return);
    QCOMPARE(field(w, Field::HitPoints, 0)->text(), u"-10"_s);
    QVERIFY(!field(w, Field::Name, 0)->isEnabled());

    // Enter in an amount box takes the damage off too.
    QVERIFY(tabTo(amountBox(w, 1)));
    QTest::keyClicks(focused(), u"3"_s);
    press(Qt::Key_Enter);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"12"_s);
    QVERIFY(amountBox(w, 1)->text().isEmpty());

    // The orc's box is cleared with Space; the order then holds nobody.
    QVERIFY(tabTo(includeBox(w, 1)));
    press(Qt::Key_Space);
    QVERIFY(!includeBox(w, 1)->isChecked());
    QVERIFY(tabTo(calculateButton(w)));
    press(Qt::Key_Space);
    QCOMPARE(listTexts(orderList(w)), QStringList());

    // Clear the orc's row with Space on its button, then the menus by their keys.
    QVERIFY(tabTo(clearButton(w, 1)));
    press(Qt::Key_Space);
    QVERIFY(field(w, Field::Name, 1)->text().isEmpty());
    press(Qt::Key_N, Qt::ControlModifier);
    QVERIFY(field(w, Field::Name, 0)->isEnabled());
    press(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts().saveDialogs.size(), 1);
    press(Qt::Key_F2);
    QCOMPARE(prompts().messages.size(), 1);

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

    QCOMPARE(spokenName(field(w, Field::Name, 0)), u"Row 1 Name"_s);
    QCOMPARE(spokenName(field(w, Field::HitPoints, 0)), u"Row 1 HP"_s);
    QCOMPARE(spokenName(hitPointsSpin(w, 0)), u"Row 1 HP up/down"_s);
    QCOMPARE(spokenName(includeBox(w, 0)), u"Row 1 include"_s);
    QCOMPARE(spokenName(clearButton(w, 0)), u"Row 1 Clear"_s);
    QCOMPARE(spokenName(amountBox(w, 0)), u"Row 1 amount"_s);
    QCOMPARE(spokenName(field(w, Field::Fort, 4)), u"Row 5 Fort"_s); // named by the caption the user sees
    QCOMPARE(spokenName(substractButton(w, 18)), u"Row 19 Substract"_s);
    QCOMPARE(spokenName(orderList(w)), u"Fighting order"_s);
    QCOMPARE(spokenName(generalNote(w)), u"Other Notes"_s);
    QCOMPARE(spokenName(calculateButton(w)), u"Calculate Fighting Order"_s);
}

// After each of the fight's commands, begun with the caret in the Goblin's hit points, the
// keyboard is in the fighting-order list: a stray "7" and Enter change nothing.
void TestKeyboard::aStrayKeyAfterTheFightsCommandsChangesNothing_data()
{
    QTest::addColumn<QString>("keys"); // key sequences, and 'text typed
    QTest::newRow("Calculate") << u"Ctrl+G 'orc Alt+I '20 F5"_s;
    QTest::newRow("Next Turn") << u"F6"_s;
    QTest::newRow("Previous Turn") << u"Shift+F6"_s;
    QTest::newRow("Delay") << u"Ctrl+F6"_s;
    QTest::newRow("Act Now") << u"Ctrl+F6 F12"_s;
    QTest::newRow("a blow from the bar") << u"F8 'gob Return '3 Return"_s;
    QTest::newRow("a condition from the bar") << u"F9 'orc Return 'dazed Return '1 Return"_s;
    QTest::newRow("Undo of a command") << u"F6 Ctrl+Z"_s;
    QTest::newRow("Redo of a command") << u"F6 Ctrl+Z Ctrl+Shift+Z"_s;
    QTest::newRow("Go to's Esc") << u"Ctrl+G 'gob Escape"_s;
    QTest::newRow("Hide from Players") << u"Ctrl+H"_s;
}

void TestKeyboard::aStrayKeyAfterTheFightsCommandsChangesNothing()
{
    QFETCH(QString, keys);
    MainFrm &w = window();
    const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s};
    for (int r = 0; r < names.size(); ++r) {
        field(w, Field::Name, r)->setText(names[r]);
        field(w, Field::HitPoints, r)->setText(u"37"_s);
        field(w, Field::Initiative, r)->setText(QString::number(10 + r)); // the Ogre first
    }
    press(Qt::Key_F5);
    press(Qt::Key_F6);
    field(w, Field::HitPoints, 1)->setFocus();
    for (const QString &key : keys.split(u' ')) {
        if (key.startsWith(u'\''))
            QTest::keyClicks(focused(), key.mid(1));
        else
            QTest::keySequence(focused(), QKeySequence(key));
    }
    QCOMPARE(focused()->objectName(), u"List"_s);
    const CombatState before = w.combat().state();
    QTest::keyClicks(focused(), u"7"_s);
    press(Qt::Key_Return);
    QVERIFY(w.combat().state() == before);
    QVERIFY(prompts().messages.isEmpty());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
