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
    void savesTheWriterBytes();
    void replacesAllOfAnExistingFile();
    void missingFolder();
    void targetIsAFolder();
    void readOnlyFolder();
    void readOnlyFileSystem();
    void noFileName();
    void failingWriteLeavesTheOldFile();
};

void TestCombatSave::savesTheWriterBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("goblins.ini"));
    const Roster roster = sampleRoster(QStringLiteral("Goblin ☠"));
    const files::SaveOutcome outcome = files::saveCombatFile(roster, path);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(outcome.error.isEmpty());
    QCOMPARE(contents(path), files::combatFileBytes(roster));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("goblins.ini")});
}

void TestCombatSave::replacesAllOfAnExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    Roster old = sampleRoster(QString(5000, u'x'));
    old.generalNote = QString(3000, u'n');
    QVERIFY(writeFile(path, files::combatFileBytes(old) + "[Info19]\r\nName=Leftover\r\n"));

    const Roster roster = sampleRoster(QStringLiteral("Orc"));
    QVERIFY(files::saveCombatFile(roster, path).ok);
    const QByteArray saved = contents(path);
    QCOMPARE(saved, files::combatFileBytes(roster));
    QVERIFY(!saved.contains("Leftover"));
}

void TestCombatSave::missingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gone/combat.ini"));
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), path);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QDir::toNativeSeparators(path)), qPrintable(outcome.error));
    QVERIFY2(outcome.error.contains(QStringLiteral("does not exist")), qPrintable(outcome.error));
    QVERIFY(entries(dir.path()).isEmpty());
}

void TestCombatSave::targetIsAFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("combat.ini")));
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), path);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QStringLiteral("folder")), qPrintable(outcome.error));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("combat.ini")});
}

void TestCombatSave::readOnlyFolder()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const QString path = folder + QStringLiteral("/combat.ini");
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), path);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QDir::toNativeSeparators(path)), qPrintable(outcome.error));
    QVERIFY(entries(folder).isEmpty());
}

// A folder that nobody may write to, the superuser included.
void TestCombatSave::readOnlyFileSystem()
{
    const QString folder = QStringLiteral("/proc/self");
    if (!QFileInfo(folder).isDir())
        QSKIP("no /proc file system here");
    const QString path = folder + QStringLiteral("/combat.ini");
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), path);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("The combat could not be saved to \"")),
             qPrintable(outcome.error));
    QVERIFY2(outcome.error.contains(path), qPrintable(outcome.error));
    QVERIFY(!QFileInfo::exists(path));
}

void TestCombatSave::noFileName()
{
    const files::SaveOutcome outcome = files::saveCombatFile(Roster(), QString());
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
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
