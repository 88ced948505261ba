// The lock on the file itself and the journal of a save in place, against the real Windows
// calls (under Wine on the build machine): saves into the file wait a moment for a save under
// way through any name, and a journal left by a cut-off save puts back only what it cut.
#include "files/platform/FileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>

#include <memory>
#include <thread>

using files::platform::Fault;

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QByteArray OldCombat = "[Info0]\r\nName=Old chief\r\n";
const QByteArray NewCombat = "[Info0]\r\nName=New chieftain of the hills\r\n";

} // namespace

class TestJournalWin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void waitsForTheLock_data();
    void waitsForTheLock();
    void journalPutsBackOnlyItsCut_data();
    void journalPutsBackOnlyItsCut();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<files::platform::PrivateFolder> m_journals;
    QString m_single; // a combat of one name
    QString m_path;   // a combat of two names, saved in place
    QString m_other;  // its second name
};

void TestJournalWin::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_single = m_dir->filePath(QStringLiteral("single.ini"));
    m_path = m_dir->filePath(QStringLiteral("combat.ini"));
    m_other = m_dir->filePath(QStringLiteral("other.ini"));
    QVERIFY(writeFile(m_single, OldCombat) && writeFile(m_path, OldCombat));
    QVERIFY(::CreateHardLinkW(wide(m_other).c_str(), wide(m_path).c_str(), nullptr));
    const files::platform::Result opened =
        files::platform::PrivateFolder::open(m_dir->filePath(QStringLiteral("state")), m_journals);
    QVERIFY2(opened.ok(),
             qPrintable(QStringLiteral("%1 %2: %3").arg(int(opened.fault)).arg(opened.place, opened.systemText)));
}

void TestJournalWin::cleanup()
{
    m_journals.reset(); // let go of the folder, so that it can be removed
    m_dir.reset();
}

void TestJournalWin::waitsForTheLock_data()
{
    QTest::addColumn<bool>("saving");  // the holder's lock: a save under way (exclusive), else a load
    QTest::addColumn<QString>("then"); // "load", "save" (one name) or "save in place"
    QTest::addColumn<int>("letGoMs");  // when the holder lets go; -1: not while it is waited for
    QTest::addColumn<int>("fault");

    const int busy = int(Fault::Busy), ok = int(Fault::None);
    QTest::newRow("a save under way, load") << true << QStringLiteral("load") << -1 << ok;
    QTest::newRow("a save under way, save") << true << QStringLiteral("save") << -1 << ok;
    QTest::newRow("a save under way, save in place") << true << QStringLiteral("save in place") << -1 << busy;
    QTest::newRow("a load under way, load") << false << QStringLiteral("load") << -1 << ok;
    QTest::newRow("a load under way, save in place") << false << QStringLiteral("save in place") << -1 << busy;
    QTest::newRow("a save that ends in half a second, save in place")
        << true << QStringLiteral("save in place") << 500 << ok;
}

