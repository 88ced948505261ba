// The combat kept for after a crash: the state file brings back what a combat file leaves
// out too, says whether a save holds it and whether its program closed, is written at most
// once an interval, and the newest file of an ended program is the one offered.
#include "document/RecoveryWriter.h"
#include "CommandChecks.h"

#include "files/ProfileReader.h"
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// A fight in its second turn, the Goblin left out by its box, 7 typed in the Orc's amount.
void typeFight(CombatDocument &doc)
{
    const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s};
    for (int r = 0; r < names.size(); ++r) {
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::HitPoints, u"20"_s));
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::Initiative, QString::number(10 + r)));
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::Name, names[r]));
        doc.closeMerge();
    }
    QVERIFY_DONE(doc.calculateOrder());
    QVERIFY_DONE(doc.nextTurn());
    QVERIFY_DONE(doc.nextTurn());
    QVERIFY_DONE(doc.setIncluded(1, false));
    QVERIFY_DONE(doc.setAmount(0, u"7 (fire)"_s));
}

QString shown(const CombatDocument &doc)
{
    QStringList parts;
    for (const roster::Row &row : doc.roster().rows)
        parts << row.name + u'/' + row.hp + u'/' + QString::number(row.check) + u'/' + row.amount;
    for (const combat::OrderEntry &item : doc.order())
        parts << item.text;
    parts << QStringLiteral("round %1 item %2").arg(doc.state().turn.round()).arg(doc.markedItem());
    return parts.join(u'|');
}

std::optional<files::RecoveryMark> markOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return files::readRecoveryMark(files::ProfileReader(file.readAll()));
}

std::unique_ptr<files::StateFile> openIn(const QString &folder)
{
    QString problem;
    return files::StateFile::open(folder, problem);
}

// A state file of an ended program, changed `minutesAgo`.
void leave(const QString &path, int minutesAgo, bool saved)
{
    const files::RecoveryMark mark{QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo), saved, false};
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(files::stateFileBytes(roster::Roster{}, {}, {}, mark));
    QVERIFY(file.flush() && file.setFileTime(mark.changed, QFileDevice::FileModificationTime));
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void restoreBringsBackEverything();
    void theMarkSaysWhatHoldsTheCombat_data();
    void theMarkSaysWhatHoldsTheCombat();
    void theNewestEndedUnsavedFileIsOffered_data();
    void theNewestEndedUnsavedFileIsOffered();
    void aFailingWriteIsToldOnce();
    void aLinkAtItsNameIsNotWrittenThrough();
    void onlyItsOwnFileIsWritten_data();
    void onlyItsOwnFileIsWritten();
    void aFolderNameWithPercentSignsIsKept();
    void onlyAWayNobodyElseCanChangeIsTaken_data();
    void onlyAWayNobodyElseCanChangeIsTaken();
};

void TestRecovery::restoreBringsBackEverything()
{
    QTemporaryDir dir;
    CombatDocument played;
    RecoveryWriter writer(played, openIn(dir.path()), 400ms);
    QSignalSpy written(&writer, &RecoveryWriter::written);
    typeFight(played);
    QTRY_VERIFY(!written.isEmpty() && written.last().first().toULongLong() == writer.taken());
    // The first change is written at once, the next dozen together after the interval.
    QVERIFY2(written.size() <= 2, qPrintable(QString::number(written.size())));

    CombatDocument restored;
    QVERIFY_DONE(restored.setFieldText(4, roster::Field::Name, u"Bystander"_s));
    QFile copy(writer.path());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QVERIFY_DONE(restored.restore(copy.readAll()));
    QCOMPARE(shown(restored), shown(played));
    QCOMPARE(restored.history().undoText(), u"Restore Combat"_s);
    QVERIFY(restored.lastCombatPath().isEmpty());
    QVERIFY(restored.savedState() != restored.state());
    QVERIFY_DONE(restored.nextTurn());
    QVERIFY_DONE(played.nextTurn());
    QCOMPARE(shown(restored), shown(played));
    QVERIFY_DONE(restored.undo());
    QVERIFY_DONE(restored.undo());
    QCOMPARE(restored.row(4).name, u"Bystander"_s);
}

