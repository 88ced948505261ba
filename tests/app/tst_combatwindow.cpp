// A short combat played through the real window: typing, clicking, reading the list.
#include "WindowTest.h"
#include "app/widgets/SpinButton.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {
bool isDown(MainFrm &w, int r)
{
    const bool disabled = !field(w, Field::Name, r)->isEnabled();
    for (const Field f : {Field::HitPoints, Field::ArmourClass, Field::Note, Field::Initiative})
        if (field(w, f, r)->isEnabled() == disabled)
            qFatal("row %d is half down", r);
    return disabled;
}
} // namespace

class TestCombatWindow : public WindowTest
{
    Q_OBJECT

public:
    TestCombatWindow() : WindowTest(Shown::Exposed) {}

private slots:
    void shortCombat();
    void typingHitPointsRunsNoRule();
    void unreadableInitiativeKeepsThePreviousOrder();
    void newCombatKeepsAmountsNoteAndList();
};

void TestCombatWindow::shortCombat()
{
    MainFrm &w = window();
    const struct { int row; const char *name, *hp, *ini; } party[] = {
        {0, "Goblin", "7", "12"}, {1, "Orc", "15", "5"}, {2, "Ogre", "30", "20"}, {18, "Wolf", "11", "9.5"}};
    for (const auto &c : party) {
        typeInto(field(w, Field::Name, c.row), QString::fromLatin1(c.name));
        typeInto(field(w, Field::HitPoints, c.row), QString::fromLatin1(c.hp));
        typeInto(field(w, Field::Initiative, c.row), QString::fromLatin1(c.ini));
    }
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    QCOMPARE(listTexts(orderList(w)), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s, u"05 - Orc"_s}));

    // The orc takes 10, then 15: at -10 it goes down.
    typeInto(amountBox(w, 1), u"10"_s);
    QTest::mouseClick(substractButton(w, 1), Qt::LeftButton);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"5"_s);
    QVERIFY(amountBox(w, 1)->text().isEmpty());
    QVERIFY(!isDown(w, 1));
    typeInto(amountBox(w, 1), u"15"_s);
    QTest::mouseClick(substractButton(w, 1), Qt::LeftButton);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"-10"_s);
    QVERIFY(isDown(w, 1));
    QVERIFY(!includeBox(w, 1)->isChecked());
    QVERIFY(field(w, Field::Fort, 1)->isEnabled() && amountBox(w, 1)->isEnabled() && hitPointsSpin(w, 1)->isEnabled());
    QCOMPARE(listTexts(orderList(w)).size(), 4); // the list waits for the button

    // Checking a down row's box by hand does not bring it back into the order.
    QTest::mouseClick(includeBox(w, 1), Qt::LeftButton);
    QVERIFY(includeBox(w, 1)->isChecked());
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    QCOMPARE(listTexts(orderList(w)), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s}));

    // Healed by one with the HP spin button, it is active again.
    QTest::mouseClick(hitPointsSpin(w, 1), Qt::LeftButton, {}, QPoint(hitPointsSpin(w, 1)->width() / 2, 2));
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"-9"_s);
    QVERIFY(!isDown(w, 1));
    QVERIFY(includeBox(w, 1)->isChecked());
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    QCOMPARE(listTexts(orderList(w)).last(), u"05 - Orc"_s);

    // Cleared, it is empty and out of the order; the other rows are untouched.
    typeInto(amountBox(w, 1), u"3"_s);
    QTest::mouseClick(clearButton(w, 1), Qt::LeftButton);
    QVERIFY(field(w, Field::Name, 1)->text().isEmpty() && field(w, Field::HitPoints, 1)->text().isEmpty()
            && field(w, Field::Initiative, 1)->text().isEmpty());
    QCOMPARE(amountBox(w, 1)->text(), u"3"_s);
    QCOMPARE(field(w, Field::Name, 0)->text(), u"Goblin"_s);
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    QCOMPARE(listTexts(orderList(w)), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s}));
    QVERIFY(prompts().messages.isEmpty());
}

void TestCombatWindow::typingHitPointsRunsNoRule()
{
    MainFrm &w = window();
    typeInto(field(w, Field::HitPoints, 3), u"-15"_s);
    QVERIFY(!isDown(w, 3));
    QVERIFY(includeBox(w, 3)->isChecked());
    // The next subtraction applies the rule.
    QTest::mouseClick(substractButton(w, 3), Qt::LeftButton);
    QCOMPARE(field(w, Field::HitPoints, 3)->text(), u"-15"_s);
    QVERIFY(isDown(w, 3));
}

void TestCombatWindow::unreadableInitiativeKeepsThePreviousOrder()
{
    MainFrm &w = window();
    typeInto(field(w, Field::Name, 0), u"Goblin"_s);
    typeInto(field(w, Field::Initiative, 0), u"3"_s);
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    QCOMPARE(listTexts(orderList(w)), QStringList{u"03 - Goblin"_s});

    typeInto(field(w, Field::Name, 4), u"Dragon"_s);
    typeInto(field(w, Field::Initiative, 4), u"1e999"_s);
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);

    QCOMPARE(listTexts(orderList(w)), QStringList{u"03 - Goblin"_s});
    QCOMPARE(field(w, Field::Initiative, 4)->text(), u"1e999"_s);
    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].text, u"Row 5 (Dragon): the initiative \"1e999\" is out of range."_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(QApplication::focusWidget(), field(w, Field::Initiative, 4)); // the field at fault, not the button
}

void TestCombatWindow::newCombatKeepsAmountsNoteAndList()
{
    MainFrm &w = window();
    typeInto(field(w, Field::Name, 2), u"Troll"_s);
    typeInto(field(w, Field::HitPoints, 2), u"-3"_s);
    typeInto(amountBox(w, 2), u"20"_s);
    QTest::mouseClick(substractButton(w, 2), Qt::LeftButton); // down at -23
    typeInto(field(w, Field::Name, 7), u"Bat"_s);
    QTest::mouseClick(includeBox(w, 7), Qt::LeftButton);
    typeInto(amountBox(w, 5), u"4"_s);
    generalNote(w)->setPlainText(u"Bridge\nRiver"_s);
    typeInto(field(w, Field::Name, 0), u"Goblin"_s);
    QTest::mouseClick(calculateButton(w), Qt::LeftButton);
    const QStringList order = listTexts(orderList(w));
    QCOMPARE(order, QStringList{u"00 - Goblin"_s});

    action(w, "mnuNew")->trigger();

    for (int r = 0; r < roster::RowCount; ++r) {
        QVERIFY(field(w, Field::Name, r)->text().isEmpty());
        QVERIFY(field(w, Field::HitPoints, r)->text().isEmpty());
        QVERIFY(!isDown(w, r));
        QVERIFY(includeBox(w, r)->isChecked());
    }
    QCOMPARE(amountBox(w, 5)->text(), u"4"_s);
    QCOMPARE(generalNote(w)->toPlainText(), u"Bridge\nRiver"_s);
    QCOMPARE(listTexts(orderList(w)), order);
}

QTEST_MAIN(TestCombatWindow)
#include "tst_combatwindow.moc"
