// Saves a combat over real files, links, other users' files and attributes, and
// prints one Markdown table row per case: the files before, the outcome, the files
// after. Run as root (a child becomes "nobody" where a case says so). On Windows only
// the cases without owners, permission bits, size limits, attributes or symbolic links.
// Usage: save_cases [folder]   (default: a new folder under the system's temp folder)

#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
constexpr uid_t Nobody = 65534;
#endif
const QByteArray OldBytes = "old combat\r\n";

// A set-up call that failed makes its case row meaningless; say so.
void made(int result, const char *what)
{
    if (result != 0)
        QTextStream(stderr) << "set-up failed: " << what << ": " << qt_error_string() << '\n';
}

#ifdef Q_OS_WIN
// The path as the W functions take it; the \\?\ form lets it be as long as a name allows.
std::wstring wide(const QString &path)
{
    return (QStringLiteral("\\\\?\\") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())).toStdWString();
}

int hardLink(const QString &existing, const QString &name)
{
    return CreateHardLinkW(wide(name).c_str(), wide(existing).c_str(), nullptr) ? 0 : -1;
}
#else
QByteArray native(const QString &path) { return QFile::encodeName(path); }

int hardLink(const QString &existing, const QString &name)
{
    return link(native(existing).constData(), native(name).constData());
}
#endif

roster::Roster newCombat()
{
    roster::Roster roster;
    roster.rows[0].name = QStringLiteral("New chief");
    return roster;
}

void writeOld(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(OldBytes);
}

#ifdef Q_OS_WIN
// "hidden, 2 links: new"
QString describe(const QString &path)
{
    HANDLE handle = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool found = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (!found)
        return QStringLiteral("no file");
    QStringList facts;
    for (const auto &[attribute, name] : {std::pair{DWORD(FILE_ATTRIBUTE_READONLY), "read-only"},
                                          std::pair{DWORD(FILE_ATTRIBUTE_HIDDEN), "hidden"},
                                          std::pair{DWORD(FILE_ATTRIBUTE_SYSTEM), "system"}})
        if (info.dwFileAttributes & attribute)
            facts << QLatin1StringView(name);
    if (facts.isEmpty())
        facts << QStringLiteral("no attributes");
    if (info.nNumberOfLinks > 1)
        facts << QStringLiteral("%1 links").arg(info.nNumberOfLinks);
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?");
    return facts.join(QStringLiteral(", "))
        + (bytes == OldBytes ? QStringLiteral(": old") : bytes.startsWith("[Info0]") ? QStringLiteral(": new")
                                                                                      : QStringLiteral(": other"));
}

