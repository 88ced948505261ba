#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using files::LoadOutcome;
using roster::Roster;
using Status = LoadOutcome::Status;

Q_DECLARE_METATYPE(LoadOutcome::Status)

namespace {

QByteArray dataFile(const char *name)
{
    QFile file(qEnvironmentVariable("FRAYMARK_TEST_DATA") + QStringLiteral("/files/") + QLatin1StringView(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

// A roster unlike anything a test file holds, so that any change shows.
Roster currentRoster()
{
    Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = roster.rows[r];
        row.name = QStringLiteral("Before %1").arg(r);
        row.hp = QStringLiteral("-20");
        row.ini = QString::number(r);
        row.amount = QStringLiteral("3");
        row.check = 0;
        row.down = true;
    }
    roster.generalNote = QStringLiteral("note before");
    return roster;
}

// Rows with distinct texts in every field and hit points that keep them active.
Roster fileRoster()
{
    Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = roster.rows[r];
        const QString n = QString::number(r);
        row.name = QStringLiteral("Name ") + n;
        row.hp = QString::number(10 + r);
        row.ac = QStringLiteral("AC ") + n;
        row.ini = QStringLiteral("Ini ") + n;
        row.note = QStringLiteral("Note ") + n;
        row.will = QStringLiteral("Will ") + n;
        row.fort = QStringLiteral("Fort ") + n;
        row.rex = QStringLiteral("Rex ") + n;
        row.attack = QStringLiteral("Attack ") + n;
        row.damage = QStringLiteral("Damage ") + n;
    }
    roster.generalNote = QStringLiteral("line one\nline two");
    return roster;
}

// What `fileRoster` loads into: its texts, `current`'s amounts, every row active.
Roster expectedAfterLoad(Roster loaded, const Roster &current)
{
    for (int r = 0; r < roster::RowCount; ++r) {
        loaded.rows[r].amount = current.rows[r].amount;
        loaded.rows[r].check = 1;
        loaded.rows[r].down = false;
    }
    return loaded;
}

// The file as text lines (CR LF kept out), to be edited and joined again.
QStringList fileLines(const Roster &roster)
{
    QStringList lines = QString::fromLatin1(files::combatFileBytes(roster)).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

QByteArray joinLines(const QStringList &lines, const char *lineEnd = "\r\n")
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + lineEnd;
    return bytes;
}

// Sets the value of `key` in the section of `row`; an empty key list removes it.
void setValue(QStringList &lines, int row, const QString &key, const std::optional<QString> &value)
{
    const int at = row * 13 + 1;
    for (int i = at; i < at + 12; ++i) {
        if (lines.at(i).startsWith(key + u'=')) {
            if (value)
                lines[i] = key + u'=' + *value;
            else
                lines.removeAt(i);
            return;
        }
    }
    qFatal("no such key");
}

void removeAllChecks(QStringList &lines)
{
    lines.removeIf([](const QString &line) { return line.startsWith(QStringLiteral("Check=")); });
}

} // namespace

class TestCombatLoader : public QObject
{
    Q_OBJECT

private slots:
    void fileOfThisVersionLoadsWhole();
    void exampleFile();
    void downRowRule_data();
    void downRowRule();
    void rowSavedDownEditedToActive();
    void checkValues_data();
    void checkValues();
    void noCheckKeys();
    void failureLeavesEverything();
    void laterFailureAfterWarningPassesSilently();
    void overflowingHitPointsAfterWarningCountAsDown();
    void lastSectionWithoutNote();
    void noteOfTheLastSectionStays();
    void onlyTenSections();
    void lineFeedOnlyFile();
    void windows1252File();
    void refusals_data();
    void refusals();
    void unreadableFile();
    void messages();
};

void TestCombatLoader::fileOfThisVersionLoadsWhole()
{
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(files::combatFileBytes(fileRoster()), current);
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.oldVersionRow);
    QVERIFY(outcome.message.isEmpty());
    QCOMPARE(outcome.roster, expectedAfterLoad(fileRoster(), current));
}

