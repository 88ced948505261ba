#include "files/CombatWriter.h"

#include <QFile>
#include <QtTest>

#include <functional>

using roster::Roster;
using roster::Row;

namespace {

QByteArray expectedFile(const char *name)
{
    QFile file(qEnvironmentVariable("FRAYMARK_TEST_DATA") + QStringLiteral("/files/") + QLatin1StringView(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

// The file's lines without their CR LF; fails the test if any line lacks it.
QList<QByteArray> crlfLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || !lines.takeLast().isEmpty())
        return {};
    for (QByteArray &line : lines) {
        if (!line.endsWith('\r') || line.count('\r') != 1)
            return {};
        line.chop(1);
    }
    return lines;
}

Row exampleRow(const char *name, const char *hp, const char *ac, const char *ini, const char *note,
               const char *will, const char *fort, const char *rex, const char *attack,
               const char *damage, qint16 check)
{
    Row row;
    row.name = QString::fromUtf8(name);
    row.hp = QString::fromUtf8(hp);
    row.ac = QString::fromUtf8(ac);
    row.ini = QString::fromUtf8(ini);
    row.note = QString::fromUtf8(note);
    row.will = QString::fromUtf8(will);
    row.fort = QString::fromUtf8(fort);
    row.rex = QString::fromUtf8(rex);
    row.attack = QString::fromUtf8(attack);
    row.damage = QString::fromUtf8(damage);
    row.check = check;
    return row;
}

} // namespace

class TestCombatWriter : public QObject
{
    Q_OBJECT

private slots:
    void twoFilledRowsByteForByte();
    void emptyRosterByteForByte();
    void eachFieldUnderItsKey_data();
    void eachFieldUnderItsKey();
    void noteLineBreaks_data();
    void noteLineBreaks();
    void lineBreaksInRowTextsKeepTheLayout();
    void amountIsNeverWritten();
    void encodingFollowsTheTexts();
};

void TestCombatWriter::twoFilledRowsByteForByte()
{
    Roster roster;
    roster.rows[0] = exampleRow("Goblin archer", "7", "15", "18", "on the ridge", "-1", "+1", "+3",
                                "+4 shortbow", "1d6", 1);
    roster.rows[1] = exampleRow("Ogre", "-12", "16", "5", "", "+1", "+6", "0", "+8 club", "2d8+7", 0);
    roster.rows[1].down = true;
    for (int r = 2; r < roster::RowCount; ++r)
        roster.rows[r].check = 0;
    roster.generalNote = QStringLiteral("Ambush at the ford\nWolves arrive at dusk");

    const QByteArray bytes = files::combatFileBytes(roster);
    QCOMPARE(crlfLines(bytes).size(), 247);
    QCOMPARE(bytes, expectedFile("example_combat.ini"));
}

void TestCombatWriter::emptyRosterByteForByte()
{
    const QByteArray bytes = files::combatFileBytes(Roster());
    QCOMPARE(crlfLines(bytes).size(), 247);
    QCOMPARE(bytes, expectedFile("empty_roster.ini"));
}

void TestCombatWriter::eachFieldUnderItsKey_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<std::function<void(Row &, const QString &)>>("set");

    using Set = std::function<void(Row &, const QString &)>;
    QTest::newRow("name") << 1 << QByteArray("Name") << Set([](Row &r, const QString &v) { r.name = v; });
    QTest::newRow("hp") << 2 << QByteArray("HP") << Set([](Row &r, const QString &v) { r.hp = v; });
    QTest::newRow("ac") << 3 << QByteArray("AC") << Set([](Row &r, const QString &v) { r.ac = v; });
    QTest::newRow("ini") << 4 << QByteArray("Ini") << Set([](Row &r, const QString &v) { r.ini = v; });
    QTest::newRow("note") << 5 << QByteArray("Note") << Set([](Row &r, const QString &v) { r.note = v; });
    QTest::newRow("will (captioned Fort)") << 6 << QByteArray("Will") << Set([](Row &r, const QString &v) { r.will = v; });
    QTest::newRow("fort (captioned Reflx)") << 7 << QByteArray("Fort") << Set([](Row &r, const QString &v) { r.fort = v; });
    QTest::newRow("rex (captioned Will)") << 8 << QByteArray("Rex") << Set([](Row &r, const QString &v) { r.rex = v; });
    QTest::newRow("attack") << 9 << QByteArray("Attack") << Set([](Row &r, const QString &v) { r.attack = v; });
    QTest::newRow("damage") << 10 << QByteArray("Damage") << Set([](Row &r, const QString &v) { r.damage = v; });
}