void TestRecovery::theMarkSaysWhatHoldsTheCombat_data()
{
    QTest::addColumn<QString>("steps"); // e edit, s save to a file, x Exit
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("closed");
    QTest::newRow("changed") << u"e"_s << false << false;
    QTest::newRow("saved after the change") << u"es"_s << true << false;
    QTest::newRow("changed after the save") << u"ese"_s << false << false;
    QTest::newRow("an amount typed after the save, which no file keeps") << u"esa"_s << true << false;
    QTest::newRow("Exit") << u"ex"_s << false << true;
    QTest::newRow("saved, then Exit") << u"esx"_s << true << true;
}

void TestRecovery::theMarkSaysWhatHoldsTheCombat()
{
    QFETCH(QString, steps);
    QTemporaryDir dir;
    CombatDocument doc;
    auto writer = std::make_unique<RecoveryWriter>(doc, openIn(dir.path()), 0ms);
    const QString path = writer->path();
    const QDateTime before = QDateTime::currentDateTimeUtc();
    for (const QChar step : steps) {
        if (step == u'e')
            QVERIFY_DONE(doc.setFieldText(0, roster::Field::Name, doc.row(0).name + u'x'));
        else if (step == u'a')
            QVERIFY_DONE(doc.setAmount(0, u"5"_s));
        else if (step == u's')
            QVERIFY_DONE(doc.save(dir.filePath(u"saved.ini"_s)));
        else
            writer->close();
    }
    writer.reset(); // writes what still waits
    const std::optional<files::RecoveryMark> mark = markOf(path);
    QVERIFY(mark);
    QTEST(mark->saved, "saved");
    QTEST(mark->closed, "closed");
    QVERIFY(mark->changed >= before.addMSecs(-1) && mark->changed <= QDateTime::currentDateTimeUtc());
}

void TestRecovery::theNewestEndedUnsavedFileIsOffered_data()
{
    // Each file: "<name>:<minutes ago>:<s saved | u unsaved | l its program alive | b broken>"
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("othersFolder"); // the folder given to another user before the look
    QTest::newRow("the newest of two unsaved") << QStringList{u"a:5:u"_s, u"b:1:u"_s, u"c:9:u"_s} << u"b"_s
                                               << QStringList{u"a"_s, u"b"_s, u"c"_s} << false;
    QTest::newRow("a saved one goes, and is not offered") << QStringList{u"a:5:u"_s, u"b:1:s"_s} << u"a"_s
                                                          << QStringList{u"a"_s} << false;
    QTest::newRow("a living program's file is its own") << QStringList{u"a:5:u"_s, u"b:1:l"_s} << u"a"_s
                                                        << QStringList{u"a"_s, u"b"_s} << false;
    QTest::newRow("a file that does not read is left alone") << QStringList{u"a:1:b"_s} << QString()
                                                             << QStringList{u"a"_s} << false;
    QTest::newRow("nothing left") << QStringList{} << QString() << QStringList{} << false;
    QStringList many, kept;
    for (const char name : QByteArrayView("abcdefghijkl")) {
        const int minutes = name < 'j' ? name - 'a' + 1 : files::OldCopyDays * 24 * 60 + name; // j, k, l: long ago
        many << u"%1:%2:u"_s.arg(QLatin1Char(name)).arg(minutes);
        if (name <= 'j')
            kept << QString(QLatin1Char(name));
    }
    QTest::newRow("beyond the ten newest, those long unwritten go") << many << u"a"_s << kept << false;
    many.clear();
    kept.clear();
    for (int copy = 1; copy <= files::MostCopies + 2; ++copy) {
        many << u"n%1:%1:u"_s.arg(copy);
        if (copy <= files::MostCopies)
            kept << u"n%1"_s.arg(copy);
    }
    kept.sort();
    QTest::newRow("beyond the most kept, every one goes") << many << u"n1"_s << kept << false;
    QTest::newRow("another user's folder: nothing read, removed or locked")
        << QStringList{u"a:5:u"_s, u"b:1:s"_s} << QString() << QStringList{u"a"_s, u"b"_s} << true;
}

