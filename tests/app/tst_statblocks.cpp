// Stat blocks into the roster through the real window: the preview before anything changes,
// the count for each block, one step for all, and a full roster refusing.
#include "WindowTest.h"

#include "app/library/LibraryIndexer.h"
#include "app/statblocks/StatBlockDialog.h"
#include "app/target/TargetBar.h"

#include <QApplication>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
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
    void theLibraryBarAddsAMonsterAndARowGoesBack();
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

// Ctrl+Shift+A: letters choose a monster of the library, a count, Enter; Ctrl+Shift+B writes a
// row back into the library's own folder as a block that reads to the same row.
void TestStatBlocks::theLibraryBarAddsAMonsterAndARowGoesBack()
{
    MainFrm &w = window();
    QTemporaryDir books, data;
    QFile file(books.filePath(u"bog.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(TwoBlocks.toUtf8()) > 0);
    file.close();
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    w.library().start({books.path()});
    QTRY_COMPARE(w.library().entries().size(), 2);

    QTest::keyClick(&w, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    TargetBar &bar = w.targetBar();
    QVERIFY(bar.isVisible());
    QCOMPARE(bar.mode(), TargetBar::Mode::Library);
    QTest::keyClicks(bar.targetEdit(), u"mtr"_s);
    QCOMPARE(w.library().entries()[bar.chosenEntry()].name, u"Marsh Troll"_s);
    QTest::keyClick(bar.targetEdit(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), u"2"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!bar.isVisible());
    QCOMPARE(w.combat().row(1).name, u"Marsh Troll 2"_s);
    QCOMPARE(w.combat().row(1).ac, u"18"_s);
    QCOMPARE(w.combat().history().undoText(), u"Add from Library (2)"_s);

    field(w, Field::Name, 1)->setFocus();
    QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    const QString saved = data.filePath(u"fraymark/library/Marsh Troll 2.txt"_s);
    QVERIFY2(QFile::exists(saved), qPrintable(prompts().messages.value(0).text));
    QFile back(saved);
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QList<combat::StatBlock> read = combat::readStatBlocks(QString::fromUtf8(back.readAll()));
    QCOMPARE(read.size(), 1);
    roster::Row expected = w.combat().row(1);
    roster::Row got = read[0].row;
    got.serial = expected.serial;
    got.check = expected.check;
    QCOMPARE(got, expected);
    qunsetenv("XDG_DATA_HOME");
}

QTEST_MAIN(TestStatBlocks)
#include "tst_statblocks.moc"