// A distinctive text in one field of row 7 shows up on that field's line only.
void TestCombatWriter::eachFieldUnderItsKey()
{
    QFETCH(int, line);
    QFETCH(QByteArray, key);
    QFETCH(std::function<void(Row &, const QString &)>, set);

    Roster roster;
    const QString value = QStringLiteral(" Orc=chief [x] ;1 ");
    set(roster.rows[7], value);
    const QList<QByteArray> lines = crlfLines(files::combatFileBytes(roster));
    QCOMPARE(lines.size(), 247);
    QCOMPARE(lines.at(7 * 13), QByteArray("[Info7]"));
    QCOMPARE(lines.at(7 * 13 + line), key + '=' + value.toLatin1());
    QCOMPARE(lines.count(key + '=' + value.toLatin1()), 1);
}

void TestCombatWriter::noteLineBreaks_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("three lines") << QStringLiteral("one\ntwo\nthree") << QByteArray("one(t55)two(t55)three");
    QTest::newRow("CR LF") << QStringLiteral("one\r\ntwo") << QByteArray("one(t55)two");
    QTest::newRow("lone CR") << QStringLiteral("one\rtwo") << QByteArray("one(t55)two");
    QTest::newRow("LF CR is two breaks") << QStringLiteral("one\n\rtwo") << QByteArray("one(t55)(t55)two");
    QTest::newRow("empty line") << QStringLiteral("one\r\n\r\ntwo") << QByteArray("one(t55)(t55)two");
    QTest::newRow("trailing break") << QStringLiteral("one\n") << QByteArray("one(t55)");
    QTest::newRow("no break") << QStringLiteral("= [Info0] ;") << QByteArray("= [Info0] ;");
}

void TestCombatWriter::noteLineBreaks()
{
    QFETCH(QString, note);
    QFETCH(QByteArray, written);
    Roster roster;
    roster.generalNote = note;
    const QList<QByteArray> lines = crlfLines(files::combatFileBytes(roster));
    QCOMPARE(lines.size(), 247);
    for (int r = 0; r < roster::RowCount; ++r)
        QCOMPARE(lines.at(r * 13 + 12), "GeneralNote=" + written);
}

void TestCombatWriter::lineBreaksInRowTextsKeepTheLayout()
{
    Roster roster;
    roster.rows[0].name = QStringLiteral("Orc\nchief");
    roster.rows[0].hp = QStringLiteral("5\r\nCheck=7");
    roster.rows[0].note = QStringLiteral("a\rb\r\n[Info3]");
    const QList<QByteArray> lines = crlfLines(files::combatFileBytes(roster));
    QCOMPARE(lines.size(), 247);
    QCOMPARE(lines.at(1), QByteArray("Name=Orc chief"));
    QCOMPARE(lines.at(2), QByteArray("HP=5 Check=7"));
    QCOMPARE(lines.at(5), QByteArray("Note=a b [Info3]"));
}

void TestCombatWriter::amountIsNeverWritten()
{
    Roster roster;
    roster.rows[3].amount = QStringLiteral("17");
    QCOMPARE(files::combatFileBytes(roster), files::combatFileBytes(Roster()));
}

void TestCombatWriter::encodingFollowsTheTexts()
{
    Roster roster;
    roster.rows[2].name = QStringLiteral("Orc é€");
    const QByteArray ansi = files::combatFileBytes(roster);
    QVERIFY(ansi.contains("Name=Orc \xE9\x80\r\n"));
    QVERIFY(!ansi.isValidUtf8());

    roster.rows[18].damage = QStringLiteral("1d6 ⚔");
    const QByteArray utf8 = files::combatFileBytes(roster);
    QVERIFY(utf8.contains("Name=Orc \xC3\xA9\xE2\x82\xAC\r\n"));
    QVERIFY(utf8.contains("Damage=1d6 \xE2\x9A\x94\r\n"));
    QVERIFY(utf8.isValidUtf8());
    QVERIFY(!utf8.startsWith("\xEF\xBB\xBF"));
}

QTEST_GUILESS_MAIN(TestCombatWriter)
#include "tst_combatwriter.moc"
