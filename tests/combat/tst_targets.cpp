// Choosing a blow's target from typed keys, and reading the blow's amount.
#include "combat/Targets.h"

#include "combat/DownRow.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestTargets : public QObject
{
    Q_OBJECT

private slots:
    void typedKeysChooseATarget_data();
    void typedKeysChooseATarget();
};

void TestTargets::typedKeysChooseATarget_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("row"); // 1-based; 0: nobody
    // The fight, in its order: Wolf 2 (row 5), Goblin archer (2), Wolf (4), Sela (1);
    // Ogre (3) is down, Kobold (6) had its box cleared, Archer captain (7)
    // joined after the calculation.
    QTest::newRow("beginning") << u"gob"_s << 2;
    QTest::newRow("case and blanks ignored") << u"  GOBLIN "_s << 2;
    QTest::newRow("contains") << u"lin arc"_s << 2;
    QTest::newRow("letters in order") << u"wo2"_s << 5;
    QTest::newRow("whole name of a twin") << u"wolf 2"_s << 5;
    QTest::newRow("twin's exact name before the other's beginning") << u"wolf"_s << 4;
    QTest::newRow("first in the order among beginnings") << u"wol"_s << 5;
    QTest::newRow("a beginning before an earlier contained text") << u"arch"_s << 7;
    QTest::newRow("row number") << u"#4"_s << 4;
    QTest::newRow("row number with blanks") << u"# 1"_s << 1;
    QTest::newRow("joined after the list") << u"capt"_s << 7;
    QTest::newRow("none") << u"troll"_s << 0;
    QTest::newRow("down not offered") << u"ogre"_s << 0;
    QTest::newRow("down not offered by number") << u"#3"_s << 0;
    QTest::newRow("out of the fight not offered") << u"kob"_s << 0;
    QTest::newRow("empty row by number") << u"#9"_s << 0;
    QTest::newRow("number out of the roster") << u"#99"_s << 0;
    QTest::newRow("nothing typed") << u" "_s << 0;
}

void TestTargets::typedKeysChooseATarget()
{
    QFETCH(QString, typed);
    QFETCH(int, row);
    roster::Roster roster;
    const QStringList names{u"Sela"_s, u"Goblin archer"_s, u"Ogre"_s, u"Wolf"_s, u"Wolf 2"_s, u"Kobold"_s};
    const QStringList initiatives{u"5"_s, u"18"_s, u"20"_s, u"12"_s, u"19"_s, u"3"_s};
    for (int r = 0; r < names.size(); ++r) {
        roster.rows[r].name = names[r];
        roster.rows[r].ini = initiatives[r];
        roster.rows[r].hp = u"10"_s;
    }
    const QList<combat::OrderEntry> order = combat::fightingOrderEntries(roster);
    roster.rows[2].hp = u"-12"_s;
    combat::applyDownRowRule(roster.rows[2]);
    roster.rows[5].check = 0; // its box cleared: out of the fight
    roster.rows[6].name = u"Archer captain"_s;

    const QList<int> rows = combat::targetRows(order, roster);
    QCOMPARE(rows, (QList<int>{4, 1, 3, 0, 6}));
    QCOMPARE(combat::findTarget(rows, roster, typed) + 1, row);
}

QTEST_APPLESS_MAIN(TestTargets)
#include "tst_targets.moc"
