// Honest dice, initiative from the fields, and what a roll's line tells.
#include "combat/Dice.h"
#include "combat/Initiative.h"
#include "combat/Rolls.h"

#include <QtTest>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// Gives the faces it was handed, in turn, checking the die asked for.
class ScriptedDice : public combat::Dice
{
public:
    explicit ScriptedDice(QList<int> faces)
        : m_faces(std::move(faces))
    {
    }
    int roll(int sides) override
    {
        if (m_faces.isEmpty())
            throw std::logic_error("more dice rolled than scripted");
        const int face = m_faces.takeFirst();
        if (face > sides)
            throw std::logic_error("a face beyond the die's sides");
        return face;
    }
    qsizetype left() const { return m_faces.size(); }

private:
    QList<int> m_faces;
};

// The line as read: its blanks that do not break as plain ones.
QString readable(QString line)
{
    return line.replace(QChar(0xa0), u' ');
}

} // namespace

class TestDice : public QObject
{
    Q_OBJECT

private slots:
    void d20FacesAreUniform();
    void fixedSeedRepeats();
    void initiativeModifiers_data();
    void initiativeModifiers();
    void rollInitiativeChoosesRows();
    void rollInitiativeChoosesFields_data();
    void rollInitiativeChoosesFields();
    void rollLines_data();
    void rollLines();
    void longResultKeepsItsSum();
};

void TestDice::d20FacesAreUniform()
{
    // 120,000 d20 with a fixed seed: chi-square with 19 degrees of freedom stays under
    // 43.82, what a fair die passes 999 times in 1,000. Each face is rolled at all.
    combat::RandomDice dice(20261208);
    std::array<int, 21> counts{};
    constexpr int Rolls = 120000;
    for (int i = 0; i < Rolls; ++i) {
        const int face = dice.roll(20);
        QVERIFY2(face >= 1 && face <= 20, qPrintable(QString::number(face)));
        ++counts[static_cast<std::size_t>(face)];
    }
    const double expected = Rolls / 20.0;
    double chiSquare = 0;
    for (int face = 1; face <= 20; ++face)
        chiSquare += std::pow(counts[static_cast<std::size_t>(face)] - expected, 2) / expected;
    QVERIFY2(chiSquare < 43.82, qPrintable(u"chi-square %1"_s.arg(chiSquare)));
}

void TestDice::fixedSeedRepeats()
{
    QCOMPARE(combat::diceSeedFrom("12345"), std::optional<std::uint64_t>(12345));
    QCOMPARE(combat::diceSeedFrom("12a"), std::nullopt);
    QCOMPARE(combat::diceSeedFrom("-1"), std::nullopt);
    QCOMPARE(combat::diceSeedFrom(""), std::nullopt);
    combat::RandomDice first(7), second(7);
    QList<int> a, b;
    for (int i = 0; i < 50; ++i)
        a << first.roll(100), b << second.roll(100);
    QCOMPARE(a, b);
}

void TestDice::initiativeModifiers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("rolls");
    QTest::addColumn<QString>("modifier");
    QTest::addColumn<int>("value");
    QTest::newRow("empty rolls plain") << u""_s << true << u"+0"_s << 0;
    QTest::newRow("blanks only") << u"   "_s << true << u"+0"_s << 0;
    QTest::newRow("bonus") << u"+3"_s << true << u"+3"_s << 3;
    QTest::newRow("penalty") << u"-1"_s << true << u"-1"_s << -1;
    QTest::newRow("minus sign") << u"−2"_s << true << u"−2"_s << -2;
    QTest::newRow("with words") << u" +3 dex "_s << true << u"+3 dex"_s << 3;
    QTest::newRow("rolled before") << u"17 (+3)"_s << true << u"+3"_s << 3;
    QTest::newRow("rolled before, words kept") << u"4 (-2 slow)"_s << true << u"-2 slow"_s << -2;
    QTest::newRow("rolled before, brackets kept") << u"13 (+3 (dex))"_s << true << u"+3 (dex)"_s << 3;
    QTest::newRow("a field too long to be a modifier") << u"+3 "_s + QString(200, u'y') << false << u""_s << 0;
    // The longest modifier still reads once rolled: its total and brackets make it no longer.
    QTest::newRow("the longest modifier, rolled") << u"-9998 (-1"_s + QString(118, u'y') + u')' << true
                                                  << u"-1"_s + QString(118, u'y') << -1;
    QTest::newRow("player's number stays") << u"15"_s << false << u""_s << 0;
    QTest::newRow("number with words stays") << u"15 readied"_s << false << u""_s << 0;
    QTest::newRow("decimal tie-break stays") << u"15.5"_s << false << u""_s << 0;
    QTest::newRow("brackets without a modifier") << u"17 (fast)"_s << false << u""_s << 0;
    QTest::newRow("words") << u"fast"_s << false << u""_s << 0;
    QTest::newRow("signed decimal is no modifier") << u"+3.5"_s << false << u""_s << 0;
    QTest::newRow("five digits is no modifier") << u"+12345"_s << false << u""_s << 0;
}