// The save's message, or "saved". No child: Windows has no other user to become and no
// limit on a process's file sizes.
QString save(const QString &path)
{
    const files::SaveOutcome outcome = files::saveCombatFile(newCombat(), path);
    return outcome.ok ? QStringLiteral("saved") : outcome.error;
}
#else
QString ownerName(uid_t uid)
{
    const passwd *user = getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

// "link -> target; nobody, 0600, 2 links, user.note, ACL: new combat"
QString describe(const QString &path)
{
    const QByteArray name = native(path);
    struct stat info {};
    QString text;
    if (lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char target[4096] = {};
        const ssize_t n = readlink(name.constData(), target, sizeof target - 1);
        text = QStringLiteral("link → %1; ").arg(QString::fromLocal8Bit(target, n < 0 ? 0 : n));
    }
    if (stat(name.constData(), &info) != 0)
        return text + QStringLiteral("no file");
    text += QStringLiteral("%1, %2").arg(ownerName(info.st_uid)).arg(info.st_mode & 07777, 4, 8, QChar(u'0'));
    if (info.st_nlink > 1)
        text += QStringLiteral(", %1 links").arg(info.st_nlink);
    char value[256] = {};
    if (getxattr(name.constData(), "user.note", value, sizeof value - 1) > 0)
        text += QStringLiteral(", user.note=%1").arg(QString::fromLatin1(value));
    if (getxattr(name.constData(), "system.posix_acl_access", nullptr, 0) > 0)
        text += QStringLiteral(", ACL");
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?");
    return text + (bytes == OldBytes ? QStringLiteral(": old") : bytes.startsWith("[Info0]") ? QStringLiteral(": new")
                                                                                              : QStringLiteral(": other"));
}

// Can nobody read the file? The owner of a file saved by root must still read it.
QString readableByNobody(const QString &path)
{
    const pid_t child = fork();
    if (child == 0) {
        const bool changed = setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        _exit(changed && access(native(path).constData(), R_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? QStringLiteral("nobody reads it")
                                                         : QStringLiteral("nobody cannot read it");
}

// The save's message, or "saved", from a child that may be nobody and may have a file size limit.
QString save(const QString &path, bool asNobody, rlim_t sizeLimit = RLIM_INFINITY)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{sizeLimit, sizeLimit};
        bool ready = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        if (asNobody)
            ready = ready && setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        const files::SaveOutcome outcome = files::saveCombatFile(newCombat(), path);
        const QByteArray report = !ready ? QByteArray("<no child set-up>")
            : outcome.ok                 ? QByteArray("saved")
                                         : outcome.error.toUtf8();
        _exit(write(channel[1], report.constData(), size_t(report.size())) == report.size() ? 0 : 1);
    }
    close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(report);
}

// The ACL of a file whose owner may read and write, nobody may read, the rest nothing.
QByteArray aclGivingNobodyRead()
{
    struct Entry { quint16 tag, perm; quint32 id; };
    const Entry entries[] = {{0x01, 6, 0xFFFFFFFF}, {0x02, 4, Nobody}, {0x04, 0, 0xFFFFFFFF},
                             {0x10, 4, 0xFFFFFFFF}, {0x20, 0, 0xFFFFFFFF}};
    QByteArray acl;
    const quint32 version = 2;
    acl.append(reinterpret_cast<const char *>(&version), sizeof version);
    for (const Entry &e : entries) {
        acl.append(reinterpret_cast<const char *>(&e.tag), 2);
        acl.append(reinterpret_cast<const char *>(&e.perm), 2);
        acl.append(reinterpret_cast<const char *>(&e.id), 4);
    }
    return acl;
}
#endif

struct Case
{
    const char *name;
    // Makes the files in `dir` and returns the path to save to and the other names to show.
    std::function<QStringList(const QString &dir)> setUp;
#ifndef Q_OS_WIN
    bool asNobody = false;
    rlim_t sizeLimit = RLIM_INFINITY;
    bool askNobodyReads = false;
#endif
};

QString cell(QString text)
{
    return text.replace(u'|', QStringLiteral("\\|")).replace(u'\n', u' ');
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir temporary;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    QTextStream out(stdout);
    auto at = [](const QString &dir, const char *name) { return dir + u'/' + QLatin1StringView(name); };
#ifdef Q_OS_WIN
    out << "Left out on Windows: permission bits, files of other users, links planted in shared folders, extended "
           "attributes and ACLs (its files have none of these, and it has no setuid or chown to become or name "
           "another user); the file size limit (RLIMIT_FSIZE), which it has no counterpart of; symbolic links, which "
           "an ordinary user may not make there.\n\n";
#else
    made(chmod(native(root).constData(), 0755), "chmod"); // nobody may enter
    auto giveToNobody = [](const QString &path) { return lchown(native(path).constData(), Nobody, Nobody) == 0; };
#endif

    const QList<Case> cases = {
#ifdef Q_OS_WIN
        {"own file", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             return QStringList{at(d, "c.ini")};
         }},
        {"own file, hidden and system", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             made(SetFileAttributesW(wide(at(d, "c.ini")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)
                      ? 0 : -1, "attributes");
             return QStringList{at(d, "c.ini")};
         }},
#else
        {"own file, mode 0640", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             chmod(native(at(d, "c.ini")).constData(), 0640);
             return QStringList{at(d, "c.ini")};
         }},
        {"nobody's file 0600, saved by root", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             chmod(native(at(d, "c.ini")).constData(), 0600);
             giveToNobody(at(d, "c.ini"));
             return QStringList{at(d, "c.ini")};
         }, false, RLIM_INFINITY, true},
        {"root's file 0666 in nobody's folder, saved by nobody", [&](const QString &d) {
             giveToNobody(d);
             writeOld(at(d, "c.ini"));
             chmod(native(at(d, "c.ini")).constData(), 0666);
             return QStringList{at(d, "c.ini")};
         }, true},
#endif
        {"hard link: c.ini and other.ini", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             made(hardLink(at(d, "c.ini"), at(d, "other.ini")), "link");
             return QStringList{at(d, "c.ini"), at(d, "other.ini")};
         }},
