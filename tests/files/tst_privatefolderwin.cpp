// The state folder on Windows against the real Windows calls (under Wine on the build
// machine): an access list for its user alone, the hold that keeps its path leading to it,
// and the locks of the files in it.
#include "files/platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>
#include <aclapi.h>

#include <memory>

using files::platform::Fault;

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

std::wstring longForm(const QString &path)
{
    return L"\\\\?\\" + wide(path);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestPrivateFolderWin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void privateFolderIsTheUsersAlone();
    void heldFolderCannotBeMovedOrRemoved();
    void lockIsHeldUntilReleased();

private:
    QTemporaryDir m_state;
    std::unique_ptr<files::platform::PrivateFolder> m_folder;
};

void TestPrivateFolderWin::init()
{
    m_folder.reset();
    QVERIFY(m_state.isValid());
    const files::platform::Result opened =
        files::platform::PrivateFolder::open(m_state.filePath(QStringLiteral("fraymark")), m_folder);
    QVERIFY2(opened.ok(),
             qPrintable(QStringLiteral("%1 %2: %3").arg(int(opened.fault)).arg(opened.place, opened.systemText)));
}

// The state folder grants its user everything, and nobody else anything.
void TestPrivateFolderWin::privateFolderIsTheUsersAlone()
{
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        QSKIP("Wine takes an access list and keeps none: its files have the Unix owner's mode bits");
    const QString path = m_state.filePath(QStringLiteral("state/fraymark"));
    std::unique_ptr<files::platform::PrivateFolder> folder;
    QVERIFY(files::platform::PrivateFolder::open(path, folder).ok());
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = wide(path);
    QCOMPARE(::GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                                     nullptr, &descriptor),
             DWORD(ERROR_SUCCESS));
    QVERIFY(acl != nullptr);
    HANDLE token = nullptr;
    QVERIFY(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    char user[256];
    DWORD size = sizeof user;
    QVERIFY(::GetTokenInformation(token, TokenUser, user, size, &size));
    ::CloseHandle(token);
    const PSID self = reinterpret_cast<TOKEN_USER *>(user)->User.Sid;
    DWORD grantedToSelf = 0, grantedToOthers = 0;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace = nullptr;
        QVERIFY(::GetAce(acl, i, reinterpret_cast<void **>(&ace)));
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE)
            (::EqualSid(self, &ace->SidStart) ? grantedToSelf : grantedToOthers) |= ace->Mask;
    }
    QCOMPARE(grantedToSelf & FILE_ALL_ACCESS, DWORD(FILE_ALL_ACCESS));
    QCOMPARE(grantedToOthers & (FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE), DWORD(0));
    ::LocalFree(descriptor);
}

// While the state folder is held, nobody can rename it away or remove it, so its path keeps
// leading to the folder whose files are written; once let go, it can go.
void TestPrivateFolderWin::heldFolderCannotBeMovedOrRemoved()
{
    const QString path = m_folder->path();
    const QString away = m_state.filePath(QStringLiteral("away"));
    QVERIFY(m_folder->writeFile(QStringLiteral("copy.ini"), "[Info0]\r\n").ok());
    QVERIFY(QFile::remove(path + QStringLiteral("/copy.ini"))); // empty: only the hold keeps it
    QVERIFY(!::MoveFileExW(longForm(path).c_str(), longForm(away).c_str(), 0));
    QCOMPARE(::GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    QVERIFY(!::RemoveDirectoryW(longForm(path).c_str()));
    QVERIFY(m_folder->stillAtItsPath().ok());
    m_folder.reset();
    QVERIFY(::MoveFileExW(longForm(path).c_str(), longForm(away).c_str(), 0));
}

// A second taker of the lock is told Busy until the first lets go; a lock file can be
// removed while held, so that nobody takes a lock on a name about to vanish.
void TestPrivateFolderWin::lockIsHeldUntilReleased()
{
    const QString name = QStringLiteral("combat.lock");
    int first = -1, second = -1;
    QVERIFY(m_folder->tryLock(name, true, first).ok());
    QCOMPARE(int(m_folder->tryLock(name, true, second).fault), int(Fault::Busy));
    files::platform::releaseLock(first);
    QVERIFY(m_folder->tryLock(name, false, second).ok());
    QVERIFY(m_folder->removeFile(name).ok());
    files::platform::releaseLock(second);
    QCOMPARE(entries(m_folder->path()), QStringList());
}

QTEST_GUILESS_MAIN(TestPrivateFolderWin)
#include "tst_privatefolderwin.moc"
