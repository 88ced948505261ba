// The Windows file layer against the real Windows calls (under Wine on the build machine):
// what a save does to each kind of file it may meet, and what a load reads.
#include "files/CombatSave.h"
#include "files/platform/FileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>

#include <memory>

using files::platform::Fault;

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The \\?\ form, so that paths past 260 characters can be made and looked at.
std::wstring longForm(const QString &path)
{
    return L"\\\\?\\" + wide(path);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    HANDLE file = ::CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr)
                    && written == DWORD(bytes.size());
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return ok;
}

QByteArray contents(const QString &path)
{
    QByteArray bytes;
    return files::platform::readWholeFile(path, 1 << 20, bytes).ok() ? bytes : QByteArray("<unreadable>");
}

DWORD attributes(const QString &path)
{
    return ::GetFileAttributesW(longForm(path).c_str());
}

// What is in the folder besides the files the test made.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// How another program may hold the file while the save runs.
enum class Holder { Nobody, SharesNothing, SharesReading, SharesAll };

HANDLE hold(const QString &path, Holder holder)
{
    const DWORD share = holder == Holder::SharesNothing   ? 0
                        : holder == Holder::SharesReading ? FILE_SHARE_READ
                                                          : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return holder == Holder::Nobody ? INVALID_HANDLE_VALUE
                                    : ::CreateFileW(longForm(path).c_str(), GENERIC_READ, share, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

class TestFileSystemWin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void save_data();
    void save();
    void refusedNames_data();
    void refusedNames();
    void inUseIsToldAsSuch();
    void onlyOurLeftoversGo();
    void read_data();
    void read();
    void ownLinkIsFollowed();

private:
    // The journals of in-place saves, in a state folder of the test's own.
    QTemporaryDir m_state;
    std::unique_ptr<files::platform::PrivateFolder> m_journals;
};

void TestFileSystemWin::init()
{
    m_journals.reset();
    QVERIFY(m_state.isValid());
    const files::platform::Result opened =
        files::platform::PrivateFolder::open(m_state.filePath(QStringLiteral("fraymark")), m_journals);
    QVERIFY2(opened.ok(),
             qPrintable(QStringLiteral("%1 %2: %3").arg(int(opened.fault)).arg(opened.place, opened.systemText)));
}

void TestFileSystemWin::save_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");    // an old combat is at the name
    QTest::addColumn<DWORD>("marks");    // the attributes the old file has
    QTest::addColumn<bool>("hardLink");  // the old file has a second name
    QTest::addColumn<Holder>("holder");  // another program has it open
    QTest::addColumn<int>("fault");

    const DWORD none = FILE_ATTRIBUTE_NORMAL;
    const auto ok = int(Fault::None);
    QTest::newRow("new file") << "combat.ini" << false << none << false << Holder::Nobody << ok;
    QTest::newRow("old file") << "combat.ini" << true << none << false << Holder::Nobody << ok;
    QTest::newRow("hidden file stays hidden")
        << "combat.ini" << true << DWORD(FILE_ATTRIBUTE_HIDDEN) << false << Holder::Nobody << ok;
    QTest::newRow("system file stays one")
        << "combat.ini" << true << DWORD(FILE_ATTRIBUTE_SYSTEM) << false << Holder::Nobody << ok;
    QTest::newRow("read-only file refused")
        << "combat.ini" << true << DWORD(FILE_ATTRIBUTE_READONLY) << false << Holder::Nobody << int(Fault::ReadOnly);
    QTest::newRow("hard link written in place") << "combat.ini" << true << none << true << Holder::Nobody << ok;
    QTest::newRow("open, shared with nobody")
        << "combat.ini" << true << none << false << Holder::SharesNothing << int(Fault::InUse);
    QTest::newRow("open for reading only")
        << "combat.ini" << true << none << false << Holder::SharesReading << int(Fault::InUse);
    QTest::newRow("hard link open, shared with nobody")
        << "combat.ini" << true << none << true << Holder::SharesNothing << int(Fault::InUse);
    QTest::newRow("open, shared for everything") << "combat.ini" << true << none << false << Holder::SharesAll << ok;
    QTest::newRow("name beyond Latin-1")
        << QStringLiteral("Kampf am Fluss – Ærø 戦い 🐉.ini") << true << none << false << Holder::Nobody << ok;
    QTest::newRow("path past 260 characters")
        << QString(5, u'/').split(u'/').join(QString(60, u'd') + u'/') + QStringLiteral("combat.ini") << true << none
        << false << Holder::Nobody << ok;
    QTest::newRow("new file past 260 characters")
        << QString(5, u'/').split(u'/').join(QString(60, u'e') + u'/') + QStringLiteral("combat.ini") << false << none
        << false << Holder::Nobody << ok;
}

