#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatWriter.h"
#include "files/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using files::LoadOutcome;
using roster::Roster;
using Status = LoadOutcome::Status;

Q_DECLARE_METATYPE(LoadOutcome::Status)
Q_DECLARE_METATYPE(QFileDevice::Permissions)

namespace {

QString dataPath(const char *name)
{
    return qEnvironmentVariable("FRAYMARK_TEST_DATA") + QStringLiteral("/files/") + QLatin1StringView(name);
}

// A roster unlike anything a test file holds, so that any change shows.
Roster currentRoster()
{
    Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster.rows[r] = {QStringLiteral("Before %1").arg(r), QStringLiteral("-20"), {}, {}, {}, {}, {}, {}, {}, {},
                          QStringLiteral("3"), 0, true};
    }
    roster.generalNote = QStringLiteral("note before");
    return roster;
}

// Rows with distinct texts in every field and hit points that keep them active.
Roster fileRoster()
{
    Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        auto text = [r](const char *field) { return QStringLiteral("%1 %2").arg(QLatin1StringView(field)).arg(r); };
        roster.rows[r] = {text("Name"), QString::number(10 + r), text("AC"), text("Ini"), text("Note"),
                          text("Will"), text("Fort"), text("Rex"), text("Attack"), text("Damage"), {}, 0, false};
    }
    roster.generalNote = QStringLiteral("line one\nline two");
    return roster;
}

// What `fileRoster` loads into over `currentRoster`: its texts, the current
// amounts, every row active.
Roster expectedLoad()
{
    Roster loaded = fileRoster();
    for (roster::Row &row : loaded.rows) {
        row.amount = QStringLiteral("3");
        row.check = 1;
    }
    return loaded;
}

// The lines of the file of `fileRoster`, to be edited and joined again.
struct FileLines
{
    QStringList lines = QString::fromLatin1(files::combatFileBytes(fileRoster())).split(QStringLiteral("\r\n"));

    FileLines() { lines.removeLast(); }

    // Sets the value of `key` in the section of `row`; no value removes the line.
    FileLines &set(int row, const QString &key, const std::optional<QString> &value)
    {
        qsizetype i = lines.indexOf(QStringLiteral("[Info%1]").arg(row)) + 1;
        while (!lines.at(i).startsWith(key + u'='))
            ++i;
        if (value)
            lines[i] = key + u'=' + *value;
        else
            lines.removeAt(i);
        return *this;
    }

    FileLines &removeAll(const QString &key)
    {
        lines.removeIf([&](const QString &line) { return line.startsWith(key + u'='); });
        return *this;
    }

    QByteArray bytes(const char *lineEnd = "\r\n") const { return lines.join(QLatin1StringView(lineEnd)).toUtf8() + lineEnd; }

    LoadOutcome load() const { return files::loadCombat(bytes(), currentRoster()); }
};

} // namespace

class TestCombatLoader : public QObject
{
    Q_OBJECT

private slots:
    void exampleFile();
    void downRowRule_data();
    void downRowRule();
    void rowSavedDownEditedToActive();
    void checkValues_data();
    void checkValues();
    void noCheckKeys();
    void laterFailuresAfterTheWarningPassSilently();
    void longValueCutInFailureMessage();
    void noteOfTheLastSection();
    void onlyTenSections();
    void cutOffFile_data();
    void cutOffFile();
    void lineFeedOnlyFile();
    void windows1252File();
    void refusals_data();
    void refusals();
    void unreadableFile_data();
    void unreadableFile();
    void pipeAtThePath();
    void messages();
};