// Two saves never write into a file at once: one that finds the file locked waits about two
// seconds for it, then says another program holds a lock and changes nothing. Anyone who
// may read a file may lock it, so a load reads a locked file once it holds still, and a save
// that replaces the file whole takes no lock.
void TestJournalWin::waitsForTheLock()
{
    QFETCH(bool, saving);
    QFETCH(QString, then);
    QFETCH(int, letGoMs);
    QFETCH(int, fault);

    const QString path = then == u"save" ? m_single : m_path;
    // The holder reaches the file through its other name: the lock is the file's, not the name's.
    const QString holderName = then == u"save" ? m_single : m_other;
    HANDLE holder = ::CreateFileW(wide(holderName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
    QVERIFY(holder != INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    QVERIFY(::LockFileEx(holder, saving ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD, &whole));
    std::thread letGo([&] {
        if (letGoMs >= 0) {
            ::Sleep(DWORD(letGoMs));
            OVERLAPPED unlocked{};
            ::UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &unlocked);
        }
    });
    QElapsedTimer waited;
    waited.start();
    QByteArray read;
    const files::platform::Result result = then == u"load"
        ? files::platform::readWholeFile(path, 1 << 20, read)
        : files::platform::replaceFileContents(path, NewCombat, m_journals.get());
    const qint64 ms = waited.elapsed();
    letGo.join();
    ::CloseHandle(holder);

    QCOMPARE(int(result.fault), fault);
    if (fault == int(Fault::Busy))
        QVERIFY2(ms >= 1900, qPrintable(QString::number(ms)));
    const bool saved = then != u"load" && fault == int(Fault::None);
    QCOMPARE(contents(path), saved ? NewCombat : OldCombat);
    QCOMPARE(read, then == u"load" && fault == int(Fault::None) ? OldCombat : QByteArray());
    QCOMPARE(QDir(m_journals->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestJournalWin::journalPutsBackOnlyItsCut_data()
{
    QTest::addColumn<QByteArray>("now");   // what the file holds when its journal is found
    QTest::addColumn<bool>("damaged");     // the journal's checksum does not fit its content
    QTest::addColumn<QString>("outcome");  // "put back", "kept" (the journal just goes), "set aside"

    const QString putBack = QStringLiteral("put back");
    QTest::newRow("cut inside the old content") << NewCombat.left(18) + OldCombat.mid(18) << false << putBack;
    QTest::newRow("cut past the old end") << NewCombat.left(OldCombat.size() + 5) << false << putBack;
    QTest::newRow("the save never began") << OldCombat << false << QStringLiteral("kept");
    QTest::newRow("the save ended") << NewCombat << false << QStringLiteral("kept");
    QTest::newRow("written since by another program") << QByteArray("[Info0]\r\nName=Someone else\r\n") << false
                                                       << QStringLiteral("set aside");
    QTest::newRow("damaged journal") << NewCombat.left(18) + OldCombat.mid(18) << true << QStringLiteral("set aside");
}

// A journal in the state folder, named after the file's volume and index and written as a
// save writes it, is settled by the next load: the old combat goes back only into a cut of
// its own save; a file holding anything else is left alone and the journal's combat is kept
// aside under a name the load gives.
void TestJournalWin::journalPutsBackOnlyItsCut()
{
    QFETCH(QByteArray, now);
    QFETCH(bool, damaged);
    QFETCH(QString, outcome);

    QVERIFY(writeFile(m_path, now));
    HANDLE file =
        ::CreateFileW(wide(m_path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    QVERIFY(::GetFileInformationByHandle(file, &info));
    ::CloseHandle(file);
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    auto hex = [](quint64 value) { return QByteArray::number(value, 16).rightJustified(16, '0'); };
    auto sha = [](const QByteArray &bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    };
    const QByteArray journal = "Fraymark journal 3\n" + hex(info.dwVolumeSerialNumber) + ' ' + hex(index) + ' '
        + hex(quint64(OldCombat.size())) + ' ' + sha(damaged ? NewCombat : OldCombat) + ' '
        + hex(quint64(NewCombat.size())) + ' ' + sha(NewCombat) + ' ' + m_path.toUtf8().toPercentEncoding() + '\n'
        + OldCombat + NewCombat;
    const QString name =
        QStringLiteral("journal-%1-%2").arg(qulonglong(info.dwVolumeSerialNumber), 0, 16).arg(index, 0, 16);
    QVERIFY(m_journals->writeFile(name, journal).ok());

    const files::platform::Result result = files::platform::recoverInterruptedSave(m_path, m_journals.get());
    QVERIFY2(result.ok(), qPrintable(result.systemText));
    QCOMPARE(result.putBack, outcome == u"put back");
    QCOMPARE(contents(m_path), outcome == u"put back" ? OldCombat : now);
    QCOMPARE(contents(m_other), contents(m_path));
    QStringList left = QDir(m_journals->path()).entryList(QDir::Files | QDir::Hidden);
    if (outcome == u"set aside") {
        QCOMPARE(left.size(), 1);
        QVERIFY2(left.first().startsWith(u"set aside ") && left.first().endsWith(u" combat.ini"),
                 qPrintable(left.first()));
        QCOMPARE(QDir::cleanPath(result.setAside), m_journals->path() + u'/' + left.first());
        QCOMPARE(contents(result.setAside), damaged ? journal : OldCombat);
        left.clear();
    } else {
        QCOMPARE(result.setAside, QString());
    }
    QCOMPARE(left, QStringList());
}

QTEST_GUILESS_MAIN(TestJournalWin)
#include "tst_journalwin.moc"