void TestCombatLoader::exampleFile()
{
    const LoadOutcome outcome = files::loadCombat(dataFile("example_combat.ini"), Roster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.oldVersionRow);
    const Roster &loaded = outcome.roster;
    QCOMPARE(loaded.generalNote, QStringLiteral("Ambush at the ford\nWolves arrive at dusk"));
    QCOMPARE(loaded.rows[0].attack, QStringLiteral("+4 shortbow"));
    QCOMPARE(loaded.rows[0].will, QStringLiteral("-1"));
    QCOMPARE(loaded.rows[0].fort, QStringLiteral("+1"));
    QCOMPARE(loaded.rows[0].rex, QStringLiteral("+3"));
    QCOMPARE(loaded.rows[1].name, QStringLiteral("Ogre"));
    QVERIFY(loaded.rows[1].down);
    QCOMPARE(loaded.rows[1].check, qint16(0));
    for (int r = 2; r < roster::RowCount; ++r) {
        QVERIFY(!loaded.rows[r].down);
        QCOMPARE(loaded.rows[r].check, qint16(1)); // the file says 0
        QVERIFY(loaded.rows[r].name.isEmpty());
    }
}

void TestCombatLoader::downRowRule_data()
{
    QTest::addColumn<QString>("hp");
    QTest::addColumn<bool>("down");
    const struct { const char *hp; bool down; } cases[] = {
        {"-10", true}, {"-9", false}, {"-10abc", true}, {"abc", false}, {"", false},
        {"-9.5", false}, {"-10.5", true}, {"-1e3", true}, {" - 11 ", true}, {"5", false},
    };
    for (const auto &c : cases)
        QTest::newRow(c.hp) << QString::fromUtf8(c.hp) << c.down;
}

void TestCombatLoader::downRowRule()
{
    QFETCH(QString, hp);
    QFETCH(bool, down);
    Roster file = fileRoster();
    file.rows[6].hp = hp;
    const LoadOutcome outcome = files::loadCombat(files::combatFileBytes(file), currentRoster());
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.roster.rows[6].hp, hp);
    QCOMPARE(outcome.roster.rows[6].down, down);
    QCOMPARE(outcome.roster.rows[6].check, qint16(down ? 0 : 1));
}

void TestCombatLoader::rowSavedDownEditedToActive()
{
    Roster saved = fileRoster();
    saved.rows[3].hp = QStringLiteral("-15");
    saved.rows[3].check = 0;
    saved.rows[3].down = true;
    QStringList lines = fileLines(saved);
    QCOMPARE(lines.at(3 * 13 + 11), QStringLiteral("Check=0"));
    setValue(lines, 3, QStringLiteral("HP"), QStringLiteral("5"));

    const LoadOutcome outcome = files::loadCombat(joinLines(lines), currentRoster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.roster.rows[3].down);
    QCOMPARE(outcome.roster.rows[3].check, qint16(1));
}

void TestCombatLoader::checkValues_data()
{
    QTest::addColumn<QString>("check");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("warningRow"); // -1: none

    const struct { const char *check; Status status; int warningRow; } cases[] = {
        {"0", Status::Loaded, -1}, {"1", Status::Loaded, -1}, {"2", Status::Loaded, -1},
        {" 1 ", Status::Loaded, -1}, {"0.6", Status::Loaded, -1}, {"2.5", Status::Loaded, -1},
        {"", Status::Loaded, 5}, {"abc", Status::Loaded, 5}, {"1x", Status::Loaded, 5},
        {"7", Status::Failed, -1}, {"-1", Status::Failed, -1}, {"3.5", Status::Failed, -1},
        {"70000", Status::Failed, -1}, {"-40000", Status::Failed, -1}, {"1e999", Status::Failed, -1},
    };
    for (const auto &c : cases)
        QTest::addRow("check '%s'", c.check) << QString::fromUtf8(c.check) << c.status << c.warningRow;
}