void TestRecovery::theNewestEndedUnsavedFileIsOffered()
{
    QFETCH(QStringList, files);
    QFETCH(QString, offered);
    QFETCH(QStringList, left);
    QFETCH(bool, othersFolder);
    QTemporaryDir dir;
    std::unique_ptr<files::platform::PrivateFolder> folder;
    QVERIFY(files::platform::PrivateFolder::open(dir.path(), folder).ok());
    std::vector<int> alive;
    QStringList locks; // what lock files there should be after the look: the held ones
    for (const QString &entry : files) {
        const QStringList parts = entry.split(u':');
        const QString path = dir.filePath(u"combat-%1.ini"_s.arg(parts[0]));
        leave(path, parts[1].toInt(), parts[2] == u"s");
        if (parts[2] == u"b")
            QVERIFY(QFile::resize(path, 100));
        if (parts[2] == u"l") {
            alive.push_back(-1);
            QVERIFY(folder->tryLock(u"combat-%1.lock"_s.arg(parts[0]), true, alive.back()).ok());
            locks << parts[0];
        }
    }
    if (!offered.isEmpty())
        locks << offered;
    locks.sort();
#ifndef Q_OS_WIN
    if (othersFolder && ::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    if (othersFolder)
        QCOMPARE(::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
#else
    if (othersFolder)
        QSKIP("a folder of another user is made only on Unix here");
#endif
    {
        const std::unique_ptr<files::LeftState> found = files::LeftState::findNewest(dir.path());
        QCOMPARE(found ? QFileInfo(found->path()).completeBaseName() : QString(),
                 offered.isEmpty() ? QString() : u"combat-"_s + offered);
    }
    QStringList remaining = QDir(dir.path()).entryList({u"*.ini"_s}, QDir::Files, QDir::Name);
    remaining.replaceInStrings(u"combat-"_s, QString()).replaceInStrings(u".ini"_s, QString());
    remaining.sort();
    QCOMPARE(remaining, left);
    // No lock is made but the one of the combat offered.
    QStringList lockFiles = QDir(dir.path()).entryList({u"*.lock"_s}, QDir::Files, QDir::Name);
    lockFiles.replaceInStrings(u"combat-"_s, QString()).replaceInStrings(u".lock"_s, QString());
    QCOMPARE(lockFiles, locks);
    for (const int lock : alive)
        files::platform::releaseLock(lock);
}

void TestRecovery::aFailingWriteIsToldOnce()
{
    QTemporaryDir dir;
    CombatDocument doc;
    RecoveryWriter writer(doc, openIn(dir.path()), 0ms);
    QVERIFY(QDir().mkdir(writer.path())); // where the file should go, a folder: every write fails
    QSignalSpy failed(&writer, &RecoveryWriter::failed);
    QVERIFY_DONE(doc.setFieldText(0, roster::Field::Name, u"Orc"_s));
    QTRY_COMPARE(failed.size(), 1);
    QVERIFY_DONE(doc.setFieldText(0, roster::Field::Name, u"Orcs"_s));
    QTest::qWait(100);
    QCOMPARE(failed.size(), 1);
    QVERIFY2(failed.first().first().toString().contains(u"not being kept for after a crash"_s),
             qPrintable(failed.first().first().toString()));
    QCOMPARE(doc.row(0).name, u"Orcs"_s);
}

void TestRecovery::aLinkAtItsNameIsNotWrittenThrough()
{
    QTemporaryDir dir;
    QString problem;
    const std::unique_ptr<files::StateFile> file = files::StateFile::open(dir.filePath(u"fraymark"_s), problem);
    QVERIFY2(file, qPrintable(problem));
    const QString victim = dir.filePath(u"victim.txt"_s);
    {
        QFile mine(victim);
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
    }
    QFile::remove(file->path());
#ifdef Q_OS_WIN
    if (!::CreateSymbolicLinkW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(file->path()).utf16()),
                               reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(victim).utf16()),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
        || !QFileInfo(file->path()).isSymLink())
        QSKIP("no symbolic link was made: Windows lets only an administrator, or developer mode, make one, "
              "and Wine makes none");
#else
    QVERIFY(QFile::link(victim, file->path()));
#endif
    // The file takes the link's place.
    QVERIFY(file->write("[Info0]\r\n").ok);
    QVERIFY(!QFileInfo(file->path()).isSymLink());
    QFile mine(victim);
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("mine"));
}

// The copy goes only into the folder held open: whatever is put at its name is replaced,
// never written through, and a folder taken away or swapped stops the copies with a true
// sentence.
void TestRecovery::onlyItsOwnFileIsWritten_data()
{
    QTest::addColumn<QString>("meanwhile"); // what happens before the file is written
    QTest::addColumn<QString>("told");      // what the refusal says; empty: written
    const QString moved = u"is no longer the one Fraymark made for its copies"_s;
    QTest::newRow("nothing: made for its owner alone") << u"nothing"_s << QString();
#ifndef Q_OS_WIN
    QTest::newRow("a link leading elsewhere: replaced") << u"link"_s << QString();
    QTest::newRow("another user's file: replaced") << u"another's file"_s << QString();
#endif
#ifndef Q_OS_WIN
    // Windows refuses both while the folder is held (tst_filesystemwin).
    QTest::newRow("its folder gone") << u"no folder"_s << moved;
    QTest::newRow("its folder renamed away, another made at its path") << u"swapped"_s << moved;
#endif
}