// Either the new content is in the file with all it was (attributes, other names), or the
// old content is, untouched; nothing of the save is left beside it.
void TestFileSystemWin::save()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(DWORD, marks);
    QFETCH(bool, hardLink);
    QFETCH(Holder, holder);
    QFETCH(int, fault);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    const QString folder = QFileInfo(path).absolutePath();
    for (QString made = dir.path(); made != folder;) {
        made += u'/' + folder.mid(made.size() + 1).section(u'/', 0, 0);
        QVERIFY(::CreateDirectoryW(longForm(made).c_str(), nullptr));
    }
    const QString other = folder + QStringLiteral("/other.ini");
    if (exists) {
        QVERIFY(writeFile(path, "old combat\r\n"));
        if (hardLink)
            QVERIFY(::CreateHardLinkW(longForm(other).c_str(), longForm(path).c_str(), nullptr));
        QVERIFY(::SetFileAttributesW(longForm(path).c_str(), marks));
    }
    const QStringList before = entries(folder);
    HANDLE held = hold(path, holder);
    QVERIFY(holder == Holder::Nobody || held != INVALID_HANDLE_VALUE);

    const files::platform::Result result =
        files::platform::replaceFileContents(path, "new combat\r\n", m_journals.get());
    if (held != INVALID_HANDLE_VALUE)
        ::CloseHandle(held);
    QCOMPARE(int(result.fault), fault);
    const QByteArray expected = fault == int(Fault::None) ? "new combat\r\n" : "old combat\r\n";
    QCOMPARE(contents(path), expected);
    if (hardLink)
        QCOMPARE(contents(other), expected);
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    QCOMPARE(attributes(path) & kept, marks & kept);
    QCOMPARE(entries(folder), exists ? before : QStringList{QFileInfo(path).fileName()});
    QCOMPARE(entries(m_journals->path()), QStringList()); // no journal outlives its save
    if (exists)
        ::SetFileAttributesW(longForm(path).c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can go
}

void TestFileSystemWin::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("fault");

    for (const char *device : {"CON", "nul.ini", "COM1", "lpt9.ini", "Aux.txt", "CONOUT$"})
        QTest::newRow(device) << QString::fromLatin1(device) << int(Fault::DeviceName);
    QTest::newRow("CON:") << "CON:" << int(Fault::DeviceName);
    QTest::newRow("COM0 is a file") << "COM0" << int(Fault::None);
    QTest::newRow("a name's last dot is dropped, as Windows does") << "c.ini." << int(Fault::None);
}

// A device's name is no file to save to or load from, whatever follows the dot; the
// sentence says so.
void TestFileSystemWin::refusedNames()
{
    QFETCH(QString, name);
    QFETCH(int, fault);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    QCOMPARE(int(files::platform::replaceFileContents(path, "combat\r\n", nullptr).fault), fault);
    QByteArray bytes;
    QCOMPARE(int(files::platform::readWholeFile(path, 1 << 20, bytes).fault), fault);
    if (fault == int(Fault::None))
        QCOMPARE(bytes, QByteArray("combat\r\n"));
    const files::SaveOutcome outcome = files::saveCombatFile({}, path);
    QCOMPARE(outcome.ok, fault == int(Fault::None));
    if (fault == int(Fault::DeviceName))
        QVERIFY2(outcome.error.contains(u"is the name of a device"), qPrintable(outcome.error));
}

// The message says another program holds the file, and nothing changed.
void TestFileSystemWin::inUseIsToldAsSuch()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QVERIFY(writeFile(path, "old combat\r\n"));
    HANDLE held = hold(path, Holder::SharesNothing);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const files::SaveOutcome outcome = files::saveCombatFile({}, path);
    ::CloseHandle(held);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QDir::toNativeSeparators(path))
                 && outcome.error.contains(u"another program has the file open"),
             qPrintable(outcome.error));
    QCOMPARE(contents(path), QByteArray("old combat\r\n"));
}