void TestCombatLoader::checkValues()
{
    QFETCH(QString, check);
    QFETCH(Status, status);
    QFETCH(int, warningRow);
    QStringList lines = fileLines(fileRoster());
    setValue(lines, 5, QStringLiteral("Check"), check);
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);

    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.oldVersionRow.value_or(-1), warningRow);
    if (status == Status::Loaded) {
        QCOMPARE(outcome.roster, expectedAfterLoad(fileRoster(), current));
        QVERIFY(outcome.message.isEmpty());
    } else {
        QCOMPARE(outcome.roster, current);
        QVERIFY2(outcome.message.contains(QStringLiteral("[Info5]")), qPrintable(outcome.message));
        QVERIFY2(outcome.message.contains(check.trimmed()), qPrintable(outcome.message));
    }
}

void TestCombatLoader::noCheckKeys()
{
    QStringList lines = fileLines(fileRoster());
    removeAllChecks(lines);
    QCOMPARE(lines.size(), 19 * 12);
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(0));
    QCOMPARE(outcome.roster, expectedAfterLoad(fileRoster(), current));
}

void TestCombatLoader::failureLeavesEverything()
{
    QStringList lines = fileLines(fileRoster());
    setValue(lines, 4, QStringLiteral("Check"), QStringLiteral("7"));
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);
    QCOMPARE(outcome.status, Status::Failed);
    QVERIFY(!outcome.oldVersionRow);
    QCOMPARE(outcome.roster, current);
    QCOMPARE(outcome.message, QStringLiteral("Row 5 (section [Info4]) has the check value \"7\", which is not 0, 1 or 2."));
}

void TestCombatLoader::laterFailureAfterWarningPassesSilently()
{
    QStringList lines = fileLines(fileRoster());
    setValue(lines, 9, QStringLiteral("Check"), QStringLiteral("7"));
    setValue(lines, 12, QStringLiteral("Check"), QStringLiteral("70000"));
    setValue(lines, 2, QStringLiteral("Check"), std::nullopt);
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(2));
    QVERIFY(outcome.message.isEmpty());
    QCOMPARE(outcome.roster, expectedAfterLoad(fileRoster(), current));
}

void TestCombatLoader::overflowingHitPointsAfterWarningCountAsDown()
{
    Roster file = fileRoster();
    file.rows[8].hp = QStringLiteral("1e999");
    QStringList lines = fileLines(file);
    const Roster current = currentRoster();
    QCOMPARE(files::loadCombat(joinLines(lines), current).status, Status::Failed);

    removeAllChecks(lines);
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(outcome.roster.rows[8].down);
    QCOMPARE(outcome.roster.rows[8].check, qint16(0));
    QCOMPARE(outcome.roster.rows[8].hp, QStringLiteral("1e999"));
    QVERIFY(!outcome.roster.rows[9].down);
}

void TestCombatLoader::lastSectionWithoutNote()
{
    QStringList lines = fileLines(fileRoster());
    setValue(lines, 18, QStringLiteral("GeneralNote"), std::nullopt);
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), currentRoster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(outcome.roster.generalNote.isEmpty());
    QCOMPARE(outcome.roster.rows[18].name, QStringLiteral("Name 18"));
}

void TestCombatLoader::noteOfTheLastSectionStays()
{
    QStringList lines = fileLines(fileRoster());
    setValue(lines, 0, QStringLiteral("GeneralNote"), QStringLiteral("first"));
    setValue(lines, 18, QStringLiteral("GeneralNote"), QStringLiteral("a(t55)b(T55)c(t55"));
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), currentRoster());
    QCOMPARE(outcome.roster.generalNote, QStringLiteral("a\nb(T55)c(t55"));
}

void TestCombatLoader::onlyTenSections()
{
    const QStringList lines = fileLines(fileRoster()).first(10 * 13);
    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombat(joinLines(lines), current);
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(10));
    QVERIFY(outcome.roster.generalNote.isEmpty());

    Roster expected = expectedAfterLoad(fileRoster(), current);
    for (int r = 10; r < roster::RowCount; ++r) {
        const QString amount = expected.rows[r].amount;
        expected.rows[r] = roster::Row();
        expected.rows[r].amount = amount;
    }
    expected.generalNote.clear();
    QCOMPARE(outcome.roster, expected);
}

