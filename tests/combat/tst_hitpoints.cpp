// The hit-point rules of one change: the maximum, temporary hit points, nonlethal damage, the
// down rule with Monsters Die at 0, and the health word the players see after it.
#include "combat/Health.h"
#include "combat/HitPoints.h"
#include "roster/Fields.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = combat::Amount::Kind;

class TestHitPoints : public QObject
{
    Q_OBJECT

private slots:
    void changes_data()
    {
        QTest::addColumn<QString>("hp");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("monstersAtZero");
        QTest::addColumn<QString>("hpAfter");
        QTest::addColumn<QString>("noteAfter");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("word"); // measured against 40 where the field has no maximum
        QTest::addColumn<QString>("said");
        const int hit = int(Kind::Hit), temp = int(Kind::Temporary), nonlethal = int(Kind::Nonlethal);
        const struct
        {
            const char *tag, *hp, *note;
            int kind;
            double amount;
            bool atZero;
            const char *hpAfter, *noteAfter;
            bool down;
            const char *word, *said;
        } cases[] = {
            // The maximum.
            {"damage keeps the maximum", "37/45", "", hit, 7, false, "30/45", "", false, "Hurt", ""},
            {"healing stops at the maximum", "40/45", "", hit, -10, false, "45/45", "", false, "Unhurt", "healed 5, to the maximum 45"},
            {"healing short of it says nothing", "30/45", "", hit, -10, false, "40/45", "", false, "Hurt", ""},
            {"above its maximum a heal leaves it", "50/45", "", hit, -5, false, "50/45", "", false, "Unhurt", "no healing, at the maximum 45 already"},
            {"bloodied at half the maximum", "45/45", "", hit, 23, false, "22/45", "", false, "Bloodied", ""},
            {"without a maximum heals freely", "38", "", hit, -5, false, "43", "", false, "Unhurt", ""},
            // Temporary hit points.
            {"a grant", "30", "Ogre", temp, 8, false, "30", "Ogre [Temp: 8]", false, "Hurt", ""},
            {"grants keep the higher", "30", "[Temp: 8]", temp, 5, false, "30", "[Temp: 8]", false, "Hurt",
             "keeps 8 temporary hit points (a second grant does not add up)"},
            {"a higher grant replaces it", "30", "[Temp: 3] x", temp, 8, false, "30", "[Temp: 8] x", false, "Hurt", ""},
            {"damage takes them first", "30", "[Temp: 8]", hit, 5, false, "30", "[Temp: 3]", false, "Hurt",
             "temporary hit points took it all, 3 left"},
            {"the tag leaves at 0, the rest hurts", "30", "a [Temp: 8] b", hit, 10, false, "28", "a b", false, "Hurt",
             "temporary hit points took 8, the rest 2"},
            {"healing leaves them", "30", "[Temp: 8]", hit, -5, false, "35", "[Temp: 8]", false, "Hurt", ""},
            // Nonlethal damage.
            {"nonlethal adds up", "30", "[Nonlethal: 4]", nonlethal, 7, false, "30", "[Nonlethal: 11]", false, "Hurt", ""},
            {"staggered at the hit points", "12", "", nonlethal, 12, false, "12", "[Nonlethal: 12]", false, "Staggered", ""},
            {"unconscious above them", "12", "[Nonlethal: 12]", nonlethal, 1, false, "12", "[Nonlethal: 13]", false, "Unconscious", ""},
            {"lethal damage to staggered", "14", "[Nonlethal: 12]", hit, 2, false, "12", "[Nonlethal: 12]", false, "Staggered", ""},
            {"healing heals as much nonlethal", "12", "[Nonlethal: 13]", hit, -5, false, "17", "[Nonlethal: 8]", false, "Bloodied", "nonlethal damage 13 to 8"},
            {"healed away, the tag leaves", "12", "x [Nonlethal: 3]", hit, -5, false, "17", "x", false, "Bloodied", "nonlethal damage 3 to 0"},
            {"dying outweighs unconscious", "-2", "[Nonlethal: 5]", nonlethal, 1, false, "-2", "[Nonlethal: 6]", false, "Dying", ""},
            // The down rule.
            {"disabled at 0", "5", "", hit, 5, false, "0", "", false, "Disabled", ""},
            {"dying below 0", "5", "", hit, 6, false, "-1", "", false, "Dying", ""},
            {"down at -10", "5", "", hit, 15, false, "-10", "", true, "Down", ""},
            {"a monster at 0 dies", "5", "Orc", hit, 5, true, "0", "Orc", true, "Down", ""},
            {"a player's character is disabled", "5", "[PC]", hit, 5, true, "0", "[PC]", false, "Disabled", ""},
            {"a player's character dying", "5", "[pc] Borin", hit, 9, true, "-4", "[pc] Borin", false, "Dying", ""},
            {"a monster above 0 lives", "5", "", hit, 4, true, "1", "", false, "Bloodied", ""},
        };
        for (const auto &c : cases)
            QTest::newRow(c.tag) << QString::fromUtf8(c.hp) << QString::fromUtf8(c.note) << c.kind << c.amount << c.atZero
                                 << QString::fromUtf8(c.hpAfter) << QString::fromUtf8(c.noteAfter) << c.down
                                 << QString::fromUtf8(c.word) << QString::fromUtf8(c.said);
    }

    void changes()
    {
        QFETCH(QString, hp);
        QFETCH(QString, note);
        QFETCH(int, kind);
        QFETCH(double, amount);
        QFETCH(bool, monstersAtZero);
        roster::Roster roster;
        roster::Row &row = roster.rows[2];
        row.name = u"Ogre"_s;
        row.hp = hp;
        row.note = note;
        row.check = 1;
        const combat::HitPointChange change = combat::changeHitPoints(row, Kind(kind), amount, {monstersAtZero});
        QCOMPARE(change.refusal, combat::HitPointChange::Refusal::None);
        QTEST(row.hp, "hpAfter");
        QTEST(row.note, "noteAfter");
        QTEST(row.down, "down");
        QCOMPARE(row.check, row.down ? 0 : 1);
        const combat::OrderEntry item{2, u"12 - Ogre"_s, u"Ogre"_s, 0, 40.0};
        QTEST(combat::healthWord(combat::healthOf(item, roster)), "word");
        QTEST(change.said, "said");
    }

    // A change is refused, and the row left as it was, where the hit points are no number a
    // blow can change or the tag would make the note too long to edit.
    void refusals()
    {
        roster::Row row;
        row.hp = u"1e999"_s;
        const roster::Row before = row;
        QCOMPARE(combat::changeHitPoints(row, Kind::Hit, 5).refusal, combat::HitPointChange::Refusal::HitPoints);
        QCOMPARE(row, before);
        row.hp = u"20"_s;
        row.note = QString(roster::EditableFieldLength - 3, u'x');
        const roster::Row full = row;
        QCOMPARE(combat::changeHitPoints(row, Kind::Temporary, 8).refusal, combat::HitPointChange::Refusal::NoteTooLong);
        QCOMPARE(row, full);
        // A note loaded longer than that still lets the hit points change.
        row.note = QString(roster::EditableFieldLength + 5000, u'x');
        QCOMPARE(combat::changeHitPoints(row, Kind::Hit, 5).refusal, combat::HitPointChange::Refusal::None);
        QCOMPARE(row.hp, u"15"_s);
    }
};

QTEST_GUILESS_MAIN(TestHitPoints)
#include "tst_hitpoints.moc"
