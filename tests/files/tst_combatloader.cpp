#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatWriter.h"
#include "files/ChildProcess.h"
#include "roster/Fields.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    void hitPointsTooLargeToUse_data();
    void hitPointsTooLargeToUse();
    void noteOfTheLastSection();
    void cutFiles_data();
    void cutFiles();
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
    QCOMPARE(loaded.rows[0].fort + loaded.rows[0].reflex + loaded.rows[0].will, QStringLiteral("-1+1+3"));
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

    // Hit points beyond a double count as down after the warning, as the earliest files need.
    file.set(8, QStringLiteral("HP"), QStringLiteral("1e999"));
    outcome = file.load();
    QCOMPARE(outcome.status, Status::Loaded);
    QVERIFY(outcome.roster.rows[8].down);
    QCOMPARE(outcome.roster.rows[8].check, qint16(0));
    QVERIFY(outcome.numberNotice.isEmpty());
}

// Hit points too large to use cost the file no other row: the row loads as it is, down only
// for a negative number, and the user hears which row it was.
void TestCombatLoader::hitPointsTooLargeToUse_data()
{
    QTest::addColumn<QString>("hp");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("notice");
    const QString cut = QStringLiteral("1e999 ") + QString(33, u'x');
    QTest::newRow("large, cut in the sentence") << cut + QStringLiteral("🐉🐉") << false
        << QStringLiteral("Row 3 (section [Info2]) has the hit points \"") + cut
               + QStringLiteral("…\", a number too large to use; the row is loaded as it is, not down.");
    QTest::newRow("negative") << QStringLiteral("-1e999") << true
        << QStringLiteral("Row 3 (section [Info2]) has the hit points \"-1e999\", a number too large to use; the row "
                          "is loaded as it is, down.");
}

void TestCombatLoader::hitPointsTooLargeToUse()
{
    QFETCH(QString, hp);
    const LoadOutcome outcome =
        FileLines().set(2, QStringLiteral("HP"), hp).set(2, QStringLiteral("Name"), QStringLiteral(" ")).load();
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.roster.rows[2].hp, hp);
    QTEST(outcome.roster.rows[2].down, "down");
    QCOMPARE(outcome.roster.rows[3], expectedLoad().rows[3]);
    QTEST(outcome.numberNotice, "notice");
}

void TestCombatLoader::noteOfTheLastSection()
{
    FileLines file;
    file.set(0, QStringLiteral("GeneralNote"), QStringLiteral("first"));
    file.set(18, QStringLiteral("GeneralNote"), QStringLiteral("a(t55)b(T55)c(t55"));
    QCOMPARE(file.load().roster.generalNote, QStringLiteral("a\nb(T55)c(t55"));
}