// A save clears what a killed save of ours left beside the file a while ago, and nothing
// else: not a file whose name only begins like ours, not the file itself, not a new file
// that another save has just written and is about to rename. A journal of the old kind
// put beside the file, whole and naming the file, is never read: its "combat" is not put
// back, and it stays as it was.
void TestFileSystemWin::onlyOurLeftoversGo()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral(".fraymark-save-mine.ini"));
    const QString other = dir.filePath(QStringLiteral("other.ini"));
    QVERIFY(writeFile(path, "old combat\r\n") && writeFile(dir.filePath(QStringLiteral(".fraymark-save-notes.ini")), "notes")
            && writeFile(dir.filePath(QStringLiteral(".fraymark-save-1a-2b.tmp")), "half a save")
            && writeFile(dir.filePath(QStringLiteral(".fraymark-save-3c-4d.tmp")), "another save's, just written")
            && ::CreateHardLinkW(longForm(other).c_str(), longForm(path).c_str(), nullptr));
    HANDLE left = ::CreateFileW(longForm(dir.filePath(QStringLiteral(".fraymark-save-1a-2b.tmp"))).c_str(),
                                FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME twoMinutesAgo{};
    ::GetSystemTimeAsFileTime(&twoMinutesAgo);
    const quint64 then = ((quint64(twoMinutesAgo.dwHighDateTime) << 32) | twoMinutesAgo.dwLowDateTime) - 1'200'000'000ull;
    twoMinutesAgo = {DWORD(then), DWORD(then >> 32)};
    QVERIFY(::SetFileTime(left, nullptr, nullptr, &twoMinutesAgo));
    ::CloseHandle(left);
    HANDLE file = ::CreateFileW(longForm(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    QVERIFY(::GetFileInformationByHandle(file, &info));
    ::CloseHandle(file);
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    const QString planted = dir.filePath(QStringLiteral(".fraymark-journal-") + QString::number(index, 16));
    const QByteArray bait = "planted combat\r\n";
    auto hex = [](quint64 value) { return QByteArray::number(value, 16).rightJustified(16, '0'); };
    const QByteArray oldJournal = "Fraymark journal 1\n" + hex(info.dwVolumeSerialNumber) + ' ' + hex(index) + ' '
        + hex(quint64(bait.size())) + ' ' + QCryptographicHash::hash(bait, QCryptographicHash::Sha256).toHex() + '\n'
        + bait;
    QVERIFY(writeFile(planted, oldJournal));

    const files::platform::Result recovered = files::platform::recoverInterruptedSave(path, m_journals.get());
    QVERIFY(recovered.ok() && !recovered.putBack && recovered.setAside.isEmpty());
    QCOMPARE(contents(path), QByteArray("old combat\r\n"));
    const files::platform::Result result =
        files::platform::replaceFileContents(path, "new combat\r\n", m_journals.get());
    QVERIFY2(result.ok(), qPrintable(result.systemText));
    QVERIFY(!result.putBack && result.setAside.isEmpty());
    QCOMPARE(contents(other), QByteArray("new combat\r\n"));
    QCOMPARE(entries(dir.path()), (QStringList{QFileInfo(planted).fileName(), QStringLiteral(".fraymark-save-3c-4d.tmp"),
                                               QStringLiteral(".fraymark-save-mine.ini"),
                                               QStringLiteral(".fraymark-save-notes.ini"), QStringLiteral("other.ini")}));
    QCOMPARE(contents(planted), oldJournal);
}

void TestFileSystemWin::read_data()
{
    QTest::addColumn<DWORD>("marks");
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<int>("fault");

    QTest::newRow("hidden") << DWORD(FILE_ATTRIBUTE_HIDDEN) << Holder::Nobody << int(Fault::None);
    QTest::newRow("system") << DWORD(FILE_ATTRIBUTE_SYSTEM) << Holder::Nobody << int(Fault::None);
    QTest::newRow("read-only") << DWORD(FILE_ATTRIBUTE_READONLY) << Holder::Nobody << int(Fault::None);
    QTest::newRow("open for reading elsewhere") << DWORD(FILE_ATTRIBUTE_NORMAL) << Holder::SharesReading << int(Fault::None);
    QTest::newRow("open, shared with nobody") << DWORD(FILE_ATTRIBUTE_NORMAL) << Holder::SharesNothing << int(Fault::InUse);
}

// A combat file is read whatever its marks say; only a program that shares it with nobody
// keeps it from being read, and the load says so.
void TestFileSystemWin::read()
{
    QFETCH(DWORD, marks);
    QFETCH(Holder, holder);
    QFETCH(int, fault);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("combat.ini"));
    QVERIFY(writeFile(path, "[Char0]\r\n") && ::SetFileAttributesW(longForm(path).c_str(), marks));
    HANDLE held = hold(path, holder);
    QByteArray bytes;
    const files::platform::Result result = files::platform::readWholeFile(path, 1 << 20, bytes);
    if (held != INVALID_HANDLE_VALUE)
        ::CloseHandle(held);
    QCOMPARE(int(result.fault), fault);
    QCOMPARE(bytes, fault == int(Fault::None) ? QByteArray("[Char0]\r\n") : QByteArray());
    ::SetFileAttributesW(longForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A symbolic link of the user's own leads a save and a load to its file; the link stays.
void TestFileSystemWin::ownLinkIsFollowed()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("combat.ini"));
    const QString target = dir.filePath(QStringLiteral("real.ini"));
    QVERIFY(writeFile(target, "old combat\r\n"));
    if (!::CreateSymbolicLinkW(longForm(link).c_str(), longForm(target).c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
        || attributes(link) == INVALID_FILE_ATTRIBUTES || !(attributes(link) & FILE_ATTRIBUTE_REPARSE_POINT))
        QSKIP("no symbolic link was made: Windows lets only an administrator, or developer mode, make one, and "
              "Wine makes none");
    const files::platform::Result saved = files::platform::replaceFileContents(link, "new combat\r\n", nullptr);
    QVERIFY2(saved.ok(), qPrintable(saved.systemText));
    QCOMPARE(contents(link), QByteArray("new combat\r\n"));
    QVERIFY(attributes(link) != INVALID_FILE_ATTRIBUTES && (attributes(link) & FILE_ATTRIBUTE_REPARSE_POINT));
    QByteArray bytes;
    QVERIFY(files::platform::readWholeFile(target, 1 << 20, bytes).ok());
    QCOMPARE(bytes, QByteArray("new combat\r\n"));
}

QTEST_GUILESS_MAIN(TestFileSystemWin)
#include "tst_filesystemwin.moc"
