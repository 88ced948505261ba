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
        QTest::newRow("equal totals by the modifier in brackets, none is +0")
            << rosterOf({{0, "17 (-1)", "Alpha"}, {1, "17 (+3)", "Bravo"}, {2, "17", "Charlie"}, {3, "17 (+1 dex)", "Delta"}})
            << QStringList{u"17 - Bravo"_s, u"17 - Delta"_s, u"17 - Charlie"_s, u"17 - Alpha"_s}
            << QList<int>{1, 3, 2, 0};
        QTest::newRow("the modifier only among equal totals")
            << rosterOf({{0, "18 (-4)", "Ogre"}, {1, "17 (+3)", "Ilyra"}})
            << QStringList{u"18 - Ogre"_s, u"17 - Ilyra"_s} << QList<int>{0, 1};
        QTest::newRow("nobody") << Roster{} << QStringList{} << QList<int>{};
    }

    void order()
    {
        QFETCH(Roster, roster);
        QFETCH(QStringList, expected);
        QFETCH(QList<int>, rows);
        QCOMPARE(rowsAndTexts(combat::fightingOrderEntries(roster)), std::pair(rows, expected));
    }

    // A move settles a tie until the two stand apart; any other move lasts until the order is
    // calculated again. Rows: Alpha, Bravo, Charlie at 12, Ogre at 15.
    void movesAndTheNextCalculation_data()
    {
        QTest::addColumn<QList<int>>("moves");  // item, step; item, step; ...
        QTest::addColumn<QString>("change");    // what happens before the next calculation
        QTest::addColumn<QStringList>("moved"); // the names after the moves
        QTest::addColumn<QStringList>("recalculated");
        const QStringList natural{u"Ogre"_s, u"Charlie"_s, u"Bravo"_s, u"Alpha"_s};
        QTest::newRow("no move") << QList<int>{} << QString() << natural << natural;
        QTest::newRow("a tie settled stays settled")
            << QList<int>{3, -1, 2, -1} << QString()
            << QStringList{u"Ogre"_s, u"Alpha"_s, u"Charlie"_s, u"Bravo"_s}
            << QStringList{u"Ogre"_s, u"Alpha"_s, u"Charlie"_s, u"Bravo"_s};
        QTest::newRow("a renamed one keeps its settled place")
            << QList<int>{3, -1} << u"rename Alpha Zed"_s
            << QStringList{u"Ogre"_s, u"Charlie"_s, u"Alpha"_s, u"Bravo"_s}
            << QStringList{u"Ogre"_s, u"Charlie"_s, u"Zed"_s, u"Bravo"_s};
        QTest::newRow("one calculated apart loses its place, the others keep theirs")
            << QList<int>{3, -1, 2, -1} << u"initiatives 13,12"_s
            << QStringList{u"Ogre"_s, u"Alpha"_s, u"Charlie"_s, u"Bravo"_s}
            << QStringList{u"Ogre"_s, u"Charlie"_s, u"Bravo"_s, u"Alpha"_s};
        QTest::newRow("a newcomer among equals after the settled ones")
            << QList<int>{3, -1} << u"newcomer Zara"_s
            << QStringList{u"Ogre"_s, u"Charlie"_s, u"Alpha"_s, u"Bravo"_s}
            << QStringList{u"Ogre"_s, u"Charlie"_s, u"Alpha"_s, u"Bravo"_s, u"Zara"_s};
        QTest::newRow("past a higher initiative until the next calculation")
            << QList<int>{1, -1} << QString()
            << QStringList{u"Charlie"_s, u"Ogre"_s, u"Bravo"_s, u"Alpha"_s} << natural;
        QTest::newRow("nothing moves past either end")
            << QList<int>{0, -1, 3, 1} << QString() << natural << natural;
    }

    void movesAndTheNextCalculation()
    {
        QFETCH(QList<int>, moves);
        QFETCH(QString, change);
        QFETCH(QStringList, moved);
        QFETCH(QStringList, recalculated);
        Roster r = rosterOf({{0, "12", "Alpha"}, {1, "12", "Bravo"}, {2, "12", "Charlie"}, {3, "15", "Ogre"}});
        QList<combat::OrderEntry> order = combat::fightingOrderEntries(r);
        for (qsizetype i = 0; i + 1 < moves.size(); i += 2) {
            const bool inside = moves[i] + moves[i + 1] >= 0 && moves[i] + moves[i + 1] < order.size();
            QCOMPARE(combat::moveItem(order, moves[i], moves[i + 1]), inside);
        }
        auto names = [](const QList<combat::OrderEntry> &entries) {
            QStringList list;
            for (const combat::OrderEntry &entry : entries)
                list << entry.name;
            return list;
        };
        QCOMPARE(names(order), moved);
        if (change.startsWith(u"rename "))
            r.rows[0].name = change.section(u' ', 2);
        else if (change.startsWith(u"newcomer "))
            r.rows[4] = r.rows[1], r.rows[4].name = change.section(u' ', 1), ++r.rows[4].serial;
        // Alpha's initiative, calculated after each.
        for (const QString &initiative : change.startsWith(u"initiatives ") ? change.section(u' ', 1).split(u',') : QStringList()) {
            r.rows[0].ini = initiative;
            order = combat::fightingOrderEntries(r, order);
        }
        QCOMPARE(names(combat::fightingOrderEntries(r, order)), recalculated);
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