void TestCombatLoader::cutFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("whole");      // rows 0 to whole - 1 come as the file has them
    QTest::addColumn<QString>("partial"); // the ten texts of row `whole`, '|' between; empty: an empty row
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("warningRow"); // -1: none
    QTest::addColumn<QString>("notice"); // "%1": the file

    auto linesOf = [](const FileLines &file, qsizetype count) {
        return file.lines.first(count).join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    };
    const QByteArray whole = FileLines().bytes();
    const QString early = QStringLiteral("The file \"%1\" ends early, in the middle of ");
    const QString keep = QStringLiteral(" Everything before the cut was loaded; keep a copy of the file before you save "
                                        "over it.");
    const QString fileNote = fileRoster().generalNote;

    QTest::newRow("6 whole sections") << linesOf(FileLines(), 6 * 13) << 6 << QString() << QString() << 6 << QString();
    QTest::newRow("no last GeneralNote line") << linesOf(FileLines(), 19 * 13 - 1) << 19 << QString() << QString() << -1
                                              << QString();
    QTest::newRow("rows 0 to 9") << linesOf(FileLines(), 10 * 13) << 10 << QString() << QString() << 10 << QString();
    QTest::newRow("blanks after the last line end") << whole + "  " << 19 << QString() << fileNote << -1 << QString();

    QTest::newRow("cut inside row 0") << linesOf(FileLines(), 5) + "Note=No" << 0
                                      << QStringLiteral("Name 0|10|AC 0|Ini 0|No|||||") << QString() << -1
                                      << early + QStringLiteral("the \"Note\" line of Row 1 (Name 0, section [Info0]). "
                                                                "The rest of Row 1, Rows 2 to 19 and the general note "
                                                                "were left empty.") + keep;
    const QString lastNoteCut = early + QStringLiteral("the \"GeneralNote\" line of Row 19 (Name 18, section [Info18]).")
        + keep;
    QTest::newRow("cut inside the last GeneralNote line") << whole.chopped(5) << 19 << QString()
                                                          << QStringLiteral("line one\nline ") << -1 << lastNoteCut;
    FileLines huge;
    const QString hugeNote = QString(50'010, u'n');
    huge.lines.replaceInStrings(QStringLiteral("line one(t55)line two"), hugeNote);
    QTest::newRow("cut inside a 50,010-character note") << huge.bytes().chopped(2 + 50'010 - 20'012) << 19 << QString()
                                                        << hugeNote.first(20'012) << -1 << lastNoteCut;
    FileLines utf8;
    utf8.lines.replaceInStrings(QStringLiteral("line one(t55)line two"), QStringLiteral("Brücke über"));
    QTest::newRow("cut inside a UTF-8 character") << utf8.bytes().chopped(2 + 4) << 19 << QString()
                                                  << QStringLiteral("Brücke ") << -1 << lastNoteCut;
    QTest::newRow("cut inside a section line") << linesOf(FileLines(), 10 * 13) + "[Info1" << 10 << QString() << QString()
                                               << -1
                                               << early + QStringLiteral("the section line of Row 11 (section [Info10]). "
                                                                         "Rows 11 to 19 and the general note were left "
                                                                         "empty.") + keep;
    QTest::newRow("cut between CR and LF") << linesOf(FileLines(), 5).chopped(1) << 0
                                           << QStringLiteral("Name 0|10|AC 0|Ini 0|||||||") << QString() << -1
                                           << early + QStringLiteral("the \"Ini\" line of Row 1 (Name 0, section "
                                                                     "[Info0]). The rest of Row 1, Rows 2 to 19 and "
                                                                     "the general note were left empty.") + keep;
    FileLines old;
    old.removeAll(QStringLiteral("Check"));
    QTest::newRow("older version cut inside a key") << linesOf(old, 12 * 4 + 10) + "Dama" << 4
                                                    << QStringLiteral("Name 4|14|AC 4|Ini 4|Note 4|Will 4|Fort 4|Rex 4|Attack 4|")
                                                    << QString() << 0
                                                    << early + QStringLiteral("the \"Damage\" line of Row 5 (Name 4, section "
                                                                              "[Info4]). The rest of Row 5, Rows 6 to 19 "
                                                                              "and the general note were left empty.")
                                                           + keep;
}

// What the file holds is loaded, and what it lacks is empty. A file whose last line has
// no line end was cut short: its notice takes the place of the old-version warning that
// the cut brought.
void TestCombatLoader::cutFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, whole);
    QFETCH(QString, partial);
    QFETCH(QString, note);
    QFETCH(int, warningRow);
    QFETCH(QString, notice);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(bytes), bytes.size());
    out.close();
    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, Status::Loaded);
    QCOMPARE(outcome.oldVersionRow.value_or(-1), warningRow);
    QCOMPARE(outcome.cutNotice, notice.isEmpty() ? QString() : notice.arg(QDir::toNativeSeparators(path)));

    Roster expected = expectedLoad();
    for (int r = whole; r < roster::RowCount; ++r) {
        expected.rows[r] = {{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("3"), 1, false};
        if (r == whole && !partial.isEmpty())
            for (std::size_t f = 0; f < roster::RowFields.size(); ++f)
                expected.rows[r].*roster::RowFields[f].text = partial.section(u'|', int(f), int(f));
    }
    expected.generalNote = note;
    QCOMPARE(outcome.roster, expected);
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
    QTest::newRow("utf-16 without a mark") << QStringLiteral("no-mark.ini")
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
#ifdef Q_OS_WIN
    QSKIP("permission bits that forbid reading a file or entering its folder: Windows files and folders have no "
          "such bits, only a read-only attribute");
#endif
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
#ifdef Q_OS_WIN
    QSKIP("a FIFO in a folder (mkfifo): Windows has none, its pipes live apart from the file system");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const LoadOutcome outcome = files::loadCombatFile(path, currentRoster());
    QCOMPARE(outcome.status, Status::Refused);
    QCOMPARE(outcome.message, QStringLiteral("\"%1\" is not an ordinary file.").arg(QDir::toNativeSeparators(path)));
#endif
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
