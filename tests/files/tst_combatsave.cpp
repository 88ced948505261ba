#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using roster::Roster;

namespace {

// A save file whose disk fills up after `budget` bytes: the bytes before that
// reach the temporary file, then writing fails as write(2) does.
class FullDiskSaveFile : public QSaveFile
{
public:
    FullDiskSaveFile(const QString &path, qint64 budget) : QSaveFile(path), m_budget(budget) {}

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 part = qMin(len, m_budget);
        const qint64 written = part > 0 ? QSaveFile::writeData(data, part) : 0;
        if (written > 0)
            m_budget -= written;
        if (written < len)
            setErrorString(QStringLiteral("No space left on device"));
        return written > 0 ? written : -1;
    }

private:
    qint64 m_budget;
};

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
    void failingWriteLeavesTheOldFile();
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
    QTest::addColumn<bool>("asSuperuser"); // whether the case holds for root too

    QTest::newRow("missing folder") << QStringLiteral("gone/combat.ini") << QStringLiteral("does not exist") << true;
    QTest::newRow("a folder") << QStringLiteral("folder/") << QStringLiteral("is a folder") << true;
    QTest::newRow("read-only folder") << QStringLiteral("locked/combat.ini") << QString() << false;
    QTest::newRow("read-only file system") << QStringLiteral("/proc/self/combat.ini") << QString() << true;
}

// Nothing is written and the message names the file.
void TestCombatSave::refusedTargets()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QFETCH(bool, asSuperuser);
    if (!asSuperuser && geteuid() == 0)
        QSKIP("permissions do not bind the superuser");

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

    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), path);
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

// The disk fills up after every possible number of bytes; the old file must
// stay byte for byte, and no temporary file may be left behind.
void TestCombatSave::failingWriteLeavesTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    const QByteArray old = files::combatFileBytes(sampleRoster(QStringLiteral("Old chief")));
    QVERIFY(writeFile(path, old));

    const Roster roster = sampleRoster(QStringLiteral("New chief"));
    const QByteArray fresh = files::combatFileBytes(roster);
    QVERIFY(fresh != old);
    for (qint64 budget = 0; budget <= fresh.size(); ++budget) {
        const files::SaveOutcome outcome = files::saveCombatFile(roster, path, [budget](const QString &p) {
            return std::unique_ptr<QSaveFile>(new FullDiskSaveFile(p, budget));
        });
        const QByteArray now = contents(path);
        if (budget < fresh.size()) {
            QVERIFY2(!outcome.ok, qPrintable(QString::number(budget)));
            QVERIFY2(outcome.error.contains(QStringLiteral("No space left on device")), qPrintable(outcome.error));
            QVERIFY2(outcome.error.contains(QDir::toNativeSeparators(path)), qPrintable(outcome.error));
            QVERIFY2(now == old, qPrintable(QString::number(budget)));
        } else {
            QVERIFY2(outcome.ok, qPrintable(outcome.error));
            QCOMPARE(now, fresh);
        }
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("combat.ini")});
    }
}

QTEST_GUILESS_MAIN(TestCombatSave)
#include "tst_combatsave.moc"
