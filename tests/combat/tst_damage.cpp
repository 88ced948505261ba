#include "combat/Damage.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Row states: 'A' active, 'U' active but unchecked by hand, 'D' down.
void setState(roster::Row &row, char state)
{
    row.down = state == 'D';
    row.check = state == 'A' ? 1 : 0;
}

} // namespace

class TestDamage : public QObject
{
    Q_OBJECT

private slots:
    void subtract_data()
    {
        QTest::addColumn<QString>("hp");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<char>("before");
        QTest::addColumn<QString>("newHp");
        QTest::addColumn<char>("after");
        const struct { const char *tag, *hp, *amount; char before; const char *newHp; char after; }
        cases[] = {
            {"25-7", "25", "7", 'A', "18", 'A'},
            {"down at exactly -10", "5", "15", 'A', "-10", 'D'},
            {"negative amount heals a down row", "-12", "-5", 'D', "-7", 'A'},
            {"fraction", "10", "2.5", 'A', "7.5", 'A'},
            {"empty on empty, rechecked", "", "", 'U', "0", 'A'},
            {"text tidied to its number", "12abc", "", 'A', "12", 'A'},
            {"amount text read to its number", "20", "3 points", 'A', "17", 'A'},
            {"no upper bound", "5000", "-10", 'A', "5010", 'A'},
            {"no lower bound", "-20", "5", 'D', "-25", 'D'},
            {"amount beyond a double, rule still runs", "-15", "1e999", 'A', "-15", 'D'},
            {"amount beyond a double, rechecked", "8", "1e999", 'U', "8", 'A'},
            {"difference overflows", "1e308", "-1e308", 'U', "1e308", 'A'},
            {"hp beyond a double, row as it was", "1e999", "5", 'U', "1e999", 'U'},
            {"hp beyond a double, stays down", "1e999", "5", 'D', "1e999", 'D'},
            {"a maximum kept", "37/45", "7", 'A', "30/45", 'A'},
            {"healing stops at the maximum", "37/45", "-20", 'A', "45/45", 'A'},
            {"above its maximum, a heal leaves it", "50/45", "-5", 'A', "50/45", 'A'},
            {"only a maximum stays after the number", "37/45 hp", "7", 'A', "30/45", 'A'},
            {"a sum of two hits", "30", "8+9", 'A', "13", 'A'},
            {"half, rounded toward 0", "30", "15/2", 'A', "23", 'A'},
        };
        for (const auto &c : cases)
            QTest::newRow(c.tag) << QString::fromUtf8(c.hp) << QString::fromUtf8(c.amount)
                                 << c.before << QString::fromUtf8(c.newHp) << c.after;
    }

    // An amount meant but mistyped, or past what a blow may be, is refused and kept to mend.
    void mistypedAmountsAreRefused()
    {
        for (const QString &typed : {u"101d6"_s, u"2d6 fire"_s, u"6d6/0"_s, u"t-5"_s, u"n1e300"_s, u"99999+1"_s}) {
            roster::Row row{u"Goblin"_s, u"30/45"_s, {}, {}, {}, {}, {}, {}, {}, {}, typed};
            const roster::Row before = row;
            combat::RandomDice dice(1);
            QVERIFY2(!combat::subtractDamage(row, dice).refused.isEmpty(), qPrintable(typed));
            QCOMPARE(row, before);
        }
    }

    void subtract()
    {
        QFETCH(QString, hp);
        QFETCH(QString, amount);
        QFETCH(char, before);
        QFETCH(QString, newHp);
        QFETCH(char, after);

        roster::Row row{u"Goblin"_s, hp, u"15"_s, u"12"_s, u"n"_s, {}, {}, {}, u"+4"_s, {}, amount};
        setState(row, before);
        roster::Row expected = row;
        expected.hp = newHp;
        expected.amount.clear();
        setState(expected, after);

        combat::RandomDice dice(1);
        combat::subtractDamage(row, dice);
        QCOMPARE(row, expected);
        QVERIFY(row.amount.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDamage)
#include "tst_damage.moc"