void TestCombatLoader::exampleFile()
{
    const LoadOutcome outcome = files::loadCombatFile(dataPath("example_combat.ini"), Roster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.oldVersionRow);
    const Roster &loaded = outcome.roster;
    QCOMPARE(loaded.generalNote, QStringLiteral("Ambush at the ford\nWolves arrive at dusk"));
    QCOMPARE(loaded.rows[0].name, QStringLiteral("Goblin archer"));
    QCOMPARE(loaded.rows[0].will + loaded.rows[0].fort + loaded.rows[0].rex, QStringLiteral("-1+1+3"));
    QVERIFY(loaded.rows[1].down);
    QCOMPARE(loaded.rows[1].check, qint16(0));
    for (int r = 2; r < roster::RowCount; ++r) {
        QVERIFY(!loaded.rows[r].down);
        QCOMPARE(loaded.rows[r].check, qint16(1)); // the file says 0
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
    const LoadOutcome outcome = FileLines().set(6, QStringLiteral("HP"), hp).load();
    QCOMPARE(outcome.status, Status::Loaded);
    const roster::Row &row = outcome.roster.rows[6];
    QCOMPARE(row.hp, hp);
    QCOMPARE(row.down, down);
    QCOMPARE(row.check, qint16(down ? 0 : 1));
}

void TestCombatLoader::rowSavedDownEditedToActive()
{
    Roster saved = fileRoster();
    saved.rows[3].hp = QStringLiteral("-15");
    saved.rows[3].check = 0;
    QByteArray bytes = files::combatFileBytes(saved);
    QVERIFY(bytes.contains("HP=-15\r\n"));
    bytes.replace("HP=-15\r\n", "HP=5\r\n");
    const LoadOutcome outcome = files::loadCombat(bytes, currentRoster());
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
        {"0", Status::Loaded, -1}, {"2", Status::Loaded, -1}, {" 1 ", Status::Loaded, -1},
        {"2.5", Status::Loaded, -1}, {"", Status::Loaded, 4}, {"abc", Status::Loaded, 4},
        {"1x", Status::Loaded, 4}, {"7", Status::Failed, -1}, {"-1", Status::Failed, -1},
        {"3.5", Status::Failed, -1}, {"70000", Status::Failed, -1}, {"1e999", Status::Failed, -1},
    };
    for (const auto &c : cases)
        QTest::addRow("check '%s'", c.check) << QString::fromUtf8(c.check) << c.status << c.warningRow;
}

// A check value in row 4: usable, the mark of an old file, or a failure that
// leaves the whole roster as it was.
void TestCombatLoader::checkValues()
{
    QFETCH(QString, check);
    QFETCH(Status, status);
    QFETCH(int, warningRow);
    const LoadOutcome outcome = FileLines().set(4, QStringLiteral("Check"), check).load();
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.oldVersionRow.value_or(-1), warningRow);
    QCOMPARE(outcome.roster, status == Status::Loaded ? expectedLoad() : currentRoster());
    if (status == Status::Failed) {
        QVERIFY2(outcome.message.startsWith(QStringLiteral("Row 5 (Name 4, section [Info4]) has the check value \"")
                                            + check + u'"'),
                 qPrintable(outcome.message));
        QVERIFY2(outcome.message.endsWith(QStringLiteral(" Nothing was loaded; the combat on screen is unchanged.")),
                 qPrintable(outcome.message));
    } else {
        QVERIFY(outcome.message.isEmpty());
    }
}

void TestCombatLoader::noCheckKeys()
{
    const LoadOutcome outcome = FileLines().removeAll(QStringLiteral("Check")).load();
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(0));
    QCOMPARE(outcome.roster, expectedLoad());
}

void TestCombatLoader::laterFailuresAfterTheWarningPassSilently()
{
    FileLines file;
    file.set(2, QStringLiteral("Check"), std::nullopt).set(9, QStringLiteral("Check"), QStringLiteral("7"));
    file.set(12, QStringLiteral("Check"), QStringLiteral("70000"));
    LoadOutcome outcome = file.load();
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(2));
    QCOMPARE(outcome.roster, expectedLoad());

    // Hit points beyond a double fail a load, but after the warning count as down.
    file.set(8, QStringLiteral("HP"), QStringLiteral("1e999"));
    outcome = file.load();
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(outcome.roster.rows[8].down);
    QCOMPARE(outcome.roster.rows[8].check, qint16(0));
    QCOMPARE(FileLines().set(8, QStringLiteral("HP"), QStringLiteral("1e999")).load().status, Status::Failed);
}

void TestCombatLoader::longValueCutInFailureMessage()
{
    const QString hp = QStringLiteral("1e999 ") + QString(33, u'x') + QStringLiteral("🐉🐉");
    const LoadOutcome outcome =
        FileLines().set(2, QStringLiteral("HP"), hp).set(2, QStringLiteral("Name"), QStringLiteral(" ")).load();
    QCOMPARE(outcome.status, Status::Failed);
    QCOMPARE(outcome.message, QStringLiteral("Row 3 (section [Info2]) has the hit points \"1e999 ") + QString(33, u'x')
                                  + QStringLiteral("…\", a number too large to use. Nothing was loaded; the combat "
                                                   "on screen is unchanged."));
}