void TestDice::initiativeModifiers()
{
    QFETCH(QString, field);
    QFETCH(bool, rolls);
    const auto modifier = combat::initiativeModifier(field);
    QCOMPARE(modifier.has_value(), rolls);
    if (rolls) {
        QTEST(modifier->text, "modifier");
        QTEST(modifier->value, "value");
    }
}

void TestDice::rollInitiativeChoosesRows()
{
    roster::Roster roster;
    auto row = [&](int r, const QString &name, const QString &ini, const QString &note = {}) -> roster::Row & {
        roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        row.name = name, row.ini = ini, row.note = note;
        return row;
    };
    row(0, u"Sela"_s, u"+3"_s, u"[PC]"_s);
    row(1, u"Goblin"_s, u"+1"_s);
    row(2, u"Ogre"_s, u"-1"_s).check = 0;
    row(3, u"Wolf"_s, u""_s).down = true;
    row(4, u"Brother Aldric"_s, u"14"_s);
    row(5, u"Kobold"_s, u"quick"_s);
    row(6, QString(), u"+5"_s);

    ScriptedDice dice({14});
    const combat::InitiativeRolls monsters = combat::rollInitiative(roster, dice, {true, false, false});
    QCOMPARE(dice.left(), 0);
    QCOMPARE(monsters.roster.rows[0].ini, u"+3"_s);
    QCOMPARE(monsters.roster.rows[1].ini, u"15 (+1)"_s);
    QCOMPARE(monsters.roster.rows[2].ini, u"-1"_s);
    QCOMPARE(monsters.roster.rows[3].ini, QString());
    QCOMPARE(monsters.roster.rows[4].ini, u"14"_s);
    QCOMPARE(monsters.roster.rows[5].ini, u"quick"_s);
    QCOMPARE(monsters.roster.rows[6].ini, u"+5"_s);
    QStringList lines;
    for (const combat::RollRecord &record : monsters.records)
        lines << readable(combat::rollLine(record));
    QCOMPARE(lines, QStringList({u"Goblin, initiative +1: 15 (d20 14+1)"_s,
                                 u"Kobold, initiative quick: not a number or a modifier, left as it is"_s}));
    QCOMPARE(monsters.records.size(), 2);

    ScriptedDice more({2, 20});
    const combat::InitiativeRolls everyone = combat::rollInitiative(monsters.roster, more, {false, true, false});
    QCOMPARE(everyone.roster.rows[0].ini, u"5 (+3)"_s);
    QCOMPARE(everyone.roster.rows[1].ini, u"21 (+1)"_s);
    QCOMPARE(everyone.records[1].marks, QStringList()); // a natural 20 means nothing here

    roster::Roster empty;
    ScriptedDice none({});
    QCOMPARE(combat::rollLine(combat::rollInitiative(empty, none, {}).records.value(0)),
             u"Initiative: nobody in the fight to roll for"_s);
}

