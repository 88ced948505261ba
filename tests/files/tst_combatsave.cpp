#include "files/ChildProcess.h"
#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"
#include "files/StateFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_WIN
#include <QDeadlineTimer>
#include <QProcess>

#include <windows.h>
#else
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

using roster::Roster;

namespace {

#ifndef Q_OS_WIN

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
    return {report.startsWith('1'), QString::fromUtf8(report.mid(1)), QString()};
}
#endif

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

QByteArray native(const QString &path) { return QFile::encodeName(path); }

#ifdef Q_OS_WIN
// The path as the W functions take it; the \\?\ form lets it be as long as a name allows.
std::wstring wide(const QString &path)
{
    return (QStringLiteral("\\\\?\\") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())).toStdWString();
}

bool hardLink(const QString &existing, const QString &name)
{
    return CreateHardLinkW(wide(name).c_str(), wide(existing).c_str(), nullptr);
}

// What a save must keep of a name: whether it is a link, and the file's attributes
// (hidden, system, read-only) and links.
struct Snapshot
{
    bool link = false;
    bool exists = false;
    DWORD attributes = 0;
    DWORD links = 0;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const QString &path)
{
    Snapshot shot;
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    shot.link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    HANDLE file = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    shot.exists = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (shot.exists) {
        shot.attributes = info.dwFileAttributes;
        shot.links = info.nNumberOfLinks;
    }
    return shot;
}
#else
bool hardLink(const QString &existing, const QString &name)
{
    return link(native(existing).constData(), native(name).constData()) == 0;
}

// What a save must keep of a name: whether it is a link, and the file's owner,
// permissions, links and extended attributes (ACLs included).
struct Snapshot
{
    bool link = false;
    bool exists = false;
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0;
    nlink_t links = 0;
    QMap<QByteArray, QByteArray> attributes;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const QString &path)
{
    Snapshot shot;
    struct stat info {};
    shot.link = lstat(native(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
    shot.exists = stat(native(path).constData(), &info) == 0;
    if (!shot.exists)
        return shot;
    shot = {shot.link, true, info.st_uid, info.st_gid, info.st_mode, info.st_nlink, {}};
    char names[4096];
    const ssize_t size = listxattr(native(path).constData(), names, sizeof names);
    for (const QByteArray &name : QByteArray(names, qMax<ssize_t>(size, 0)).split('\0')) {
        char value[4096];
        const ssize_t n = name.isEmpty() ? -1 : getxattr(native(path).constData(), name.constData(), value, sizeof value);
        if (n >= 0)
            shot.attributes.insert(name, QByteArray(value, n));
    }
    return shot;
}

// An access ACL: the owner reads and writes, "nobody" reads, no one else anything.
QByteArray aclForNobody()
{
    const quint16 entries[][4] = {{0x01, 6, 0xFFFF, 0xFFFF}, {0x02, 4, 65534, 0}, {0x04, 0, 0xFFFF, 0xFFFF},
                                  {0x10, 4, 0xFFFF, 0xFFFF}, {0x20, 0, 0xFFFF, 0xFFFF}};
    QByteArray acl("\2\0\0\0", 4); // version 2, little-endian as the kernel stores it
    acl.append(reinterpret_cast<const char *>(entries), sizeof entries);
    return acl;
}
#endif

Roster sampleRoster(const QString &name)
{
    Roster roster;
    roster.rows[0].name = name;
    roster.rows[0].hp = QStringLiteral("12");
    roster.generalNote = QStringLiteral("first\nsecond");
    return roster;
}

// What a killed save writes in turn (the first two) and the save after it writes:
// about 1 MB each, so that a save takes a while.
QList<Roster> killedSaveCombats()
{
    QList<Roster> combats;
    for (const char16_t c : {u'a', u'b', u'c'}) {
        combats << sampleRoster(QString(1, c));
        combats.last().generalNote = QString(50'000, c);
    }
    return combats;
}

#ifdef Q_OS_WIN
// The saver that killedSave kills: the first two combats in turn into the file named,
// until it is killed; a save that fails ends it, its message the report.
QByteArray saveInTurns(const QStringList &arguments)
{
    const QList<Roster> combats = killedSaveCombats();
    for (int i = 0;; i ^= 1)
        if (const files::SaveOutcome outcome = files::saveCombatFile(combats[i], arguments.value(0)); !outcome.ok)
            return outcome.error.toUtf8();
}
const testing::RegisterChildJob SaveInTurns("save in turns", saveInTurns);

// One of the two savers of twoSavesThroughTwoNames: the combat of the index given, twenty
// times into the file named.
QByteArray saveTwentyTimes(const QStringList &arguments)
{
    const Roster combat = killedSaveCombats().value(arguments.value(0).toInt());
    for (int i = 0; i < 20; ++i)
        if (const files::SaveOutcome outcome = files::saveCombatFile(combat, arguments.value(1)); !outcome.ok)
            return outcome.error.toUtf8();
    return "saved";
}
const testing::RegisterChildJob SaveTwentyTimes("save twenty times", saveTwentyTimes);

// Stops every thread of the process, or lets them go on, as SIGSTOP and SIGCONT do.
bool suspendProcess(qint64 pid, bool stop)
{
    using Call = LONG(NTAPI *)(HANDLE);
    const auto call = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), stop ? "NtSuspendProcess" : "NtResumeProcess")));
    const HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME, FALSE, DWORD(pid));
    const bool done = call && process && call(process) == 0;
    if (process)
        CloseHandle(process);
    return done;
}

