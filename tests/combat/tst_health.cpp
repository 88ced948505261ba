// Health in words, from the hit points and the most the combatant has had.
#include "combat/Health.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestHealth : public QObject
{
    Q_OBJECT

private slots:
    void words_data()
    {
        QTest::addColumn<QString>("hp");
        QTest::addColumn<double>("highest");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("word");
        QTest::newRow("at the most") << u"30"_s << 30.0 << false << u"Unhurt"_s;
        QTest::newRow("healed above it") << u"35"_s << 30.0 << false << u"Unhurt"_s;
        QTest::newRow("one off") << u"29"_s << 30.0 << false << u"Hurt"_s;
        QTest::newRow("just above half") << u"15.5"_s << 30.0 << false << u"Hurt"_s;
        QTest::newRow("half") << u"15"_s << 30.0 << false << u"Bloodied"_s;
        QTest::newRow("one left") << u"1"_s << 30.0 << false << u"Bloodied"_s;
        QTest::newRow("disabled at 0") << u"0"_s << 30.0 << false << u"Disabled"_s;
        QTest::newRow("no number reads as 0") << u"?"_s << 30.0 << false << u"Disabled"_s;
        QTest::newRow("dying") << u"-1"_s << 30.0 << false << u"Dying"_s;
        QTest::newRow("at its maximum, below the most it had") << u"45/45"_s << 50.0 << false << u"Unhurt"_s;
        QTest::newRow("half its maximum") << u"22/45"_s << 22.0 << false << u"Bloodied"_s;
        QTest::newRow("dying at -9") << u"-9"_s << 30.0 << false << u"Dying"_s;
        QTest::newRow("down") << u"-10"_s << 30.0 << true << u"Down"_s;
    }

    void words()
    {
        QFETCH(QString, hp);
        QFETCH(double, highest);
        QFETCH(bool, down);
        roster::Roster roster;
        roster.rows[3].name = u"Ogre"_s;
        roster.rows[3].hp = hp;
        roster.rows[3].down = down;
        const combat::OrderEntry item{3, u"12 - Ogre"_s, u"Ogre"_s, 0, highest};
        QTEST(combat::healthWord(combat::healthOf(item, roster)), "word");
    }

    void theMostRisesWithTheHitPoints()
    {
        roster::Roster roster;
        roster.rows[0].name = u"Ogre"_s;
        roster.rows[0].hp = u"40"_s;
        roster.rows[1].name = u"Wolf"_s;
        roster.rows[1].hp = u"9"_s;
        QList<combat::OrderEntry> order{{0, u"Ogre"_s, u"Ogre"_s, 0, 30.0}, {1, u"Wolf"_s, u"Wolf"_s, 0, 12.0}};
        combat::followHitPoints(order, roster);
        QCOMPARE(order[0].highest, 40.0);
        QCOMPARE(order[1].highest, 12.0); // never lowered
        ++roster.rows[0].serial; // another combatant in the row: not followed
        roster.rows[0].hp = u"80"_s;
        combat::followHitPoints(order, roster);
        QCOMPARE(order[0].highest, 40.0);
    }
};

QTEST_GUILESS_MAIN(TestHealth)
#include "tst_health.moc"
