// Stat blocks into the roster through the real window: the preview before anything changes,
// the count for each block, one step for all, and a full roster refusing.
#include "WindowTest.h"

#include "app/statblocks/StatBlockDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

class TestStatBlocks : public WindowTest
{
    Q_OBJECT

public:
    TestStatBlocks() : WindowTest(Shown::Active) {}

private slots:
    void thePreviewShowsTheRowsAndTheCountAddsThem();
};

namespace {

// Two blocks, one of each layout, the older one broken as a PDF breaks lines.
const QString TwoBlocks = uR"(Marsh Troll CR 5
XP 1,600
CE Large humanoid
Init +2; Senses darkvision 60 ft.; Perception +8
DEFENSE
AC 18, touch 11, flat-footed 16 (+2 Dex, +7 natural, -1 size)
hp 52 (5d8+30)
Fort +10, Ref +3, Will +2
OFFENSE
Speed 30 ft.
Melee bite +9 (1d8+6), 2 claws +9 (1d6+6)

Cave Ogre
Large Giant
Hit Dice: 4d8+11 (29 hp)
Initiative: -1
Speed: 40 ft.
Armor Class: 16 (-1 size, -1 Dex, +5 natural, +3 hide), touch 8, flat-footed 16
Base Attack/Grapple: +3/+12
Attack: Greatclub +8 melee (2d8+7)
Full Attack: Greatclub +8
melee (2d8+7)
Saves: Fort +6, Ref +0, Will +1
)"_s;

StatBlockDialog *openDialog(MainFrm &w, const QString &text)
{
    w.addFromStatBlocks(text);
    for (StatBlockDialog *dialog : w.findChildren<StatBlockDialog *>()) {
        if (dialog->isVisible())
            return dialog; // one closed before may wait to be deleted
    }
    return nullptr;
}

} // namespace

void TestStatBlocks::thePreviewShowsTheRowsAndTheCountAddsThem()
{
    MainFrm &w = window();
    field(w, Field::Name, 0)->setText(u"Aldric"_s);
    const roster::Roster before = w.combat().roster();

    StatBlockDialog *dialog = openDialog(w, TwoBlocks);
    QVERIFY(dialog);
    QTableWidget *preview = dialog->preview();
    QCOMPARE(preview->rowCount(), 2);
    QCOMPARE(preview->item(0, 1)->text(), u"Marsh Troll"_s);
    QCOMPARE(preview->item(0, 2)->text(), u"52/52"_s);
    QCOMPARE(preview->item(1, 1)->text(), u"Cave Ogre"_s);
    QCOMPARE(preview->item(1, 2)->text(), u"29/29"_s);
    QCOMPARE(w.combat().roster(), before); // nothing changes before Enter

    // 3 of the troll, none of the ogre: a digit on each block.
    QTRY_COMPARE(QApplication::focusWidget(), preview);
    QTest::keyClick(preview, Qt::Key_3);
    QTest::keyClick(preview, Qt::Key_Down);
    QTest::keyClick(preview, Qt::Key_0);
    QVERIFY(dialog->status().contains(u"adds 3 combatants"_s));
    QTest::keyClick(preview, Qt::Key_Return);
    QTRY_VERIFY(!dialog->isVisible());
    const QStringList names{w.combat().row(1).name, w.combat().row(2).name, w.combat().row(3).name};
    QCOMPARE(names, (QStringList{u"Marsh Troll"_s, u"Marsh Troll 2"_s, u"Marsh Troll 3"_s}));
    QCOMPARE(w.combat().row(3).hp, u"52/52"_s);
    QCOMPARE(w.combat().row(3).ini, u"+2"_s);
    QVERIFY(w.combat().row(4).name.isEmpty());
    QCOMPARE(w.combat().history().undoText(), u"Add from Stat Block (3)"_s);

    // Nineteen ogres do not fit beside four combatants: nothing is added, and it says why.
    dialog = openDialog(w, TwoBlocks);
    QVERIFY(dialog);
    QTest::keyClick(dialog->preview(), Qt::Key_0);
    QTest::keyClick(dialog->preview(), Qt::Key_Down);
    QTest::keyClicks(dialog->preview(), u"19"_s);
    QTest::keyClick(dialog->preview(), Qt::Key_Return);
    QTRY_COMPARE(prompts().messages.size(), 1);
    QVERIFY(prompts().messages[0].text.contains(u"nothing was added"_s));
    QCOMPARE(w.combat().row(4).name, QString());
}

QTEST_MAIN(TestStatBlocks)
#include "tst_statblocks.moc"
