#include "combat/DownRow.h"
#include "roster/FieldError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestDownRow : public QObject
{
    Q_OBJECT

private slots:
    // Each hit-point text runs from both starting states: the rule keeps no memory.
    void rule_data()
    {
        QTest::addColumn<QString>("hp");
        QTest::addColumn<bool>("wasDown");
        QTest::addColumn<bool>("down");
        const struct { const char *hp; bool down; } cases[] = {
            {"-9", false}, {"-9.5", false}, {"-9.999", false}, {"0", false}, {"5000", false},
            {"abc", false}, {"", false}, {"- 9", false}, {"-1e1x", true}, {"-10", true},
            {"-10abc", true}, {"-10.01", true}, {"-12", true}, {"-1e300", true},
        };
        for (const auto &c : cases)
            for (const bool wasDown : {false, true})
                QTest::addRow("%s from %s", c.hp, wasDown ? "down" : "active")
                    << QString::fromUtf8(c.hp) << wasDown << c.down;
    }

    void rule()
    {
        QFETCH(QString, hp);
        QFETCH(bool, wasDown);
        QFETCH(bool, down);
        QCOMPARE(combat::isDownHitPoints(hp), down);

        // Unchecked by hand or down: either way the rule alone decides the flag.
        roster::Row row{u"Orc"_s, hp, u"14"_s, u"12"_s, {}, {}, {}, {}, {}, {}, u"3"_s, 0, wasDown};
        roster::Row expected = row;
        expected.down = down;
        expected.check = down ? 0 : 1;
        combat::applyDownRowRule(row);
        QCOMPARE(row, expected);
    }

    void overflowLeavesTheRowAlone()
    {
        roster::Row row;
        row.hp = u"-1e999"_s;
        row.check = 0;
        const roster::Row before = row;
        try {
            combat::applyDownRowRule(row);
            QFAIL("no error raised");
        } catch (const roster::FieldError &e) {
            QCOMPARE(e.kind(), roster::FieldError::Kind::Overflow);
        }
        QCOMPARE(row, before);
    }
};

QTEST_GUILESS_MAIN(TestDownRow)
#include "tst_downrow.moc"
