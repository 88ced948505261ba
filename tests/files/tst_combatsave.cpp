#include "files/ChildProcess.h"
#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using roster::Roster;

namespace {

// The save, in a child process whose files may not grow past `limit` bytes: the
// kernel refuses the write that would pass it, as it does on a full disk.
files::SaveOutcome saveWithFileSizeLimit(const Roster &roster, const QString &path, rlim_t limit)
{
    const QByteArray report = testing::inChild([&] {
        signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the process
        const rlimit rl{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
            return QByteArray("<no limit>");
        const files::SaveOutcome outcome = files::saveCombatFile(roster, path);
        return (outcome.ok ? "1" : "0") + outcome.error.toUtf8();
    });
    return {report.startsWith('1'), QString::fromUtf8(report.mid(1))};
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

Roster sampleRoster(const QString &name)
{
    Roster roster;
    roster.rows[0].name = name;
    roster.rows[0].hp = QStringLiteral("12");
    roster.generalNote = QStringLiteral("first\nsecond");
    return roster;
}

} // namespace

class TestCombatSave : public QObject
{
    Q_OBJECT

private slots:
    void replacesAllOfAnExistingFile();
    void refusedTargets_data();
    void refusedTargets();
    void noFileName();
    void fullDisk_data();
    void fullDisk();
    void loadLimit();
};

void TestCombatSave::replacesAllOfAnExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    Roster old = sampleRoster(QString(5000, u'x'));
    old.generalNote = QString(3000, u'n');
    QVERIFY(writeFile(path, files::combatFileBytes(old) + "[Info19]\r\nName=Leftover\r\n"));

    const Roster roster = sampleRoster(QStringLiteral("Goblin ☠"));
    const files::SaveOutcome outcome = files::saveCombatFile(roster, path);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(outcome.error.isEmpty());
    QCOMPARE(contents(path), files::combatFileBytes(roster));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("combat.ini")});
}

void TestCombatSave::refusedTargets_data()
{
    QTest::addColumn<QString>("target"); // under a fresh folder unless it starts with '/'
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing folder") << QStringLiteral("gone/combat.ini") << QStringLiteral("does not exist");
    QTest::newRow("a folder") << QStringLiteral("folder/") << QStringLiteral("is a folder");
    QTest::newRow("read-only folder") << QStringLiteral("locked/combat.ini")
                                      << QStringLiteral("does not allow creating files (Permission denied)");
    QTest::newRow("read-only file system") << QStringLiteral("/proc/self/combat.ini")
                                           << QStringLiteral("does not allow creating files");
}

// Nothing is written and the message names the file.
void TestCombatSave::refusedTargets()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = target.startsWith(u'/') ? target : dir.filePath(target);
    if (target.endsWith(u'/')) {
        QVERIFY(QDir().mkpath(path));
        path.chop(1);
    }
    if (target.startsWith(QStringLiteral("locked/"))) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner));
    }
    const QStringList before = entries(QFileInfo(path).absolutePath());

    const files::SaveOutcome outcome{false, QString::fromUtf8(testing::asOrdinaryUser(dir.path(), [&] {
        const files::SaveOutcome saved = files::saveCombatFile(Roster(), path);
        return saved.ok ? QByteArray("<saved>") : saved.error.toUtf8();
    }))};
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("The combat could not be saved to \"%1\": ")
                                          .arg(QDir::toNativeSeparators(path))),
             qPrintable(outcome.error));
    QVERIFY2(outcome.error.contains(reason), qPrintable(outcome.error));
    QCOMPARE(entries(QFileInfo(path).absolutePath()), before);
}

void TestCombatSave::noFileName()
{
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), QString());
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.error.contains(QStringLiteral("no file name")));
}

void TestCombatSave::fullDisk_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("noteLength"); // 80: a 3 KB file; 2000: over 16 KiB
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("fromSize"); // the limit is added to the new file's size

    for (const bool existing : {false, true}) {
        const char *over = existing ? "over an old file" : "new file";
        for (const qint64 limit : {0, 1})
            QTest::addRow("%s, 3 KB, limit %lld", over, limit) << existing << 80 << limit << false;
        for (const qint64 limit : {16383, 16384, 16385})
            QTest::addRow("%s, over 16 KiB, limit %lld", over, limit) << existing << 2000 << limit << false;
        for (const int noteLength : {80, 2000}) {
            QTest::addRow("%s, %d, one byte short", over, noteLength) << existing << noteLength << qint64(-1) << true;
            QTest::addRow("%s, %d, limit the size", over, noteLength) << existing << noteLength << qint64(0) << true;
        }
    }
}

// Saved whole or not at all: a refused write leaves the old file byte for byte,
// no other file, and a message with the file and the kernel's reason.
void TestCombatSave::fullDisk()
{
    QFETCH(bool, existing);
    QFETCH(int, noteLength);
    QFETCH(qint64, limit);
    QFETCH(bool, fromSize);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    Roster old = sampleRoster(QStringLiteral("Old chief"));
    old.generalNote = QString(3 * noteLength, u'o');
    const QByteArray oldBytes = files::combatFileBytes(old);
    if (existing)
        QVERIFY(writeFile(path, oldBytes));

    Roster roster = sampleRoster(QStringLiteral("New chief"));
    roster.generalNote = QString(noteLength, u'n');
    const QByteArray fresh = files::combatFileBytes(roster);
    QVERIFY(noteLength > 1000 ? fresh.size() > 16 * 1024 : fresh.size() > 2500 && fresh.size() < 4096);
    if (fromSize)
        limit += fresh.size();

    const files::SaveOutcome outcome = saveWithFileSizeLimit(roster, path, rlim_t(limit));
    if (limit >= fresh.size()) {
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(contents(path), fresh);
    } else {
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.error, QStringLiteral("The combat could not be saved to \"%1\": File too large.")
                                    .arg(QDir::toNativeSeparators(path)));
        if (existing)
            QCOMPARE(contents(path), oldBytes);
    }
    QCOMPARE(entries(dir.path()), existing || outcome.ok ? QStringList{QStringLiteral("combat.ini")} : QStringList());
}

// What is saved loads: a file exactly at the load limit saves and loads, one byte
// more is refused with nothing written.
void TestCombatSave::loadLimit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    Roster roster;
    const qint64 base = files::combatFileBytes(roster).size();
    const qint64 rows = roster::RowCount;
    roster.generalNote = QString((files::MaxCombatFileSize - base) / rows, u'n'); // in every row
    roster.rows[0].name = QString((files::MaxCombatFileSize - base) % rows, u'x');
    QCOMPARE(files::combatFileBytes(roster).size(), files::MaxCombatFileSize);

    files::SaveOutcome outcome = files::saveCombatFile(roster, path);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const files::LoadOutcome loaded = files::loadCombatFile(path, Roster());
    QCOMPARE(loaded.status, files::LoadOutcome::Status::Loaded);
    QCOMPARE(loaded.roster.generalNote, roster.generalNote);

    QVERIFY(QFile::remove(path));
    roster.rows[0].name += u'x';
    outcome = files::saveCombatFile(roster, path);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, QStringLiteral("The combat could not be saved to \"%1\": its file would be 16,777,217 "
                                           "bytes, over the 16,777,216 bytes (16 MiB) that a combat file may have. "
                                           "The general note is saved in each of the 19 rows; a shorter note makes "
                                           "the file smaller.")
                                .arg(QDir::toNativeSeparators(path)));
    QCOMPARE(entries(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestCombatSave)
#include "tst_combatsave.moc"