void TestCombatLoader::lineFeedOnlyFile()
{
    const Roster current = currentRoster();
    const QByteArray crlf = joinLines(fileLines(fileRoster()));
    const QByteArray lf = joinLines(fileLines(fileRoster()), "\n");
    QVERIFY(!lf.contains('\r'));
    const LoadOutcome outcome = files::loadCombat(lf, current);
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.roster, files::loadCombat(crlf, current).roster);
    QCOMPARE(outcome.roster, expectedAfterLoad(fileRoster(), current));
}

void TestCombatLoader::windows1252File()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("alt.ini"));
    QVERIFY(QFile::copy(qEnvironmentVariable("FRAYMARK_TEST_DATA") + QStringLiteral("/files/windows1252_combat.ini"), path));
    const LoadOutcome outcome = files::loadCombatFile(path, Roster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.oldVersionRow);
    const roster::Row &row = outcome.roster.rows[0];
    QCOMPARE(row.name, QStringLiteral("Orc é€"));
    QCOMPARE(row.note, QStringLiteral("Hauptmann Müller’s „Garde“"));
    QCOMPARE(row.attack, QStringLiteral("+5 Axt"));
    QCOMPARE(outcome.roster.generalNote, QStringLiteral("Brücke\nZweite Zeile – Ende"));
}

void TestCombatLoader::refusals_data()
{
    QTest::addColumn<QString>("name");        // what to create in the folder, then load
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << QStringLiteral("none.ini") << QByteArray() << QStringLiteral("does not exist");
    QTest::newRow("folder") << QStringLiteral("folder.ini/") << QByteArray() << QStringLiteral("folder");
    QTest::newRow("picture renamed")
        << QStringLiteral("picture.ini")
        << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\b\x06\0\0\0\x1F\xF3\xFF\x61", 33)
        << QStringLiteral("not a combat file");
    QTest::newRow("empty file") << QStringLiteral("empty.ini") << QByteArray() << QStringLiteral("not a combat file");
    QTest::newRow("other sections only")
        << QStringLiteral("other.ini") << QByteArray("[Info19]\r\nName=x\r\n[Settings]\r\nInfo0=1\r\n")
        << QStringLiteral("not a combat file");
    QTest::newRow("over 16 MiB") << QStringLiteral("huge.ini") << QByteArray("[Info0]\r\nName=Orc\r\n")
                                 << QStringLiteral("too large");
}

void TestCombatLoader::refusals()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(name);
    if (name.endsWith(u'/')) {
        QVERIFY(QDir().mkpath(path));
        path.chop(1);
    } else if (!contents.isEmpty() || name != QStringLiteral("none.ini")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        if (name == QStringLiteral("huge.ini"))
            QVERIFY(file.resize(files::MaxCombatFileSize + 1)); // sparse: costs no disk
    }

    const Roster current = currentRoster();
    const LoadOutcome outcome = files::loadCombatFile(path, current);
    QCOMPARE(outcome.status, Status::Refused);
    QCOMPARE(outcome.roster, current);
    QVERIFY(!outcome.oldVersionRow);
    QVERIFY2(outcome.message.contains(QDir::toNativeSeparators(path)), qPrintable(outcome.message));
    QVERIFY2(outcome.message.contains(reason), qPrintable(outcome.message));
}

void TestCombatLoader::unreadableFile()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("locked.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(files::combatFileBytes(fileRoster()));
    file.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, Status::Refused);
    QVERIFY2(outcome.message.contains(QStringLiteral("cannot be read")), qPrintable(outcome.message));
    QCOMPARE(outcome.roster, currentRoster());
}

void TestCombatLoader::messages()
{
    QCOMPARE(files::oldVersionWarningText(QStringLiteral("v1.9")),
             QStringLiteral("You are loading a combat prior to v1.9, there may be some errors"));
    QCOMPARE(files::OldVersionTitle, QStringLiteral("Old Version Combat"));
    QCOMPARE(files::unknownErrorTitle(QStringLiteral("Overflow")),
             QStringLiteral("Unknown Error. Contact Vesmar:\r\nOverflow"));
}

QTEST_GUILESS_MAIN(TestCombatLoader)
#include "tst_combatloader.moc"