// Runs the saver of `path` until a name beginning with `name` is in `folder`, and kills it
// while the name is there; `report` says why when it never showed.
bool killSaverWhileNamed(const QString &path, const QString &folder, const QString &name, QByteArray &report)
{
    QProcess saver;
    testing::startChild(saver, QStringLiteral("save in turns"), {path});
    if (!saver.waitForStarted()) {
        report = saver.errorString().toUtf8();
        return false;
    }
    bool caught = false;
    for (QDeadlineTimer deadline(60'000); !caught && !deadline.hasExpired() && !saver.waitForFinished(0);) {
        const QStringList names = QDir(folder).entryList({name + u'*'}, QDir::Files | QDir::Hidden);
        if (names.isEmpty())
            continue;
        suspendProcess(saver.processId(), true);
        // Wine stops the threads a moment after the call returns: the saver is looked at
        // once it holds.
        QThread::msleep(50);
        caught = QFile::exists(folder + u'/' + names.first());
        if (!caught)
            suspendProcess(saver.processId(), false);
    }
    saver.kill();
    saver.waitForFinished();
    report = saver.readAllStandardOutput();
    return caught;
}

// Why a case is left out on Windows, by what it is about (a row's kind or name); empty
// for a case that runs there.
QString posixOnly(const QString &about)
{
    const QString anotherUser = QStringLiteral(": Windows has no setuid or chown by which a test becomes another user "
                                               "or gives a file to one");
    if (about == u"mode")
        return QStringLiteral("permission bits are kept: Windows files have no permission bits, only attributes (see "
                              "the attributes rows)");
    if (about == u"others" || about == u"writable" || about.startsWith(u"root's file") || about == u"nobody")
        return QStringLiteral("a file of one user saved by another") + anotherUser;
    if (about == u"link" || about == u"dangling link" || about == u"link loop")
        return QStringLiteral("symbolic links: on Windows an ordinary user may not make one (it takes "
                              "SeCreateSymbolicLinkPrivilege), and Wine makes none");
    if (about == u"xattr" || about == u"acl")
        return QStringLiteral("extended attributes and POSIX ACLs are kept: Windows files have neither");
    if (about.startsWith(u"path of "))
        return QStringLiteral("paths up to Linux's 4,096 bytes (PATH_MAX): Windows has no limit there, a path in "
                              "the \\\\?\\ form may have 32,767 characters");
    if (about == u"a device" || about.startsWith(u"standard output"))
        return QStringLiteral("devices and pipes in the folder tree (/dev): Windows keeps its devices apart from "
                              "its folders, and refuses their names, such as CON or NUL (tst_filesystemwin)");
    if (about == u"read-only folder")
        return QStringLiteral("a folder whose permission bits forbid new files: Windows folders have no such bits, "
                              "and their read-only attribute does not stop new files");
    if (about == u"read-only file system")
        return QStringLiteral("a folder on a read-only file system, Linux's /proc: Windows has no such folder at "
                              "hand");
    return {};
}
#endif

} // namespace

class TestCombatSave : public QObject
{
    Q_OBJECT

private slots:
    void replacesAllOfAnExistingFile();
    void keepsTheFile_data();
    void keepsTheFile();
    void refusedTargets_data();
    void refusedTargets();
    void noFileName();
    void fullDisk_data();
    void fullDisk();
    void loadLimit();
    void linksInSharedFolders_data();
    void linksInSharedFolders();
    void temporaryFilesUnreadable_data();
    void temporaryFilesUnreadable();
    void killedSave_data();
    void killedSave();
    void twoSavesThroughTwoNames();
    void aJournalPlantedBesideTheFile_data();
    void aJournalPlantedBesideTheFile();
    void aLockOnTheFileHoldsUpOnlyWhatNeedsIt_data();
    void aLockOnTheFileHoldsUpOnlyWhatNeedsIt();
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

void TestCombatSave::keepsTheFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byNobody"); // saved by "nobody" rather than root

    QTest::newRow("permission bits 0640") << QStringLiteral("mode") << false;
    QTest::newRow("nobody's file 0600, saved by root") << QStringLiteral("others") << false;
    QTest::newRow("root's file 0666, saved by nobody") << QStringLiteral("writable") << true;
    QTest::newRow("hard link") << QStringLiteral("hard link") << false;
    QTest::newRow("link to a file") << QStringLiteral("link") << false;
    QTest::newRow("link to a missing file") << QStringLiteral("dangling link") << false;
    QTest::newRow("extended attribute") << QStringLiteral("xattr") << false;
    QTest::newRow("ACL") << QStringLiteral("acl") << false;
#ifdef Q_OS_WIN
    QTest::newRow("no attributes but archive") << QStringLiteral("ordinary") << false;
    QTest::newRow("hidden and system attributes") << QStringLiteral("attributes") << false;
#endif
    QTest::newRow("name of 255 bytes") << QStringLiteral("long name") << false;
    // A short name leaves no room beside it for a longer one in the same folder.
    for (const int length : {4087, 4095})
        for (const char *shape : {"", ", hard link", ", new file"})
            QTest::addRow("path of %d bytes%s", length, shape)
                << QStringLiteral("path of %1 bytes%2").arg(length).arg(QLatin1StringView(shape)) << false;
}

// The new combat is in every name of the file, which stays what it was, and
// nothing else is left in the folder.
void TestCombatSave::keepsTheFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, byNobody);
#ifdef Q_OS_WIN
    if (const QString reason = posixOnly(kind); !reason.isEmpty())
        QSKIP(qPrintable(reason));
#endif

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
#ifndef Q_OS_WIN
    QVERIFY(chmod(native(dir.path()).constData(), 0755) == 0); // "nobody" may enter
#endif
    const int pathLength = kind.startsWith(u"path of ") ? kind.mid(8, 4).toInt() : 0;
    QString folder = dir.path();
    while (folder.size() + 2 < pathLength) {
        folder += u'/' + QString(qMin(200, pathLength - int(folder.size()) - 3), u'f');
        QVERIFY(QDir().mkdir(folder));
    }
    const QString path = folder + u'/' + (kind == u"long name" ? QString(251, u'n') + QStringLiteral(".ini")
                                          : pathLength ? QStringLiteral("c") : QStringLiteral("combat.ini"));
    QVERIFY(!pathLength || native(path).size() == pathLength);
    QStringList names{path};
    const QByteArray oldBytes = files::combatFileBytes(sampleRoster(QStringLiteral("Old chief")));