// Rows are "name|initiative" or "name|initiative|note", from the first row down.
void TestDice::rollInitiativeChoosesFields_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("monstersOnly");
    QTest::addColumn<bool>("again");
    QTest::addColumn<bool>("groups");
    QTest::addColumn<QList<int>>("faces");
    QTest::addColumn<QStringList>("initiatives"); // the rows' fields afterwards
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty field rolled") << QStringList{u"Goblin|"_s} << false << false << false << QList<int>{11}
        << QStringList{u"11 (+0)"_s} << QStringList{u"Goblin, initiative +0: 11 (d20 11+0)"_s};
    QTest::newRow("modifier only rolled") << QStringList{u"Orc|+3 dex"_s} << false << false << false << QList<int>{10}
        << QStringList{u"13 (+3 dex)"_s} << QStringList{u"Orc, initiative +3 dex: 13 (d20 10+3)"_s};
    QTest::newRow("rolled total kept") << QStringList{u"Orc|17 (+3)"_s, u"Goblin|-1"_s} << false << false << false
        << QList<int>{5} << QStringList{u"17 (+3)"_s, u"4 (-1)"_s} << QStringList{u"Goblin, initiative -1: 4 (d20 5-1)"_s};
    QTest::newRow("plain number kept") << QStringList{u"Sela|14"_s, u"Orc|17 (+3)"_s} << false << false << false
        << QList<int>{} << QStringList{u"14"_s, u"17 (+3)"_s}
        << QStringList{u"Initiative: everyone in the fight has an initiative; Roll Initiative Again rolls anew"_s};
    QTest::newRow("PC skipped for monsters") << QStringList{u"Sela|+2|[PC]"_s, u"Goblin|+1"_s} << true << false << false
        << QList<int>{6} << QStringList{u"+2"_s, u"7 (+1)"_s} << QStringList{u"Goblin, initiative +1: 7 (d20 6+1)"_s};
    QTest::newRow("again: rolled and modifier only, not a plain number")
        << QStringList{u"Orc|17 (+3)"_s, u"Goblin|+1"_s, u"Sela|14"_s} << false << true << false << QList<int>{2, 3}
        << QStringList{u"5 (+3)"_s, u"4 (+1)"_s, u"14"_s}
        << QStringList{u"Orc, initiative +3: 5 (d20 2+3)"_s, u"Goblin, initiative +1: 4 (d20 3+1)"_s};
    QTest::newRow("group of three: one d20, each its own modifier")
        << QStringList{u"Wolf|+2"_s, u"Wolf 2|+2"_s, u"Ogre|-1"_s, u"wolf 3|+4"_s, u"Wolf 4|+2"_s} << false << false << true
        << QList<int>{12, 4} << QStringList{u"14 (+2)"_s, u"14 (+2)"_s, u"3 (-1)"_s, u"16 (+4)"_s, u"14 (+2)"_s}
        << QStringList{u"Wolf, Wolf 2, Wolf 4, initiative +2: 14 (d20 12+2)"_s, u"Ogre, initiative -1: 3 (d20 4-1)"_s,
                       u"Wolf 3, initiative +4: 16 (d20 12+4)"_s};
    QTest::newRow("group: a newcomer takes its pack's d20")
        << QStringList{u"Wolf|14 (+2)"_s, u"Orc|+1"_s, u"Wolf 2|+3"_s} << false << false << true << QList<int>{7}
        << QStringList{u"14 (+2)"_s, u"8 (+1)"_s, u"15 (+3)"_s}
        << QStringList{u"Orc, initiative +1: 8 (d20 7+1)"_s, u"Wolf 2, initiative +3: 15 (d20 12+3), as Wolf rolled"_s};
    QTest::newRow("group off: each rolls") << QStringList{u"Wolf|+2"_s, u"Wolf 2|+2"_s} << false << false << false
        << QList<int>{12, 3} << QStringList{u"14 (+2)"_s, u"5 (+2)"_s}
        << QStringList{u"Wolf, initiative +2: 14 (d20 12+2)"_s, u"Wolf 2, initiative +2: 5 (d20 3+2)"_s};
}

void TestDice::rollInitiativeChoosesFields()
{
    QFETCH(QStringList, rows);
    QFETCH(bool, monstersOnly);
    QFETCH(bool, again);
    QFETCH(bool, groups);
    QFETCH(QList<int>, faces);
    roster::Roster roster;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QStringList parts = rows[r].split(u'|');
        roster.rows[static_cast<std::size_t>(r)].name = parts[0];
        roster.rows[static_cast<std::size_t>(r)].ini = parts[1];
        roster.rows[static_cast<std::size_t>(r)].note = parts.value(2);
    }
    ScriptedDice dice(faces);
    const combat::InitiativeRolls rolled = combat::rollInitiative(roster, dice, {monstersOnly, again, groups});
    QCOMPARE(dice.left(), 0);
    QStringList initiatives, lines;
    for (qsizetype r = 0; r < rows.size(); ++r)
        initiatives << rolled.roster.rows[static_cast<std::size_t>(r)].ini;
    for (const combat::RollRecord &record : rolled.records)
        lines << readable(combat::rollLine(record));
    QTEST(initiatives, "initiatives");
    QTEST(lines, "lines");
}