#ifndef Q_OS_WIN
        {"hard link, file size limit 100 bytes", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             made(hardLink(at(d, "c.ini"), at(d, "other.ini")), "link");
             return QStringList{at(d, "c.ini"), at(d, "other.ini")};
         }, false, 100},
        {"link to a file", [&](const QString &d) {
             writeOld(at(d, "real.ini"));
             made(symlink("real.ini", native(at(d, "c.ini")).constData()), "symlink");
             return QStringList{at(d, "c.ini"), at(d, "real.ini")};
         }},
        {"link to a missing file", [&](const QString &d) {
             made(symlink("real.ini", native(at(d, "c.ini")).constData()), "symlink");
             return QStringList{at(d, "c.ini"), at(d, "real.ini")};
         }},
        {"link loop c.ini → b.ini → c.ini", [&](const QString &d) {
             made(symlink("b.ini", native(at(d, "c.ini")).constData()), "symlink");
             made(symlink("c.ini", native(at(d, "b.ini")).constData()), "symlink");
             return QStringList{at(d, "c.ini")};
         }},
        {"extended attribute user.note", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             setxattr(native(at(d, "c.ini")).constData(), "user.note", "kept", 4, 0);
             return QStringList{at(d, "c.ini")};
         }},
        {"ACL: nobody may read, mode 0640", [&](const QString &d) {
             writeOld(at(d, "c.ini"));
             const QByteArray acl = aclGivingNobodyRead();
             setxattr(native(at(d, "c.ini")).constData(), "system.posix_acl_access", acl.constData(),
                      size_t(acl.size()), 0);
             return QStringList{at(d, "c.ini")};
         }, false, RLIM_INFINITY, true},
        {"root's file 0644, saved by nobody", [&](const QString &d) {
             giveToNobody(d);
             writeOld(at(d, "c.ini"));
             return QStringList{at(d, "c.ini")};
         }, true},
        {"new file in root's folder 0755, saved by nobody", [&](const QString &d) {
             return QStringList{at(d, "c.ini")};
         }, true},
#endif
        {"name of 243 bytes", [&](const QString &d) {
             return QStringList{d + u'/' + QString(239, u'n') + QStringLiteral(".ini")};
         }},
        {"name of 255 bytes", [&](const QString &d) {
             return QStringList{d + u'/' + QString(251, u'n') + QStringLiteral(".ini")};
         }},
        {"name of 256 bytes", [&](const QString &d) {
             return QStringList{d + u'/' + QString(252, u'n') + QStringLiteral(".ini")};
         }},
        {"path of 4,500 bytes", [&](const QString &d) {
             QString path = d;
             while (path.size() < 4500 - 8)
                 path += u'/' + QString(200, u'f');
             return QStringList{path + QStringLiteral("/c.ini")};
         }},
    };

    out << "| Case | Before | Outcome | After | Kept |\n|---|---|---|---|---|\n";
    int number = 0;
    for (const Case &c : cases) {
        const QString dir = root + QStringLiteral("/case%1").arg(++number);
        QDir().mkpath(dir);
        const QStringList names = c.setUp(dir);
        auto state = [&] {
            QStringList parts;
            for (const QString &name : names)
                parts << QFileInfo(name).fileName().left(12) + u' ' + describe(name);
            return parts.join(QStringLiteral("; "));
        };
        const QString before = state();
#ifdef Q_OS_WIN
        QString outcome = save(names.first());
#else
        QString outcome = save(names.first(), c.asNobody, c.sizeLimit);
#endif
        // The message names the folder as the system writes it.
        const QString shownDir = QDir::toNativeSeparators(dir);
        outcome.replace(shownDir + QDir::separator(), QString()).replace(shownDir, QStringLiteral("<folder>")).replace(QString(200, u'f'), QStringLiteral("f…"));
        outcome.replace(QRegularExpression(QStringLiteral("n{200,}")), QStringLiteral("n…"));
        QString after = state();
        QStringList others = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &name : names)
            others.removeAll(QFileInfo(name).fileName());
        others.removeAll(QStringLiteral("b.ini"));
        if (!others.isEmpty())
            after += QStringLiteral("; also in the folder: ") + others.join(QStringLiteral(", "));
        QString kept = before == after                              ? QStringLiteral("unchanged")
            : before.endsWith(QStringLiteral("no file")) ? QStringLiteral("new file")
                                       : QString(after).replace(QStringLiteral(": new"), QStringLiteral(": old"))
                    == before
            ? QStringLiteral("yes")
            : QStringLiteral("no");
#ifndef Q_OS_WIN
        if (c.askNobodyReads)
            kept += QStringLiteral(", ") + readableByNobody(names.first());
#endif
        out << "| " << c.name << " | " << cell(before) << " | " << cell(outcome) << " | " << cell(after) << " | "
            << kept << " |\n";
    }
    return 0;
}
