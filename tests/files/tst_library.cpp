#include "combat/StatBlock.h"
#include "files/CombatWriter.h"
#include "files/Library.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Made-up combatants: no monster of any book.
roster::Row made(const QString &name, const QString &hp, const QString &ac)
{
    roster::Row row;
    row.name = name;
    row.hp = hp;
    row.ac = ac;
    row.ini = u"+2"_s;
    row.fort = u"+4"_s;
    row.reflex = u"+1"_s;
    row.will = u"-1"_s;
    row.attack = u"Claw +6"_s;
    row.damage = u"1d6+3"_s;
    return row;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList names(const QList<files::LibraryEntry> &entries)
{
    QStringList list;
    for (const files::LibraryEntry &entry : entries)
        list << entry.name;
    return list;
}

// What makes a library's file in the table below.
enum class Made { Bytes, Folder, Locked, InSubfolder };

} // namespace

Q_DECLARE_METATYPE(Made)

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void indexesTheFilesOfAFolder_data();
    void indexesTheFilesOfAFolder();
    void searchRanksAsTheTargetBar_data();
    void searchRanksAsTheTargetBar();
    void aSaveReadsBackAndNeverOverwrites();
};

void TestLibrary::indexesTheFilesOfAFolder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Made>("made");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names"); // the entries, in the index's order
    QTest::addColumn<bool>("named");        // said to be unreadable

    const QByteArray blocks = (combat::statBlockText(made(u"Marsh Brute"_s, u"45/45"_s, u"17"_s)) + u"\n\n"_s
                               + combat::statBlockText(made(u"ash hound"_s, u"13/13"_s, u"14"_s)))
                                  .toUtf8();
    roster::Roster combat;
    combat.rows[0] = made(u"Zed the Grey"_s, u"30/30"_s, u"15"_s);
    combat.rows[3] = made(u"bandit"_s, u"9/9"_s, u"12"_s);
    const QByteArray saved = files::combatFileBytes(combat);

    QTest::newRow("text with two blocks") << u"brutes.txt"_s << Made::Bytes << blocks
                                          << QStringList{u"ash hound"_s, u"Marsh Brute"_s} << false;
    QTest::newRow("saved combat, named and empty rows")
        << u"camp.ini"_s << Made::Bytes << saved << QStringList{u"bandit"_s, u"Zed the Grey"_s} << false;
    QTest::newRow("suffix in capitals") << u"BRUTES.TXT"_s << Made::Bytes << blocks
                                        << QStringList{u"ash hound"_s, u"Marsh Brute"_s} << false;
    QTest::newRow("past 1 MiB") << u"huge.txt"_s << Made::Bytes
                                << QByteArray(files::LargestLibraryFile + 1, 'x') + blocks << QStringList() << true;
    QTest::newRow("no stat block") << u"notes.txt"_s << Made::Bytes << "buy rope"_ba << QStringList() << true;
    QTest::newRow("ini of no combat") << u"other.ini"_s << Made::Bytes << "[Window]\r\nX=1\r\n"_ba << QStringList()
                                      << true;
    QTest::newRow("combat without names") << u"empty.ini"_s << Made::Bytes << files::combatFileBytes(roster::Roster())
                                          << QStringList() << true;
    QTest::newRow("unreadable") << u"locked.txt"_s << Made::Locked << blocks << QStringList() << true;
    QTest::newRow("folder named x.txt") << u"x.txt"_s << Made::Folder << QByteArray() << QStringList() << false;
    QTest::newRow("other suffix") << u"brutes.md"_s << Made::Bytes << blocks << QStringList() << false;
    QTest::newRow("in a sub-folder") << u"deeper/brutes.txt"_s << Made::InSubfolder << blocks << QStringList()
                                     << false;
}

void TestLibrary::indexesTheFilesOfAFolder()
{
    QFETCH(QString, file);
    QFETCH(Made, made);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(bool, named);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(file);
    if (made == Made::Folder) {
        QVERIFY(QDir().mkpath(path));
    } else {
        if (made == Made::InSubfolder)
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(write(path, bytes));
    }
    if (made == Made::Locked) {
#ifdef Q_OS_WIN
        QSKIP("no mode takes reading from the owner on Windows");
#else
        if (geteuid() == 0)
            QSKIP("root reads a file of mode 000 all the same");
        QVERIFY(QFile::setPermissions(path, {}));
#endif
    }

    const files::LibraryIndex index = files::indexLibrary({dir.path(), dir.path() + u"/missing"_s});
    QCOMPARE(::names(index.entries), names);
    for (const files::LibraryEntry &entry : index.entries)
        QCOMPARE(entry.file, path);
    const QString shown = QDir::toNativeSeparators(path);
    QCOMPARE(index.unreadable.size(), named ? 1 : 0);
    if (named)
        QVERIFY2(index.unreadable.constFirst().contains(shown), qPrintable(index.unreadable.constFirst()));
}

void TestLibrary::searchRanksAsTheTargetBar_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("equal, begins, contains") << u"wolf"_s
                                             << QStringList{u"Wolf"_s, u"Wolf 2"_s, u"wolfhound"_s, u"Dire Wolf"_s,
                                                            u"Werewolf"_s};
    QTest::newRow("letters in order") << u"wo2"_s << QStringList{u"Wolf 2"_s};
    QTest::newRow("case and blanks around") << u"  DIRE "_s << QStringList{u"Dire Wolf"_s};
    QTest::newRow("names nothing") << u"xyz"_s << QStringList();
    QTest::newRow("blank lists all") << u" "_s
                                     << QStringList{u"Dire Wolf"_s, u"Ogre"_s, u"Werewolf"_s, u"Wolf"_s, u"Wolf 2"_s,
                                                    u"wolfhound"_s};
}

void TestLibrary::searchRanksAsTheTargetBar()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);

    QList<files::LibraryEntry> entries;
    for (const QString &name : {u"Dire Wolf"_s, u"Ogre"_s, u"Werewolf"_s, u"Wolf"_s, u"Wolf 2"_s, u"wolfhound"_s})
        entries.append({name, roster::Row(), QString()});
    QStringList ranked;
    for (const int i : files::searchLibrary(entries, typed))
        ranked << entries.at(i).name;
    QCOMPARE(ranked, found);
}

void TestLibrary::aSaveReadsBackAndNeverOverwrites()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"data/library"_s);
    const roster::Row row = made(u"CON"_s, u"22/22"_s, u"16"_s);

    const files::LibrarySave first = files::saveToLibrary(row, folder);
    QVERIFY2(first.ok, qPrintable(first.error));
    QCOMPARE(QFileInfo(first.path).fileName(), u"_CON.txt"_s);
#ifndef Q_OS_WIN
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
#endif
    QFile file(first.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    file.close();
    const QList<combat::StatBlock> read = combat::readStatBlocks(QString::fromUtf8(written));
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.constFirst().row, row);

    roster::Row other = made(u"CON"_s, u"5/5"_s, u"10"_s);
    const files::LibrarySave second = files::saveToLibrary(other, folder);
    QVERIFY2(second.ok, qPrintable(second.error));
    QCOMPARE(QFileInfo(second.path).fileName(), u"_CON 2.txt"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);

    const files::LibraryIndex index = files::indexLibrary({folder});
    QCOMPARE(index.entries.size(), 2);
    QVERIFY(index.unreadable.isEmpty());
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