void TestRecovery::onlyItsOwnFileIsWritten()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, told);
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"fraymark"_s);
    QString problem;
    const std::unique_ptr<files::StateFile> file = files::StateFile::open(folder, problem);
    QVERIFY2(file, qPrintable(problem));
    const QString elsewhere = dir.filePath(u"elsewhere.ini"_s);
    {
        QFile theirs(elsewhere);
        QVERIFY(theirs.open(QIODevice::WriteOnly) && theirs.write("theirs") == 6);
    }
#ifndef Q_OS_WIN
    if (meanwhile == u"link") {
        QVERIFY(QFile::link(elsewhere, file->path()));
    } else if (meanwhile == u"another's file") {
        if (::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        QVERIFY(QFile::copy(elsewhere, file->path()));
        QCOMPARE(::chown(QFile::encodeName(file->path()).constData(), 65534, 65534), 0);
    }
#endif
    if (meanwhile == u"no folder")
        QVERIFY(QDir(folder).removeRecursively());
    if (meanwhile == u"swapped")
        QVERIFY(QDir().rename(folder, dir.filePath(u"away"_s)) && QDir().mkdir(folder));
    const files::SaveOutcome outcome = file->write("[Info0]\r\n");
    QVERIFY2(outcome.ok == told.isEmpty() && outcome.error.contains(told), qPrintable(outcome.error));
    QFile theirs(elsewhere);
    QVERIFY(theirs.open(QIODevice::ReadOnly));
    QCOMPARE(theirs.readAll(), QByteArray("theirs"));
    QFile copy(file->path());
    QCOMPARE(copy.open(QIODevice::ReadOnly) ? copy.readAll() : QByteArray(),
             told.isEmpty() ? QByteArray("[Info0]\r\n") : QByteArray());
#ifndef Q_OS_WIN
    if (told.isEmpty())
        QCOMPARE(QFileInfo(file->path()).permissions() & 0x0077, QFile::Permissions()); // group and others: nothing
#endif
}

void TestRecovery::aFolderNameWithPercentSignsIsKept()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"100%1 %2"_s);
    QString problem;
    const std::unique_ptr<files::StateFile> file = files::StateFile::open(folder, problem);
    QVERIFY2(file, qPrintable(problem));
    QCOMPARE(QFileInfo(file->path()).path(), folder);
}

// The folder of the copies is found only where nobody else can swap it: not inside a folder
// others may rename things in (a sticky folder of root's is safe), and never through another
// user's link, through which nothing is made either.
void TestRecovery::onlyAWayNobodyElseCanChangeIsTaken_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("told"); // empty: the copy is kept there
    QTest::newRow("a sticky folder of root's") << u"sticky"_s << QString();
    QTest::newRow("a folder anyone may write") << u"open"_s << u"where others may rename or replace what it holds"_s;
    QTest::newRow("another user's link") << u"their link"_s << u"is a link of the user"_s;
}

void TestRecovery::onlyAWayNobodyElseCanChangeIsTaken()
{
#ifdef Q_OS_WIN
    QSKIP("permission bits and other users' links: the Windows build checks owners and access lists");
#else
    QFETCH(QString, way);
    QFETCH(QString, told);
    if (way == u"their link" && ::geteuid() != 0)
        QSKIP("another user's link needs the tests to run as root");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"parent"_s) && QDir(dir.path()).mkdir(u"elsewhere"_s));
    const QString parent = dir.filePath(u"parent"_s);
    QCOMPARE(::chmod(QFile::encodeName(parent).constData(), way == u"open" ? 0777 : 01777), 0);
    QString folder = parent + u"/fraymark"_s;
    if (way == u"their link") {
        const QString link = parent + u"/link"_s;
        QVERIFY(QFile::link(dir.filePath(u"elsewhere"_s), link));
        QCOMPARE(::lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);
        folder = link + u"/fraymark"_s;
    }
    QString problem;
    const std::unique_ptr<files::StateFile> file = files::StateFile::open(folder, problem);
    QCOMPARE(bool(file), told.isEmpty());
    QVERIFY2(problem.contains(told), qPrintable(problem));
    QVERIFY(QDir(dir.filePath(u"elsewhere"_s)).isEmpty());
#endif
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