#ifdef Q_OS_WIN
    if (kind != u"long name" && !kind.endsWith(u"new file"))
        QVERIFY(writeFile(path, oldBytes));
    if (kind == u"attributes")
        QVERIFY(SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
    if (kind.contains(u"link") && !kind.endsWith(u"hard link")) {
        names << dir.filePath(QStringLiteral("real.ini"));
        QCOMPARE(symlink("real.ini", native(path).constData()), 0);
        if (kind == u"link")
            QVERIFY(writeFile(names.last(), oldBytes));
    } else if (kind != u"long name" && !kind.endsWith(u"new file")) {
        QVERIFY(writeFile(path, oldBytes));
    }
    if (kind == u"mode")
        QCOMPARE(chmod(native(path).constData(), 0640), 0);
    if (kind == u"others") {
        QCOMPARE(chmod(native(path).constData(), 0600), 0);
        QCOMPARE(chown(native(path).constData(), 65534, 65534), 0);
    }
    if (kind == u"writable") {
        QCOMPARE(chmod(native(path).constData(), 0666), 0);
        QCOMPARE(chown(native(dir.path()).constData(), 65534, 65534), 0); // room for a copy beside it
    }
#endif
    if (kind.endsWith(u"hard link")) {
        names << folder + (pathLength ? QStringLiteral("/o") : QStringLiteral("/other.ini"));
        QVERIFY(hardLink(path, names.last()));
    }
#ifndef Q_OS_WIN
    if (kind == u"xattr" || kind == u"acl") {
        const QByteArray name = kind == u"xattr" ? "user.fraymark" : "system.posix_acl_access";
        const QByteArray value = kind == u"xattr" ? QByteArray("kept") : aclForNobody();
        if (setxattr(native(path).constData(), name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            QSKIP(qPrintable(QStringLiteral("the file system of %1 refuses %2: %3")
                                 .arg(dir.path(), QString::fromLatin1(name), qt_error_string(errno))));
        QCOMPARE(snapshot(path).attributes.value(name), value);
    }
#endif
    QList<Snapshot> before;
    for (const QString &name : names)
        before << snapshot(name);

    const Roster roster = sampleRoster(QStringLiteral("New chief"));
    auto save = [&] {
        const files::SaveOutcome outcome = files::saveCombatFile(roster, path);
        return outcome.ok ? QByteArray("saved") : outcome.error.toUtf8();
    };
#ifdef Q_OS_WIN
    Q_UNUSED(byNobody) // its rows are skipped above
    QCOMPARE(QString::fromUtf8(save()), QStringLiteral("saved"));
#else
    QCOMPARE(QString::fromUtf8(byNobody ? testing::asNobody(save) : save()), QStringLiteral("saved"));
#endif

    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(contents(names.at(i)), files::combatFileBytes(roster));
        if (before.at(i).exists)
            QVERIFY2(snapshot(names.at(i)) == before.at(i), qPrintable(names.at(i)));
    }
    QVERIFY(snapshot(path).link == before.first().link);
    QStringList expected;
    for (const QString &name : names)
        expected << QFileInfo(name).fileName();
    expected.sort();
    QCOMPARE(entries(folder), expected);
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
    const QString notAFile = QStringLiteral("that is not a file but a device, a pipe or a socket");
    QTest::newRow("a device") << QStringLiteral("/dev/null") << notAFile;
    QTest::newRow("standard output, whatever it leads to") << QStringLiteral("/dev/stdout")
                                                             << QStringLiteral("a link the system keeps to a file a "
                                                                               "program has open");
    QTest::newRow("link loop") << QStringLiteral("loop.ini") << QStringLiteral("leads round in a loop and never reaches a file");
#ifdef Q_OS_WIN
    const QString nameUnits = QStringLiteral("characters"); // UTF-16 units, as NTFS counts them
#else
    const QString nameUnits = QStringLiteral("bytes");
#endif
    QTest::newRow("name of 256 bytes") << QString(252, u'n') + QStringLiteral(".ini")
                                       << QStringLiteral("the file name is too long; a name may have at most 255 %1 there")
                                              .arg(nameUnits);
    QTest::newRow("path of 4,500 bytes") << (QString(200, u'f') + u'/').repeated(22) + QStringLiteral("combat.ini")
                                         << QStringLiteral("the path is too long; a path may have at most 4,095 bytes");
    QTest::newRow("root's file") << QStringLiteral("root/combat.ini")
                                 << QStringLiteral("the file belongs to the user \"root\", who does not let you change it");
    QTest::newRow("root's file, anyone may write it but not read it")
        << QStringLiteral("root/write-only.ini") << QStringLiteral("the file may be written but not read");
#ifdef Q_OS_WIN
    QTest::newRow("read-only file") << QStringLiteral("read-only.ini") << QStringLiteral("the file is read-only");
#endif
}

// Nothing is written and the message names the file.
void TestCombatSave::refusedTargets()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
#ifdef Q_OS_WIN
    if (const QString why = posixOnly(QString::fromLatin1(QTest::currentDataTag())); !why.isEmpty())
        QSKIP(qPrintable(why));
#endif

    // Links are followed only on a way nobody else may write: the loop lives in the build's
    // folder, and is walked as the user the test runs as.
    const bool loop = target == u"loop.ini";
    QTemporaryDir dir(loop ? QDir::currentPath() + QStringLiteral("/loop-XXXXXX") : QDir::tempPath() + QStringLiteral("/tst_combatsave-XXXXXX"));
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
#ifdef Q_OS_WIN
    // The read-only attribute, which binds every user.
    if (target == u"read-only.ini")
        QVERIFY(writeFile(path, "kept") && QFile::setPermissions(path, QFile::ReadOwner));
#else
    if (target == u"loop.ini") {
        QCOMPARE(symlink("loop2.ini", native(path).constData()), 0);
        QCOMPARE(symlink("loop.ini", native(dir.filePath(QStringLiteral("loop2.ini"))).constData()), 0);
    }
    // Outside the folder that the ordinary user is given, so it stays root's.
    QTemporaryDir rootsFolder;
    if (target.startsWith(QStringLiteral("root/"))) {
        if (geteuid() != 0)
            QSKIP("a file of another user needs the tests to run as root");
        QVERIFY(rootsFolder.isValid() && chmod(native(rootsFolder.path()).constData(), 0755) == 0);
        path = rootsFolder.filePath(QFileInfo(target).fileName());
        QVERIFY(writeFile(path, "root's"));
        if (target.endsWith(u"write-only.ini"))
            QCOMPARE(chmod(native(path).constData(), 0622), 0);
    }
#endif
    const QStringList before = entries(QFileInfo(path).absolutePath());

    const auto save = [&] {
        const files::SaveOutcome saved = files::saveCombatFile(Roster(), path);
        return saved.ok ? QByteArray("<saved>") : saved.error.toUtf8();
    };
    const files::SaveOutcome outcome{false, QString::fromUtf8(loop ? save() : testing::asOrdinaryUser(dir.path(), save)),
                                     QString()};
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#ifdef Q_OS_WIN
    if (target == u"read-only.ini") {
        QCOMPARE(contents(path), QByteArray("kept"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    }
#endif
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
    QTest::addColumn<QString>("shape"); // "new file", "file" or "hard link": what is at the path
    QTest::addColumn<int>("oldNoteLength");
    QTest::addColumn<int>("noteLength"); // 80: a 3 KB file; 2000: over 16 KiB
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("fromSize"); // the limit is added to the new file's size

    for (const char *shape : {"new file", "file"}) {
        for (const qint64 limit : {0, 1})
            QTest::addRow("%s, 3 KB, limit %lld", shape, limit) << shape << 240 << 80 << limit << false;
        for (const qint64 limit : {16383, 16384, 16385})
            QTest::addRow("%s, over 16 KiB, limit %lld", shape, limit) << shape << 6000 << 2000 << limit << false;
        for (const int noteLength : {80, 2000}) {
            QTest::addRow("%s, %d, one byte short", shape, noteLength) << shape << 3 * noteLength << noteLength << qint64(-1) << true;
            QTest::addRow("%s, %d, limit the size", shape, noteLength) << shape << 3 * noteLength << noteLength << qint64(0) << true;
        }
    }
    // Written in place: a journal of the old content and the new comes first (the limit
    // counted from both, the journal's header besides), then the new bytes over the old ones.
    for (const int noteLength : {80, 2000}) {
        for (const int oldNoteLength : {noteLength / 4, 3 * noteLength}) {
            const char *old = oldNoteLength < noteLength ? "smaller" : "larger";
            for (const qint64 limit : {-1, 4096})
                QTest::addRow("hard link, %d, %s old file, %lld", noteLength, old, limit)
                    << "hard link" << oldNoteLength << noteLength << limit << true;
            QTest::addRow("hard link, %d, %s old file, limit 1", noteLength, old)
                << "hard link" << oldNoteLength << noteLength << qint64(1) << false;
        }
    }
}

// Saved whole or not at all: a refused write leaves the old file byte for byte in
// every name, no other file, and a message with the file and the kernel's reason.
void TestCombatSave::fullDisk()
{
#ifdef Q_OS_WIN
    QSKIP("a full disk, played by a limit on the size of the process's files (RLIMIT_FSIZE): Windows has no such "
          "limit");
#else
    QFETCH(QString, shape);
    QFETCH(int, oldNoteLength);
    QFETCH(int, noteLength);
    QFETCH(qint64, limit);
    QFETCH(bool, fromSize);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QStringList names{QStringLiteral("combat.ini")};
    Roster old = sampleRoster(QStringLiteral("Old chief"));
    old.generalNote = QString(oldNoteLength, u'o');
    const QByteArray oldBytes = files::combatFileBytes(old);
    if (shape != u"new file")
        QVERIFY(writeFile(path, oldBytes));
    if (shape == u"hard link") {
        names << QStringLiteral("other.ini");
        QVERIFY(hardLink(path, dir.filePath(names.last())));
    }

    Roster roster = sampleRoster(QStringLiteral("New chief"));
    roster.generalNote = QString(noteLength, u'n');
    const QByteArray fresh = files::combatFileBytes(roster);
    QVERIFY(noteLength > 1000 ? fresh.size() > 16 * 1024 : fresh.size() > 2500 && fresh.size() < 4096);
    const bool inPlace = shape == u"hard link";
    if (fromSize)
        limit += fresh.size() + (inPlace ? oldBytes.size() : 0);
    // In place the journal holds both contents, and a header: a limit below the two fails it.
    const qint64 needed = inPlace ? fresh.size() + oldBytes.size() + 1 : fresh.size();

    const files::SaveOutcome outcome = saveWithFileSizeLimit(roster, path, rlim_t(limit));
    if (limit >= needed) {
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        for (const QString &name : names)
            QCOMPARE(contents(dir.filePath(name)), fresh);
    } else {
        QVERIFY(!outcome.ok);
        // In place, it is the journal that does not fit, and the message says where it was.
        const QString why = inPlace ? QStringLiteral("it must be written into the file itself, and the record that "
                                                     "keeps its old content meanwhile could not be written in \"%1\" "
                                                     "(File too large). Nothing was written")
                                          .arg(QDir::toNativeSeparators(files::stateFolderPath()))
                                    : QStringLiteral("File too large");
        QCOMPARE(outcome.error, QStringLiteral("The combat could not be saved to \"%1\": %2.")
                                    .arg(QDir::toNativeSeparators(path), why));
        if (shape != u"new file")
            for (const QString &name : names)
                QCOMPARE(contents(dir.filePath(name)), oldBytes);
    }
    names.sort();
    QCOMPARE(entries(dir.path()), shape != u"new file" || outcome.ok ? names : QStringList());
#endif
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

void TestCombatSave::linksInSharedFolders_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("folderOfNobody"); // else root's, with nobody's group
    QTest::addColumn<bool>("plantedByNobody"); // else by root
    QTest::addColumn<bool>("savedByNobody");
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<bool>("toFolder"); // the link leads to the target's folder, the path goes on through it
    QTest::addColumn<QString>("told"); // why it is not followed; empty: followed

    const QString others = QStringLiteral("is a link of the user \"nobody\", and only your own links are followed");
    const QString shared = QStringLiteral("is a link, and others may write the folder \"%1\" on the way to it, so it "
                                          "is not followed")
                               .arg(QDir::tempPath());
    for (const bool toFolder : {false, true}) {
        const char *to = toFolder ? "to a folder" : "to a file";
        QTest::addRow("sticky, nobody's link %s, root saves", to) << 01777 << false << true << false << false << toFolder << others;
        QTest::addRow("sticky, nobody's dangling link %s, root saves", to) << 01777 << false << true << false << true << toFolder << others;
        QTest::addRow("not sticky, nobody's link %s, root saves", to) << 0777 << false << true << false << false << toFolder << others;
        QTest::addRow("sticky, nobody's own link %s, nobody saves", to) << 01777 << false << true << true << false << toFolder << shared;
        QTest::addRow("sticky, root's link %s, nobody saves", to) << 01777 << false << false << true << false << toFolder << shared;
    }
    QTest::newRow("nobody's home, nobody's link, root saves") << 0755 << true << true << false << false << false << others;
    QTest::newRow("a group folder, nobody's link, root saves") << 02775 << false << true << false << false << false << others;
    QTest::newRow("a group folder, root's own link, root saves") << 02775 << false << false << false << false << false << QString();
    QTest::newRow("root's folder, root's own link, root saves") << 0755 << false << false << false << true << false << QString();
}

// A link is followed only where nobody but the saver (and root) can have put it: the saver's
// or root's own, with no folder on the way that others may write unless it is the saver's.
// Any other is refused before a byte is written.
void TestCombatSave::linksInSharedFolders()
{
#ifdef Q_OS_WIN
    QSKIP("links planted by another user: Windows has no setuid to become another user");
#else
    QFETCH(int, folderMode);
    QFETCH(bool, folderOfNobody);
    QFETCH(bool, plantedByNobody);
    QFETCH(bool, savedByNobody);
    QFETCH(bool, dangling);
    QFETCH(bool, toFolder);
    QFETCH(QString, told);
    if (geteuid() != 0)
        QSKIP("a link of another user needs the tests to run as root");

    QTemporaryDir dir; // under /tmp, which others may write
    QVERIFY(dir.isValid() && chmod(native(dir.path()).constData(), 0755) == 0);
    const QString shared = dir.filePath(QStringLiteral("shared"));
    const QString targets = dir.filePath(QStringLiteral("targets"));
    QVERIFY(QDir().mkdir(shared) && QDir().mkdir(targets));
    QVERIFY(chmod(native(shared).constData(), mode_t(folderMode)) == 0 && chmod(native(targets).constData(), 0777) == 0);
    QVERIFY(chown(native(shared).constData(), folderOfNobody ? 65534 : 0, 65534) == 0);
    const QString target = targets + QStringLiteral("/notes.txt");
    const QString link = shared + QStringLiteral("/fight.ini");
    const QString path = toFolder ? link + QStringLiteral("/notes.txt") : link;
    if (!dangling)
        QVERIFY(writeFile(target, "notes") && chmod(native(target).constData(), 0666) == 0);
    auto plant = [&] {
        return QByteArray::number(symlink(native(toFolder ? targets : target).constData(), native(link).constData()));
    };
    QCOMPARE(plantedByNobody ? testing::asNobody(plant) : plant(), QByteArray("0"));

    const Roster roster = sampleRoster(QStringLiteral("Mallory's bait"));
    auto save = [&] {
        const files::SaveOutcome outcome = files::saveCombatFile(roster, path);
        return outcome.ok ? QByteArray("saved") : outcome.error.toUtf8();
    };
    const QString said = QString::fromUtf8(savedByNobody ? testing::asNobody(save) : save());
    if (told.isEmpty()) {
        QCOMPARE(said, QStringLiteral("saved"));
        QCOMPARE(contents(target), files::combatFileBytes(roster));
    } else {
        QCOMPARE(said, QStringLiteral("The combat could not be saved to \"%1\": \"%2\" %3. Nothing was written; "
                                      "save under another name.")
                           .arg(path, link, told));
        QCOMPARE(contents(target), dangling ? QByteArray("<unreadable>") : QByteArray("notes"));
    }
    QCOMPARE(entries(shared), QStringList{QStringLiteral("fight.ini")});
    QCOMPARE(entries(targets), dangling && !told.isEmpty() ? QStringList() : QStringList{QStringLiteral("notes.txt")});
#endif
}

void TestCombatSave::temporaryFilesUnreadable_data()
{
    QTest::addColumn<bool>("hardLink"); // saved in place, after a journal in the saver's own folder

    QTest::newRow("one name") << false;
    QTest::newRow("hard link") << true;
}

// While root saves its 0600 combat, "nobody" keeps opening every other file that it
// sees in the folder, and never gets one open; a save in place leaves nothing there at all,
// its journal kept in root's own folder.
void TestCombatSave::temporaryFilesUnreadable()
{
#ifdef Q_OS_WIN
    QSKIP("another user trying to read the temporary files of a save of a 0600 file: Windows files have no "
          "permission bits, and Windows no setuid to become another user");
#else
    QFETCH(bool, hardLink);
    if (geteuid() != 0)
        QSKIP("another user needs the tests to run as root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && chmod(native(dir.path()).constData(), 0755) == 0);
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    Roster roster = sampleRoster(QStringLiteral("Secret"));
    roster.generalNote = QString(50'000, u's'); // about 1 MB: the save takes a while
    QVERIFY(writeFile(path, "old") && chmod(native(path).constData(), 0600) == 0);
    if (hardLink)
        QVERIFY(::hardLink(path, dir.filePath(QStringLiteral("other.ini"))));

    const QString done = dir.filePath(QStringLiteral("done"));
    const pid_t saver = fork();
    if (saver == 0) {
        bool saved = true;
        for (int i = 0; i < 20; ++i) {
            roster.rows[1].name = QString::number(i);
            saved = files::saveCombatFile(roster, path).ok && saved;
        }
        _exit(writeFile(done, "") && saved ? 0 : 1);
    }
    const QList<QByteArray> counts = testing::asNobody([&] {
        int seen = 0, opened = 0;
        while (!QFile::exists(done)) {
            for (const QString &name : entries(dir.path())) {
                QFile file(dir.filePath(name));
                if (name != u"combat.ini" && name != u"other.ini" && name != u"done") {
                    ++seen;
                    opened += file.open(QIODevice::ReadOnly);
                }
            }
        }
        return QByteArray::number(seen) + ' ' + QByteArray::number(opened);
    }).split(' ');
    int status = -1;
    QVERIFY(waitpid(saver, &status, 0) == saver && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QCOMPARE(counts.size(), 2);
    if (hardLink) {
        QCOMPARE(counts[0].toInt(), 0);
        const QFileInfo journals(files::stateFolderPath());
        QVERIFY(journals.isDir() && journals.ownerId() == 0
                && (journals.permissions() & (QFile::ReadGroup | QFile::ReadOther)) == QFile::Permissions());
    } else {
        QVERIFY2(counts[0].toInt() > 0, "the watcher never saw a save under way");
    }
    QCOMPARE(counts[1].toInt(), 0);
    QCOMPARE(snapshot(path).mode & 07777, mode_t(0600));
#endif
}

void TestCombatSave::killedSave_data()
{
    QTest::addColumn<QString>("killedWhen"); // while this name is in the saver's journal folder
    QTest::addColumn<QString>("then");       // what comes next, by the same user
    QTest::addColumn<bool>("byNobody");      // the saver: "nobody" in root's 0666 file, else root

    for (const char *then : {"load", "save"}) {
        QTest::addRow("journal being written, %s", then) << QStringLiteral(".new-") << QString::fromLatin1(then) << false;
        QTest::addRow("journal whole, %s", then) << QStringLiteral("journal-") << QString::fromLatin1(then) << false;
    }
    QTest::newRow("journal whole, nobody's save, load") << QStringLiteral("journal-") << QStringLiteral("load") << true;
    QTest::newRow("journal whole, the file cut, load") << QStringLiteral("journal-") << QStringLiteral("cut") << false;
    QTest::newRow("journal whole, a whole save through the other name, load")
        << QStringLiteral("journal-") << QStringLiteral("other") << false;
    QTest::newRow("journal whole, another program writes the file, load")
        << QStringLiteral("journal-") << QStringLiteral("written") << false;
    QTest::newRow("journal whole, another program writes the file, load through the other name")
        << QStringLiteral("journal-") << QStringLiteral("written, other") << false;
    QTest::newRow("journal damaged on the disk, load") << QStringLiteral("journal-") << QStringLiteral("damaged") << false;
}

// A save in place killed at a given moment costs nothing, and its journal puts back only what
// it cut: the next load or save by the user finds one combat whole, says so when it had to put
// the old combat back, and leaves nothing of the killed save. A file that holds anything but
// a cut of that save (another save through another name finished, another program wrote it)
// is left as it is; the combat the killed save was replacing is set aside and named.
void TestCombatSave::killedSave()
{
    QFETCH(QString, killedWhen);
    QFETCH(QString, then);
    QFETCH(bool, byNobody);
#ifdef Q_OS_WIN
    if (byNobody)
        QSKIP(qPrintable(posixOnly(QStringLiteral("nobody"))));
#else
    if (byNobody && geteuid() != 0)
        QSKIP("another user needs the tests to run as root");
#endif
    QTemporaryDir dir, state;
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    const QString other = dir.filePath(QStringLiteral("other.ini"));
    const QList<Roster> combats = killedSaveCombats();
#ifdef Q_OS_WIN
    // The saver writes the first two combats in turn, so each save replaces the other one.
    QVERIFY(dir.isValid() && state.isValid() && writeFile(path, files::combatFileBytes(combats[1]))
            && hardLink(path, other));
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", native(state.path()));
    const QString journals = files::stateFolderPath();
    // The saver is this program again, stopped by NtSuspendProcess as SIGSTOP stops it.
    QByteArray report;
    const bool caught = killSaverWhileNamed(path, journals, killedWhen, report);
    QVERIFY2(caught, report.prepend("the save never showed that name: ").constData());
#else
    // The saver's own state folder: a folder others could rename things in is no place for it.
    QVERIFY(dir.isValid() && state.isValid() && chmod(native(dir.path()).constData(), byNobody ? 0777 : 0700) == 0
            && (!byNobody || chown(native(state.path()).constData(), 65534, 65534) == 0));
    // The saver writes the first two combats in turn, so each save replaces the other one.
    QVERIFY(writeFile(path, files::combatFileBytes(combats[1])) && chmod(native(path).constData(), 0666) == 0);
    QVERIFY(hardLink(path, other));
    const QByteArray stateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", native(state.path()));
    const QString journals = files::stateFolderPath();

    const pid_t saver = fork();
    if (saver == 0 && byNobody && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
        _exit(1);
    if (saver == 0)
        for (int i = 0;; i ^= 1)
            files::saveCombatFile(combats[i], path);
    bool caught = false;
    for (int look = 0; !caught && look < 100'000; ++look) { // a save shows it within a few hundred
        const QStringList names = QDir(journals).entryList({killedWhen + u'*'}, QDir::Files | QDir::Hidden);
        if (names.isEmpty())
            continue;
        // A stop is sent, not done, when kill() returns: the saver is looked at once it holds.
        int stopped = 0;
        kill(saver, SIGSTOP);
        const bool holds = waitpid(saver, &stopped, WUNTRACED) == saver && WIFSTOPPED(stopped);
        caught = holds && QFile::exists(journals + u'/' + names.first());
        if (!caught)
            kill(saver, SIGCONT);
    }
    kill(saver, SIGKILL);
    QCOMPARE(waitpid(saver, nullptr, 0), saver);
    QVERIFY2(caught, "the save never showed that name");
#endif
    QByteArray left = contents(path);
    const QList<QByteArray> whole{files::combatFileBytes(combats[0]), files::combatFileBytes(combats[1])};
    bool cut = !whole.contains(left);
    QVERIFY(!cut || killedWhen == u"journal-"); // nothing is written before the journal is whole
    // Where the kill came before the first byte or after the last, the save is cut by hand as
    // a kill cuts it: the start of its new combat over the old one.
    const QString journal = journals + u'/' + QDir(journals).entryList({QStringLiteral("journal-*")}, QDir::Files).value(0);
    const int freshOne = contents(journal).endsWith(whole[0]) ? 0 : 1;
    const QByteArray before = whole[1 - freshOne]; // the combat the killed save was replacing
    if ((then == u"cut" || then == u"other") && !cut) {
        QVERIFY(writeFile(path, whole[freshOne].left(1000) + before.mid(1000)));
        left = contents(path);
        cut = true;
    }

    QString notice;
    QByteArray expected = cut ? QByteArray() : left;
    const QByteArray written = "[Info0]\r\nName=Other campaign - Dragon\r\n";
    auto nextStep = [&]() -> QByteArray {
        if (then == u"save" || then == u"other") {
            const files::SaveOutcome outcome = files::saveCombatFile(combats[2], then == u"save" ? path : other);
            if (!outcome.ok)
                return outcome.error.toUtf8();
            if (then == u"save")
                return outcome.notice.toUtf8();
        }
        if (then.startsWith(u"written") && !writeFile(path, written))
            return "<not written>";
        return files::loadCombatFile(then == u"written, other" ? other : path, Roster()).notice.toUtf8();
    };
    if (then == u"damaged")
        QVERIFY(writeFile(journal, contents(journal).replace("Fraymark journal", "Fraymark jotting")));
    const QByteArray journalBytes = contents(journal);
#ifdef Q_OS_WIN
    notice = QString::fromUtf8(nextStep());
#else
    notice = QString::fromUtf8(byNobody ? testing::asNobody(nextStep) : nextStep());
#endif
    qputenv("XDG_STATE_HOME", stateHome);

    if (then == u"save" || then == u"other")
        expected = files::combatFileBytes(combats[2]);
    if (then.startsWith(u"written"))
        expected = written;
    if (then == u"damaged")
        expected = left;
    const QString putBack = QStringLiteral("An earlier save of \"%1\" was cut off before it ended; the combat it was "
                                           "replacing has been put back whole.")
                                .arg(QDir::toNativeSeparators(path));
    if (then.startsWith(u"written") || then == u"damaged") {
        const QString told = then == u"written"
            ? QStringLiteral("An earlier save of \"%1\" was cut off before it ended, but the file has been changed "
                             "since, so it was left as it is.").arg(QDir::toNativeSeparators(path))
            : then == u"damaged"
            ? QStringLiteral("The record Fraymark keeps of an earlier save of \"%1\" that was cut off is damaged, so "
                             "the file was left as it is.").arg(QDir::toNativeSeparators(path))
            : QStringLiteral("An earlier save of \"%1\" was cut off before it ended. \"%2\" now stands where that "
                             "file was on the disk, or has been changed since")
                  .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(other));
        QVERIFY2(notice.startsWith(told), qPrintable(notice));
        const QStringList setAside = QDir(journals).entryList({QStringLiteral("set aside *")}, QDir::Files);
        QCOMPARE(setAside.size(), 1);
        QVERIFY(setAside.first().endsWith(QStringLiteral(" combat.ini")) && notice.contains(QDir::toNativeSeparators(journals + u'/' + setAside.first())));
        const QByteArray kept = contents(journals + u'/' + setAside.first());
        QVERIFY(then == u"damaged" ? kept == journalBytes : whole.contains(kept));
    } else if (then == u"other") {
        QCOMPARE(notice, QString()); // the save through the other name settled the journal
    } else {
        QCOMPARE(notice, cut ? putBack : QString());
        if (then == u"cut")
            expected = before;
        else if (then == u"load" && cut)
            QVERIFY(whole.contains(contents(path))); // a cut made by the kill itself: whichever it replaced
    }
    if (!expected.isEmpty())
        QCOMPARE(contents(path), expected);
    QCOMPARE(contents(other), contents(path));
    QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("combat.ini"), QStringLiteral("other.ini")}));
    QCOMPARE(QDir(journals).entryList({QStringLiteral("journal-*"), QStringLiteral(".new-*")}, QDir::Files | QDir::Hidden),
             QStringList());
}

// Saves of one file through names in two folders, started together, wait for each other:
// both say they saved, and the file holds one of the two combats whole.
void TestCombatSave::twoSavesThroughTwoNames()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a/c.ini")), b = dir.filePath(QStringLiteral("b/c.ini"));
    QVERIFY(dir.isValid() && QDir(dir.path()).mkdir(QStringLiteral("a")) && QDir(dir.path()).mkdir(QStringLiteral("b")));
    const QList<Roster> combats = killedSaveCombats();
    QVERIFY(writeFile(a, files::combatFileBytes(combats[2])) && hardLink(a, b));
#ifdef Q_OS_WIN
    QProcess savers[2];
    for (int s = 0; s < 2; ++s)
        testing::startChild(savers[s], QStringLiteral("save twenty times"), {QString::number(s), s == 0 ? a : b});
    for (QProcess &saver : savers) {
        QVERIFY(saver.waitForFinished(300'000));
        QCOMPARE(saver.readAllStandardOutput(), QByteArray("+saved"));
    }
#else
    pid_t savers[2] = {};
    for (int s = 0; s < 2; ++s) {
        savers[s] = fork();
        if (savers[s] == 0) {
            for (int i = 0; i < 20; ++i)
                if (!files::saveCombatFile(combats[s], s == 0 ? a : b).ok)
                    _exit(1);
            _exit(0);
        }
    }
    for (const pid_t saver : savers) {
        int status = -1;
        QVERIFY(waitpid(saver, &status, 0) == saver && WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
#endif
    QVERIFY(contents(a) == files::combatFileBytes(combats[0]) || contents(a) == files::combatFileBytes(combats[1]));
    QCOMPARE(contents(b), contents(a));
}

void TestCombatSave::aJournalPlantedBesideTheFile_data()
{
    QTest::addColumn<bool>("locked"); // the planter holds a lock on it meanwhile
    QTest::newRow("planted") << false;
    QTest::newRow("planted and locked") << true;
}

// Another user who puts a file of a journal's old name beside a combat, in a folder anyone may
// write, gets nothing: the combat saves and loads as if it were not there, nothing names it,
// and it stays as it was.
void TestCombatSave::aJournalPlantedBesideTheFile()
{
#ifdef Q_OS_WIN
    QSKIP("a file planted by another user: Windows has no setuid to become another user");
#else
    QFETCH(bool, locked);
    if (geteuid() != 0)
        QSKIP("another user needs the tests to run as root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && chmod(native(dir.path()).constData(), 01777) == 0);
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QVERIFY(writeFile(path, files::combatFileBytes(sampleRoster(QStringLiteral("Old")))) && hardLink(path, dir.filePath(QStringLiteral("other.ini"))));
    struct stat info {};
    QVERIFY(stat(native(path).constData(), &info) == 0);
    const QString planted = dir.filePath(QStringLiteral(".fraymark-journal-%1").arg(qulonglong(info.st_ino), 0, 16));
    int ready[2];
    QVERIFY(pipe(ready) == 0);
    const pid_t planter = fork();
    if (planter == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(1);
        const int fd = open(native(planted).constData(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd < 0 || write(fd, "bait", 4) != 4 || (locked && flock(fd, LOCK_EX) != 0))
            _exit(1);
        _exit(write(ready[1], "x", 1) == 1 && pause() == 0 ? 0 : 1); // held until killed
    }
    char byte = 0;
    QCOMPARE(read(ready[0], &byte, 1), ssize_t(1));
    const Roster roster = sampleRoster(QStringLiteral("New"));
    const files::SaveOutcome saved = files::saveCombatFile(roster, path);
    const files::LoadOutcome loaded = files::loadCombatFile(path, Roster());
    kill(planter, SIGKILL);
    waitpid(planter, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    QVERIFY2(saved.ok && saved.notice.isEmpty(), qPrintable(saved.error + saved.notice));
    QCOMPARE(loaded.status, files::LoadOutcome::Status::Loaded);
    QCOMPARE(loaded.notice, QString());
    QCOMPARE(contents(path), files::combatFileBytes(roster));
    QCOMPARE(contents(planted), QByteArray("bait"));
#endif
}

void TestCombatSave::aLockOnTheFileHoldsUpOnlyWhatNeedsIt_data()
{
    QTest::addColumn<bool>("hardLinked"); // a save must write into the file itself
    QTest::addColumn<bool>("exclusive");  // the lock another program holds, else a shared one
    QTest::addColumn<QString>("refusal"); // what the save says; empty: saved
    const QString busy = QStringLiteral("another program holds a lock on the file, perhaps another Fraymark saving "
                                        "it. Nothing was written");
    QTest::newRow("one name, shared lock") << false << false << QString();
    QTest::newRow("one name, exclusive lock") << false << true << QString();
    QTest::newRow("hard link, shared lock") << true << false << busy;
    QTest::newRow("hard link, exclusive lock") << true << true << busy;
}

// Anyone who may read a file may lock it. A save that renames a new file over it needs no
// lock, and a load reads a locked file once it holds still; only a save into the file
// itself waits for the lock, and says why it gave up.
void TestCombatSave::aLockOnTheFileHoldsUpOnlyWhatNeedsIt()
{
#ifdef Q_OS_WIN
    QSKIP("flock: the Windows build locks byte ranges, which bind every reader");
#else
    QFETCH(bool, hardLinked);
    QFETCH(bool, exclusive);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    const QByteArray old = files::combatFileBytes(sampleRoster(QStringLiteral("Old")));
    QVERIFY(writeFile(path, old) && (!hardLinked || hardLink(path, dir.filePath(QStringLiteral("other.ini")))));
    const int held = open(native(path).constData(), O_RDONLY);
    QVERIFY(held >= 0 && flock(held, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0);

    const files::LoadOutcome loaded = files::loadCombatFile(path, Roster());
    const Roster roster = sampleRoster(QStringLiteral("New"));
    const files::SaveOutcome saved = files::saveCombatFile(roster, path);
    close(held);
    QCOMPARE(loaded.status, files::LoadOutcome::Status::Loaded);
    QCOMPARE(loaded.notice, QString());
    QCOMPARE(loaded.roster.rows[0].name, QStringLiteral("Old"));
    QVERIFY2(saved.ok == refusal.isEmpty() && saved.error.contains(refusal), qPrintable(saved.error));
    QCOMPARE(contents(path), refusal.isEmpty() ? files::combatFileBytes(roster) : old);
#endif
}

FRAYMARK_TEST_MAIN(TestCombatSave)
#include "tst_combatsave.moc"
