// Combatants of a saved combat joining a running one.
#include "combat/Reinforcements.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestReinforcements : public QObject
{
    Q_OBJECT

private slots:
    void addCombatants_data();
    void addCombatants();
};

// Into a combat of Aldric, Sela and Wolf in rows 1, 2 and 4: rows 3 and 5 to 19 are free.
// Arrivals are "Name" or "Name:down".
void TestReinforcements::addCombatants_data()
{
    QTest::addColumn<QStringList>("arrivals");
    QTest::addColumn<QStringList>("names"); // rows 1 to 6 afterwards
    QTest::addColumn<QList<int>>("rows");   // where they went
    QTest::addColumn<int>("named");
    QStringList sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen << u"Rat %1"_s.arg(i);
    const QStringList party{u"Aldric"_s, u"Sela"_s, u""_s, u"Wolf"_s, u""_s, u""_s};
    QTest::newRow("free rows in the middle") << QStringList{u"Goblin"_s, u""_s, u"Orc"_s}
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Goblin"_s, u"Wolf"_s, u"Orc"_s, u""_s} << QList<int>{2, 4} << 2;
    QTest::newRow("exactly enough") << sixteen
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Rat 1"_s, u"Wolf"_s, u"Rat 2"_s, u"Rat 3"_s}
        << QList<int>{2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18} << 16;
    QTest::newRow("one too many: none") << sixteen + QStringList{u"Rat 17"_s} << party << QList<int>{} << 17;
    QTest::newRow("duplicate names") << QStringList{u" wolf "_s, u"Wolf"_s, u"Sela"_s}
        << QStringList{u"Aldric"_s, u"Sela"_s, u"wolf 2"_s, u"Wolf"_s, u"Wolf 3"_s, u"Sela 2"_s}
        << QList<int>{2, 4, 5} << 3;
    QTest::newRow("a down row stays down") << QStringList{u"Troll:down"_s}
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Troll"_s, u"Wolf"_s, u""_s, u""_s} << QList<int>{2} << 1;
    QTest::newRow("blanks are no name") << QStringList{u"  "_s} << party << QList<int>{} << 0;
}

void TestReinforcements::addCombatants()
{
    QFETCH(QStringList, arrivals);
    roster::Roster roster;
    roster.rows[0].name = u"Aldric"_s;
    roster.rows[1].name = u"Sela"_s;
    roster.rows[3].name = u"Wolf"_s;
    roster.rows[2].amount = u"4"_s; // a free row's amount box stays
    roster.generalNote = u"ambush"_s;
    roster::Roster file;
    for (qsizetype i = 0; i < arrivals.size(); ++i) {
        const QStringList parts = arrivals[i].split(u':');
        file.rows[i].name = parts[0];
        file.rows[i].down = parts.value(1) == u"down"_s;
        file.rows[i].check = file.rows[i].down ? 0 : 1;
        file.rows[i].amount = u"99"_s; // never brought in
    }
    const combat::Reinforcement added = combat::addCombatants(roster, file);

    QStringList names;
    for (int r = 0; r < 6; ++r)
        names << roster.rows[r].name;
    QTEST(names, "names");
    QTEST(added.rows, "rows");
    QTEST(added.named, "named");
    QCOMPARE(added.free, 16);
    QCOMPARE(roster.rows[2].amount, u"4"_s);
    QCOMPARE(roster.rows[2].down, arrivals.constFirst().endsWith(u":down"_s));
    QCOMPARE(roster.generalNote, u"ambush"_s);
}

QTEST_GUILESS_MAIN(TestReinforcements)
#include "tst_reinforcements.moc"
