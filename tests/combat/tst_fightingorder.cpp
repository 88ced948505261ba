#include "combat/FightingOrder.h"
#include "roster/FieldError.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Roster;

Q_DECLARE_METATYPE(roster::Roster)

namespace {

struct Combatant
{
    std::size_t row;
    const char *ini, *name;
};

Roster rosterOf(std::initializer_list<Combatant> combatants)
{
    Roster r;
    for (const Combatant &c : combatants) {
        r.rows.at(c.row).ini = QString::fromUtf8(c.ini);
        r.rows.at(c.row).name = QString::fromUtf8(c.name);
    }
    return r;
}

std::pair<QList<int>, QStringList> rowsAndTexts(const QList<combat::OrderEntry> &entries)
{
    std::pair<QList<int>, QStringList> split;
    for (const combat::OrderEntry &entry : entries) {
        split.first.append(entry.row);
        split.second.append(entry.text);
    }
    return split;
}

} // namespace

class TestFightingOrder : public QObject
{
    Q_OBJECT

private slots:
    // From the initiative field as typed to the line in the list.
    void itemText_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("item");
        const struct { const char *ini, *name, *item; } cases[] = {
            {"12", "Goblin", "12 - Goblin"}, {"5", "Orc", "05 - Orc"}, {"9", "Orc", "09 - Orc"},
            {"", "Orc", "00 - Orc"}, {"12abc", "Orc", "12 - Orc"}, {"-3", "Orc", "-3 - Orc"},
            {"7.50", "Orc", "07.5 - Orc"}, {"9.5", "Orc", "9.5 - Orc"}, {"100", "Orc", "100 - Orc"},
            {"-0", "Orc", "00 - Orc"}, {"0.25", "Orc", "00.25 - Orc"},
            {"-0.5", "Orc", "-0.5 - Orc"}, {"9.000001", "Orc", "9.000001 - Orc"},
            {"2e1", "Orc", "20 - Orc"},
            {"4", "  Orc chief ", "04 -   Orc chief "}, {"1", "   ", "01 -    "},
        };
        for (const auto &c : cases)
            QTest::newRow(c.item) << QString::fromUtf8(c.ini) << QString::fromUtf8(c.name)
                                  << QString::fromUtf8(c.item);
    }

    void itemText()
    {
        QFETCH(QString, ini);
        QFETCH(QString, name);
        QFETCH(QString, item);
        Roster r;
        r.rows[3].ini = ini;
        r.rows[3].name = name;
        QCOMPARE(rowsAndTexts(combat::fightingOrderEntries(r)).second, QStringList{item});
    }

    void order_data()
    {
        QTest::addColumn<Roster>("roster");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QList<int>>("rows"); // the row behind each line
        QTest::newRow("20 12 5 0")
            << rosterOf({{0, "5", "Orc"}, {1, "", "Rat"}, {2, "20", "Ogre"}, {3, "12", "Goblin"}})
            << QStringList{u"20 - Ogre"_s, u"12 - Goblin"_s, u"05 - Orc"_s, u"00 - Rat"_s}
            << QList<int>{2, 3, 0, 1};
        QTest::newRow("numeric, not textual")
            << rosterOf({{0, "-3", "A"}, {1, "9", "B"}, {2, "100", "C"}, {3, "0", "D"},
                         {4, "9.5", "E"}, {5, "12", "F"}})
            << QStringList{u"100 - C"_s, u"12 - F"_s, u"9.5 - E"_s, u"09 - B"_s, u"00 - D"_s,
                           u"-3 - A"_s}
            << QList<int>{2, 5, 4, 1, 3, 0};
        QTest::newRow("equal initiatives by name")
            << rosterOf({{0, "5", "Goblin"}, {1, "5.0", "Orc"}, {2, "5", "Bugbear"}})
            << QStringList{u"05 - Orc"_s, u"05 - Goblin"_s, u"05 - Bugbear"_s}
            << QList<int>{1, 0, 2};
        QTest::newRow("case does not decide first")
            << rosterOf({{0, "5", "goblin"}, {1, "5", "Orc"}})
            << QStringList{u"05 - Orc"_s, u"05 - goblin"_s} << QList<int>{1, 0};
        QTest::newRow("then case does")
            << rosterOf({{0, "5", "Orc"}, {1, "5", "orc"}, {2, "5", "ORC"}})
            << QStringList{u"05 - orc"_s, u"05 - Orc"_s, u"05 - ORC"_s} << QList<int>{1, 0, 2};
        QTest::newRow("nobody") << Roster{} << QStringList{} << QList<int>{};
    }

    void order()
    {
        QFETCH(Roster, roster);
        QFETCH(QStringList, expected);
        QFETCH(QList<int>, rows);
        QCOMPARE(rowsAndTexts(combat::fightingOrderEntries(roster)), std::pair(rows, expected));
    }

    // Rows left out are never read: their initiatives would throw.
    void onlyIncludedNamedActiveRowsTakePart()
    {
        Roster r = rosterOf({{0, "1e999", "Unchecked"}, {1, "1e999", "Down"},
                             {2, "1e999", "Down, rechecked"}, {3, "1e999", ""}, {4, "5", " "},
                             {18, "6", "Last row"}});
        r.rows[0].check = 0;
        r.rows[1].down = true;
        r.rows[1].check = 0;
        r.rows[2].down = true;
        QCOMPARE(rowsAndTexts(combat::fightingOrderEntries(r)),
                 std::pair(QList<int>{18, 4}, QStringList{u"06 - Last row"_s, u"05 -  "_s}));
    }

    void initiativeBeyondADoubleNamesRowAndText()
    {
        const Roster r = rosterOf({{0, "12", "Goblin"}, {4, "1e999", "Orc"}});
        try {
            combat::fightingOrderEntries(r);
            QFAIL("no error raised");
        } catch (const roster::FieldError &e) {
            QCOMPARE(e.kind(), roster::FieldError::Kind::Overflow);
            QCOMPARE(e.message(), u"Row 5 (Orc): the initiative \"1e999\" is out of range."_s);
        }
        try {
            combat::fightingOrderEntries(r);
            QFAIL("no error raised by the entries");
        } catch (const roster::FieldError &e) {
            QCOMPARE(e.kind(), roster::FieldError::Kind::Overflow);
            QCOMPARE(e.message(), u"Row 5 (Orc): the initiative \"1e999\" is out of range."_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestFightingOrder)
#include "tst_fightingorder.moc"
