#include "files/CombatWriter.h"

#include <QFile>
#include <QtTest>


using namespace Qt::Literals::StringLiterals;
using roster::Roster;

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

} // namespace

class TestCombatWriter : public QObject
{
    Q_OBJECT

private slots:
    void twoFilledRowsByteForByte();
    void emptyRosterByteForByte();
    void noteLineBreaks_data();
    void noteLineBreaks();
    void lineBreaksInRowTextsKeepTheLayout();
    void amountIsNeverWritten();
    void encodingFollowsTheTexts();
};

void TestCombatWriter::twoFilledRowsByteForByte()
{
    Roster roster;
    roster.rows[0] = {u"Goblin archer"_s, u"7"_s, u"15"_s, u"18"_s, u"on the ridge"_s, u"-1"_s, u"+1"_s,
                      u"+3"_s, u"+4 shortbow"_s, u"1d6"_s, {}, 1, false};
    roster.rows[1] = {u"Ogre"_s, u"-12"_s, u"16"_s, u"5"_s, {}, u"+1"_s, u"+6"_s, u"0"_s, u"+8 club"_s,
                      u"2d8+7"_s, {}, 0, true};
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