// A damage row rolls its text after the attack text, with the criticals of `threats`.
void TestDice::rollLines_data()
{
    QTest::addColumn<QString>("kind"); // attack, damage or dice
    QTest::addColumn<QString>("attack");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("threats"); // attack: those that threatened; damage: its criticals
    QTest::addColumn<QList<int>>("faces");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<QVariant>("total");
    const QVariant none;
    QTest::newRow("hit") << u"attack"_s << QString() << u"+4 shortbow"_s << QList<int>() << QList<int>{17}
                         << u"Ogre, attack +4 shortbow: 21 (d20 17+4)"_s << QStringList() << none;
    QTest::newRow("iteratives, a threat and its confirmation")
        << u"attack"_s << QString() << u"+12/+7 longsword 19-20/x2"_s << QList<int>{1} << QList<int>{3, 19, 8}
        << u"Ogre, attack +12/+7 longsword 19-20/x2: 15 (d20 3+12) · 26 (d20 19+7) threat x2, confirm 15 (d20 8+7)"_s
        << QStringList{u"threat"_s} << none;
    QTest::newRow("natural 20 threatens, natural 1 on the confirmation")
        << u"attack"_s << QString() << u"-1 dagger"_s << QList<int>{0} << QList<int>{20, 1}
        << u"Ogre, attack -1 dagger: 19 (d20 20-1) [20] threat, confirm 0 (d20 1-1) [1]"_s
        << QStringList{u"20"_s, u"threat"_s, u"1"_s} << none;
    QTest::newRow("labels when the attacks differ")
        << u"attack"_s << QString() << u"bite +7 and claw +5"_s << QList<int>() << QList<int>{10, 11}
        << u"Ogre, attack bite +7 and claw +5: bite 17 (d20 10+7) · claw 16 (d20 11+5)"_s << QStringList() << none;
    QTest::newRow("damage with its kind") << u"damage"_s << QString() << u"2d6+1d6-1 fire"_s << QList<int>() << QList<int>{3, 5, 6}
                                          << u"Ogre, damage 2d6+1d6-1 fire: 13 fire (2d6: 3 5, +1d6: 6, -1)"_s
                                          << QStringList() << QVariant(13);
    QTest::newRow("groups and their sum") << u"damage"_s << QString() << u"1d8+4 plus 1d6 cold"_s << QList<int>() << QList<int>{8, 2}
                                          << u"Ogre, damage 1d8+4 plus 1d6 cold: 12 (1d8: 8, +4) · 2 cold (1d6: 2) · in all 14"_s
                                          << QStringList() << QVariant(14);
    QTest::newRow("nothing to roll") << u"damage"_s << QString() << u"see notes"_s << QList<int>() << QList<int>{}
                                     << u"Ogre, damage see notes: nothing to roll"_s << QStringList() << none;
    QTest::newRow("one weapon's iteratives: a damage each")
        << u"damage"_s << u"longsword +12/+7"_s << u"1d8+4"_s << QList<int>() << QList<int>{3, 6}
        << u"Ogre, damage 1d8+4: 7 (1d8: 3, +4) · 10 (1d8: 6, +4) · in all 17"_s << QStringList() << QVariant(17);
    QTest::newRow("the damage's name counts the weapons")
        << u"damage"_s << QString() << u"2 claws 1d6+5"_s << QList<int>() << QList<int>{2, 4}
        << u"Ogre, damage 2 claws 1d6+5: claws 7 (1d6: 2, +5) · claws 9 (1d6: 4, +5) · in all 16"_s << QStringList() << QVariant(16);
    QTest::newRow("a damage for each weapon, as often as it attacks")
        << u"damage"_s << u"bite +7, 2 claws +5"_s << u"bite +7 (1d6+4), 2 claws +5 (1d4+2)"_s << QList<int>() << QList<int>{5, 1, 4}
        << u"Ogre, damage bite +7 (1d6+4), 2 claws +5 (1d4+2): bite 9 (1d6: 5, +4) · claws 3 (1d4: 1, +2) · claws 6 (1d4: 4, +2) · in all 18"_s
        << QStringList() << QVariant(18);
    QTest::newRow("one damage for several weapons: once")
        << u"damage"_s << u"bite +7 and 2 claws +5"_s << u"1d6+4"_s << QList<int>() << QList<int>{2}
        << u"Ogre, damage 1d6+4: 6 (1d6: 2, +4)"_s << QStringList() << QVariant(6);
    QTest::newRow("a critical doubles the weapon's dice and numbers, the fire once")
        << u"damage"_s << u"longsword +12/+7"_s << u"1d8+4 plus 1d6 fire"_s << QList<int>{1} << QList<int>{3, 2, 6, 5, 1}
        << u"Ogre, damage 1d8+4 plus 1d6 fire: 7 (1d8: 3, +4) · 2 fire (1d6: 2) · 10 (1d8: 6, +4) · critical x2 if confirmed 19 (2d8: 6 5, +8) · 1 fire (1d6: 1) · in all 20, 29 with the critical"_s
        << QStringList() << QVariant(20);
    QTest::newRow("a critical x3 as written")
        << u"damage"_s << u"greataxe +9 (1d12+6/x3)"_s << u"1d12+6"_s << QList<int>{0} << QList<int>{4, 10, 1}
        << u"Ogre, damage 1d12+6: 10 (1d12: 4, +6) · critical x3 if confirmed 33 (3d12: 4 10 1, +18)"_s << QStringList() << QVariant(10);
    QTest::newRow("dealt dice past the limit")
        << u"damage"_s << QString() << u"40 claws 30d6"_s << QList<int>() << QList<int>()
        << u"Ogre, damage 40 claws 30d6: more than 1000 dice"_s << QStringList() << none;
    QTest::newRow("dealt attacks past the limit")
        << u"damage"_s << QString() << u"41 claws 1d4"_s << QList<int>() << QList<int>()
        << u"Ogre, damage 41 claws 1d4: more than 40 attacks"_s << QStringList() << none;
    QTest::newRow("dice typed") << u"dice"_s << QString() << u"2d6+3"_s << QList<int>() << QList<int>{4, 5}
                                << u"Roll 2d6+3: 12 (2d6: 4, 5)"_s << QStringList() << QVariant(12);
    const QString refused = u"not dice to roll (such as 6d6, 1d20+7 or 8d6/2); nothing rolled"_s;
    QTest::newRow("dice with words") << u"dice"_s << QString() << u"4d6 drop lowest"_s << QList<int>() << QList<int>()
                                     << u"Roll 4d6 drop lowest: "_s + refused << QStringList() << none;
    QTest::newRow("temporary hit points are the target bar's") << u"dice"_s << QString() << u"t8"_s << QList<int>() << QList<int>()
                                                               << u"Roll t8: "_s + refused << QStringList() << none;
}