void TestCombatLoader::noteOfTheLastSection()
{
    FileLines file;
    file.set(0, QStringLiteral("GeneralNote"), QStringLiteral("first"));
    file.set(18, QStringLiteral("GeneralNote"), QStringLiteral("a(t55)b(T55)c(t55"));
    QCOMPARE(file.load().roster.generalNote, QStringLiteral("a\nb(T55)c(t55"));
    file.set(18, QStringLiteral("GeneralNote"), std::nullopt);
    QCOMPARE(file.load().roster.generalNote, QString());
}

void TestCombatLoader::onlyTenSections()
{
    FileLines file;
    file.lines = file.lines.first(10 * 13);
    const LoadOutcome outcome = file.load();
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow, std::optional<int>(10));

    Roster expected = expectedLoad();
    for (int r = 10; r < roster::RowCount; ++r)
        expected.rows[r] = {{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("3"), 1, false};
    expected.generalNote.clear();
    QCOMPARE(outcome.roster, expected);
}

void TestCombatLoader::cutOffFile_data()
{
    QTest::addColumn<int>("lines"); // kept from the start of the file
    QTest::addColumn<bool>("checks");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("warningRow"); // -1: none
    QTest::addColumn<QString>("message"); // "%1": the file

    const QString early = QStringLiteral("The file \"%1\" ends early: its last row is ");
    const QString unchanged = QStringLiteral(" Nothing was loaded; the combat on screen is unchanged.");
    QTest::newRow("inside [Info8]") << 8 * 13 + 4 << true << Status::Refused << -1
                                    << early + QStringLiteral("Row 9 (Name 8, section [Info8]), which stops before its "
                                                              "\"Ini\" line, and Rows 10 to 19 (sections [Info9] to "
                                                              "[Info18]) are missing.") + unchanged;
    QTest::newRow("after [Info9]") << 10 * 13 << true << Status::Refused << -1
                                   << early + QStringLiteral("Row 10 (Name 9, section [Info9]), and Rows 11 to 19 "
                                                             "(sections [Info10] to [Info18]) are missing.") + unchanged;
    QTest::newRow("after [Info17]") << 18 * 13 << true << Status::Refused << -1
                                    << early + QStringLiteral("Row 18 (Name 17, section [Info17]), and Row 19 (section "
                                                              "[Info18]) is missing.") + unchanged;
    QTest::newRow("before the last note") << 19 * 13 - 1 << true << Status::Refused << -1
                                          << early + QStringLiteral("Row 19 (Name 18, section [Info18]), which stops "
                                                                    "before its \"GeneralNote\" line.") + unchanged;
    QTest::newRow("whole file") << 19 * 13 << true << Status::Loaded << -1 << QString();
    QTest::newRow("older version, inside [Info8]") << 8 * 12 + 3 << false << Status::Loaded << 0 << QString();
    QTest::newRow("older version, after [Info9]") << 10 * 12 << false << Status::Loaded << 0 << QString();
}

// A file of this version that stops short is refused as such, not loaded as an
// older version with its missing rows and note emptied.
void TestCombatLoader::cutOffFile()
{
    QFETCH(int, lines);
    QFETCH(bool, checks);
    QFETCH(Status, status);
    QFETCH(int, warningRow);
    QFETCH(QString, message);

    FileLines file;
    if (!checks)
        file.removeAll(QStringLiteral("Check"));
    file.lines = file.lines.first(lines);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QVERIFY(out.write(file.bytes()) > 0);
    out.close();

    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.oldVersionRow.value_or(-1), warningRow);
    QCOMPARE(outcome.message, message.isEmpty() ? QString() : message.arg(QDir::toNativeSeparators(path)));
    if (status == Status::Refused)
        QCOMPARE(outcome.roster, currentRoster());
    else
        QCOMPARE(outcome.roster.rows[7].name, QStringLiteral("Name 7"));
}

void TestCombatLoader::lineFeedOnlyFile()
{
    const QByteArray lf = FileLines().bytes("\n");
    QVERIFY(!lf.contains('\r'));
    const LoadOutcome outcome = files::loadCombat(lf, currentRoster());
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.roster, expectedLoad());
}

void TestCombatLoader::windows1252File()
{
    const LoadOutcome outcome = files::loadCombatFile(dataPath("windows1252_combat.ini"), Roster());
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(!outcome.oldVersionRow);
    QCOMPARE(outcome.roster.rows[0].name, QStringLiteral("Orc é€"));
    QCOMPARE(outcome.roster.rows[0].note, QStringLiteral("Hauptmann Müller’s „Garde“"));
    QCOMPARE(outcome.roster.generalNote, QStringLiteral("Brücke\nZweite Zeile – Ende"));
}

