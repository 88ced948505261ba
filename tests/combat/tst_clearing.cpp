#include "combat/Clearing.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Every text of row i names its field and the row; rows 2 and 18 down, row 9 unchecked.
roster::Roster filledRoster()
{
    roster::Roster r;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        const QString n = QString::number(i);
        r.rows[i] = {u"Name"_s + n, u"HP"_s + n, u"AC"_s + n, u"Ini"_s + n, u"Note"_s + n,
                     u"Will"_s + n, u"Fort"_s + n, u"Rex"_s + n, u"Attack"_s + n,
                     u"Damage"_s + n, u"Amount"_s + n, 1, false};
    }
    r.rows[2].down = r.rows[18].down = true;
    r.rows[2].check = r.rows[18].check = r.rows[9].check = 0;
    r.generalNote = u"Ambush at the ford\nsecond line"_s;
    return r;
}

// A row as start-up leaves it, apart from the amount box.
roster::Row clearedRow(const QString &amount)
{
    roster::Row row;
    row.amount = amount;
    return row;
}

} // namespace

class TestClearing : public QObject
{
    Q_OBJECT

private slots:
    void clearRowTouchesThatRowOnly_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("active") << 0;
        QTest::newRow("down") << 2;
        QTest::newRow("unchecked") << 9;
        QTest::newRow("last row, down") << 18;
    }

    void clearRowTouchesThatRowOnly()
    {
        QFETCH(int, row);
        const auto i = static_cast<std::size_t>(row);
        roster::Roster r = filledRoster();
        roster::Roster expected = r;
        expected.rows[i] = clearedRow(r.rows[i].amount);
        combat::clearRow(r.rows[i]);
        QCOMPARE(r, expected);
    }

    void newCombatClearsEveryRowAndKeepsTheNote()
    {
        roster::Roster r = filledRoster();
        const roster::Roster before = r;
        combat::newCombat(r);
        for (std::size_t i = 0; i < r.rows.size(); ++i)
            QCOMPARE(r.rows[i], clearedRow(before.rows[i].amount));
        QCOMPARE(r.generalNote, before.generalNote);

        const roster::Row emptied = r.rows[5];
        combat::newCombat(r);
        QCOMPARE(r.rows[5], emptied); // nothing left to change
    }
};

QTEST_GUILESS_MAIN(TestClearing)
#include "tst_clearing.moc"