void TestDice::rollLines()
{
    QFETCH(QString, kind);
    QFETCH(QString, attack);
    QFETCH(QString, text);
    QFETCH(QList<int>, threats);
    QFETCH(QList<int>, faces);
    QFETCH(QVariant, total);
    ScriptedDice dice(faces);
    const combat::RollRecord record = kind == u"attack"_s ? combat::rollAttack(u"Ogre"_s, text, dice)
                                    : kind == u"damage"_s ? combat::rollDamage(u"Ogre"_s, text, attack, dice, threats)
                                                          : combat::rollDice(text, dice);
    QCOMPARE(dice.left(), 0);
    QTEST(readable(combat::rollLine(record)), "line");
    QTEST(record.marks, "marks");
    QCOMPARE(record.threats, threats);
    QCOMPARE(record.total.has_value(), total.isValid());
    if (total.isValid())
        QCOMPARE(*record.total, total.toLongLong());
}

void TestDice::longResultKeepsItsSum()
{
    // Forty kinds of damage: a line too long to read keeps its start and the sum in all.
    QStringList groups(40, u"1d2 fire"_s);
    ScriptedDice dice(QList<int>(40, 2));
    const QString line = readable(combat::rollLine(combat::rollDamage(u"Ogre"_s, groups.join(u" plus "_s), QString(), dice)));
    QVERIFY2(line.size() < 600, qPrintable(line));
    QVERIFY2(line.contains(u": 2 fire (1d2: 2) · 2 fire"_s) && line.contains(u'…'), qPrintable(line));
    QVERIFY2(line.endsWith(u" · in all 80"_s), qPrintable(line));
}

QTEST_APPLESS_MAIN(TestDice)
#include "tst_dice.moc"