void TestCombatLoader::refusals_data()
{
    QTest::addColumn<QString>("name"); // created in a fresh folder; "/" at the end: a folder
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("reason");

    const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\b\x06\0\0\0\x1F\xF3\xFF\x61", 33);
    QTest::newRow("missing file") << QStringLiteral("none.ini") << QByteArray() << qint64(-1) << QStringLiteral("does not exist");
    QTest::newRow("folder") << QStringLiteral("folder.ini/") << QByteArray() << qint64(-1) << QStringLiteral("folder");
    QTest::newRow("picture renamed") << QStringLiteral("picture.ini") << png << qint64(0) << QStringLiteral("not a combat file");
    QTest::newRow("empty file") << QStringLiteral("empty.ini") << QByteArray() << qint64(0)
                                << QStringLiteral("is empty, not a combat file.");
    const QString utf16 = QStringLiteral("is a UTF-16 text file; combat files are saved as Windows-1252 or UTF-8 text.");
    const QString text = QStringLiteral("[Info0]\r\nName=Orc\r\n");
    QTest::newRow("utf-16, little-endian mark") << QStringLiteral("le.ini")
                                                << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                                                << qint64(0) << utf16;
    QTest::newRow("utf-16, big-endian mark") << QStringLiteral("be.ini") << QByteArray("\xFE\xFF\0[\0I", 6) << qint64(0) << utf16;
    QTest::newRow("utf-16 without a mark") << QStringLiteral("nul.ini")
                                           << QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                                           << qint64(0) << utf16;
    QTest::newRow("other sections only") << QStringLiteral("other.ini") << QByteArray("[Info19]\r\n[X]\r\nInfo0=1\r\n")
                                         << qint64(0) << QStringLiteral("not a combat file");
    QTest::newRow("over 16 MiB") << QStringLiteral("huge.ini") << QByteArray("[Info0]\r\nName=Orc\r\n")
                                 << files::MaxCombatFileSize + 1 << QStringLiteral("too large");
}

void TestCombatLoader::refusals()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(qint64, size);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(name);
    if (name.endsWith(u'/')) {
        QVERIFY(QDir().mkpath(path));
        path.chop(1);
    } else if (size >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), contents.size());
        QVERIFY(file.resize(qMax(size, contents.size()))); // a sparse file costs no disk
    }

    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, Status::Refused);
    QCOMPARE(outcome.roster, currentRoster());
    QVERIFY(!outcome.oldVersionRow);
    QVERIFY2(outcome.message.contains(QDir::toNativeSeparators(path)), qPrintable(outcome.message));
    QVERIFY2(outcome.message.contains(reason), qPrintable(outcome.message));
}

void TestCombatLoader::unreadableFile_data()
{
    QTest::addColumn<QFileDevice::Permissions>("filePermissions");
    QTest::addColumn<QFileDevice::Permissions>("folderPermissions");
    QTest::addColumn<QString>("message");
    const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QTest::newRow("file not readable") << QFileDevice::Permissions() << all
                                       << QStringLiteral("The file \"%1\" cannot be read: Permission denied.");
    QTest::newRow("folder not enterable")
        << QFileDevice::Permissions(QFileDevice::ReadOwner) << QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        << QStringLiteral("The file \"%1\" cannot be reached: a folder on its path does not let you in (Permission denied).");
}

void TestCombatLoader::unreadableFile()
{
    QFETCH(QFileDevice::Permissions, filePermissions);
    QFETCH(QFileDevice::Permissions, folderPermissions);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("locked"));
    const QString path = folder + QStringLiteral("/combat.ini");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::copy(dataPath("example_combat.ini"), path));
    QVERIFY(QFile::setPermissions(path, filePermissions));
    QVERIFY(QFile::setPermissions(folder, folderPermissions));
    const QByteArray refusal = testing::asOrdinaryUser(dir.path(), [&] {
        const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
        return outcome.status == Status::Refused ? outcome.message.toUtf8() : QByteArray("<not refused>");
    });
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(QString::fromUtf8(refusal), message.arg(QDir::toNativeSeparators(path)));
}

// A pipe at the path is refused at once; opening it the usual way would wait for a writer.
void TestCombatLoader::pipeAtThePath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, Status::Refused);
    QCOMPARE(outcome.message, QStringLiteral("\"%1\" is not an ordinary file.").arg(QDir::toNativeSeparators(path)));
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
