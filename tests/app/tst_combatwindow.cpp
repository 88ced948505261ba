// A short combat played through the real window: typing, clicking, reading the list.
#include "WindowFixture.h"
#include "app/widgets/SpinButton.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
bool isDown(MainFrm &w, int r)
{
    const bool disabled = !w.roster().ChrName[r]->isEnabled();
    for (QLineEdit *field : {w.roster().ChrHP[r], w.roster().ChrAC[r], w.roster().ChrNote[r], w.roster().ChrIni[r]})
        if (field->isEnabled() == disabled)
            qFatal("row %d is half down", r);
    return disabled;
}
} // namespace

class TestCombatWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    void cleanup() { m_fixture.reset(); }

    void shortCombat();
    void typingHitPointsRunsNoRule();
    void unreadableInitiativeKeepsThePreviousOrder();
    void newCombatKeepsAmountsNoteAndList();

private:
    MainFrm &window() { return *m_fixture->window; }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestCombatWindow::shortCombat()
{
    MainFrm &w = window();
    const struct { int row; const char *name, *hp, *ini; } party[] = {
        {0, "Goblin", "7", "12"}, {1, "Orc", "15", "5"}, {2, "Ogre", "30", "20"}, {18, "Wolf", "11", "9.5"}};
    for (const auto &c : party) {
        typeInto(w.roster().ChrName[c.row], QString::fromLatin1(c.name));
        typeInto(w.roster().ChrHP[c.row], QString::fromLatin1(c.hp));
        typeInto(w.roster().ChrIni[c.row], QString::fromLatin1(c.ini));
    }
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    QCOMPARE(listTexts(w.roster().List), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s, u"05 - Orc"_s}));

    // The orc takes 10, then 15: at -10 it goes down.
    typeInto(w.roster().SubsTxt[1], u"10"_s);
    QTest::mouseClick(w.roster().SubsCmd[1], Qt::LeftButton);
    QCOMPARE(w.roster().ChrHP[1]->text(), u"5"_s);
    QVERIFY(w.roster().SubsTxt[1]->text().isEmpty());
    QVERIFY(!isDown(w, 1));
    typeInto(w.roster().SubsTxt[1], u"15"_s);
    QTest::mouseClick(w.roster().SubsCmd[1], Qt::LeftButton);
    QCOMPARE(w.roster().ChrHP[1]->text(), u"-10"_s);
    QVERIFY(isDown(w, 1));
    QVERIFY(!w.roster().ChrChk[1]->isChecked());
    QVERIFY(w.roster().ChrWill[1]->isEnabled() && w.roster().SubsTxt[1]->isEnabled() && w.roster().UpDown1[1]->isEnabled());
    QCOMPARE(listTexts(w.roster().List).size(), 4); // the list waits for the button

    // Checking a down row's box by hand does not bring it back into the order.
    QTest::mouseClick(w.roster().ChrChk[1], Qt::LeftButton);
    QVERIFY(w.roster().ChrChk[1]->isChecked());
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    QCOMPARE(listTexts(w.roster().List), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s}));

    // Healed by one with the HP spin button, it is active again.
    QTest::mouseClick(w.roster().UpDown1[1], Qt::LeftButton, {}, QPoint(w.roster().UpDown1[1]->width() / 2, 2));
    QCOMPARE(w.roster().ChrHP[1]->text(), u"-9"_s);
    QVERIFY(!isDown(w, 1));
    QVERIFY(w.roster().ChrChk[1]->isChecked());
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    QCOMPARE(listTexts(w.roster().List).last(), u"05 - Orc"_s);

    // Cleared, it is empty and out of the order; the other rows are untouched.
    typeInto(w.roster().SubsTxt[1], u"3"_s);
    QTest::mouseClick(w.roster().cmdClear[1], Qt::LeftButton);
    QVERIFY(w.roster().ChrName[1]->text().isEmpty() && w.roster().ChrHP[1]->text().isEmpty() && w.roster().ChrIni[1]->text().isEmpty());
    QCOMPARE(w.roster().SubsTxt[1]->text(), u"3"_s);
    QCOMPARE(w.roster().ChrName[0]->text(), u"Goblin"_s);
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    QCOMPARE(listTexts(w.roster().List), (QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"9.5 - Wolf"_s}));
    QVERIFY(m_fixture->prompts->messages.isEmpty());
}

void TestCombatWindow::typingHitPointsRunsNoRule()
{
    MainFrm &w = window();
    typeInto(w.roster().ChrHP[3], u"-15"_s);
    QVERIFY(!isDown(w, 3));
    QVERIFY(w.roster().ChrChk[3]->isChecked());
    // The next subtraction applies the rule.
    QTest::mouseClick(w.roster().SubsCmd[3], Qt::LeftButton);
    QCOMPARE(w.roster().ChrHP[3]->text(), u"-15"_s);
    QVERIFY(isDown(w, 3));
}

void TestCombatWindow::unreadableInitiativeKeepsThePreviousOrder()
{
    MainFrm &w = window();
    typeInto(w.roster().ChrName[0], u"Goblin"_s);
    typeInto(w.roster().ChrIni[0], u"3"_s);
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    QCOMPARE(listTexts(w.roster().List), QStringList{u"03 - Goblin"_s});

    typeInto(w.roster().ChrName[4], u"Dragon"_s);
    typeInto(w.roster().ChrIni[4], u"1e999"_s);
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);

    QCOMPARE(listTexts(w.roster().List), QStringList{u"03 - Goblin"_s});
    QCOMPARE(w.roster().ChrIni[4]->text(), u"1e999"_s);
    QCOMPARE(m_fixture->prompts->messages.size(), 1);
    QCOMPARE(m_fixture->prompts->messages[0].text, u"Row 5 (Dragon): the initiative \"1e999\" is out of range."_s);
    QCOMPARE(m_fixture->prompts->messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(QApplication::focusWidget(), w.roster().ChrIni[4]); // the field at fault, not the button
}

void TestCombatWindow::newCombatKeepsAmountsNoteAndList()
{
    MainFrm &w = window();
    typeInto(w.roster().ChrName[2], u"Troll"_s);
    typeInto(w.roster().ChrHP[2], u"-3"_s);
    typeInto(w.roster().SubsTxt[2], u"20"_s);
    QTest::mouseClick(w.roster().SubsCmd[2], Qt::LeftButton); // down at -23
    typeInto(w.roster().ChrName[7], u"Bat"_s);
    QTest::mouseClick(w.roster().ChrChk[7], Qt::LeftButton);
    typeInto(w.roster().SubsTxt[5], u"4"_s);
    w.roster().NotesTxt->setPlainText(u"Bridge\nRiver"_s);
    typeInto(w.roster().ChrName[0], u"Goblin"_s);
    QTest::mouseClick(w.roster().Command1, Qt::LeftButton);
    const QStringList order = listTexts(w.roster().List);
    QCOMPARE(order, QStringList{u"00 - Goblin"_s});

    w.mnuNew->trigger();

    for (int r = 0; r < roster::RowCount; ++r) {
        QVERIFY(w.roster().ChrName[r]->text().isEmpty());
        QVERIFY(w.roster().ChrHP[r]->text().isEmpty());
        QVERIFY(!isDown(w, r));
        QVERIFY(w.roster().ChrChk[r]->isChecked());
    }
    QCOMPARE(w.roster().SubsTxt[5]->text(), u"4"_s);
    QCOMPARE(w.roster().NotesTxt->toPlainText(), u"Bridge\nRiver"_s);
    QCOMPARE(listTexts(w.roster().List), order);
}

QTEST_MAIN(TestCombatWindow)
#include "tst_combatwindow.moc"
