#pragma once

// One call in a child process, to give it limits or a user of its own without
// touching the test process. On Windows, which has no fork and no other user to
// become, the child is this test program started again to run one named job.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <functional>

#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QMap>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <optional>
#else
#include <cstdlib>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testing {

#ifdef Q_OS_WIN

// A job that a second copy of the test program runs: its arguments in, its report out.
using ChildJob = QByteArray (*)(const QStringList &arguments);

inline QMap<QString, ChildJob> &childJobs()
{
    static QMap<QString, ChildJob> jobs;
    return jobs;
}

// Registers a job by name; a global of the test's own file, so it is there before main.
struct RegisterChildJob
{
    RegisterChildJob(const char *name, ChildJob job) { childJobs().insert(QString::fromLatin1(name), job); }
};

// Starts the test program again as `<program> --child <job> <arguments...>`; the caller
// waits for it or kills it.
inline void startChild(QProcess &child, const QString &job, const QStringList &arguments)
{
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(QStringList{QStringLiteral("--child"), job} + arguments);
    child.start();
}

// In the started copy: runs the job named on the command line and prints its report
// behind a '+', so that a report is told from a crash. Nothing when no job is named.
inline std::optional<int> runChildJob(const QStringList &commandLine)
{
    if (commandLine.value(1) != u"--child")
        return std::nullopt;
    const ChildJob job = childJobs().value(commandLine.value(2));
    if (!job) {
        std::fprintf(stderr, "no child job \"%s\"\n", qPrintable(commandLine.value(2)));
        return 2;
    }
    const QByteArray report = '+' + job(commandLine.mid(3));
    return std::fwrite(report.constData(), 1, size_t(report.size()), stdout) == size_t(report.size())
               && std::fflush(stdout) == 0
           ? 0
           : 1;
}

// `work` as a user whom the file's read-only attribute binds: on Windows that is any
// user, this one too.
inline QByteArray asOrdinaryUser(const QString &, const std::function<QByteArray()> &work)
{
    return work();
}

#else

// What `work` returned in the child; "<child failed>" when it did not finish.
inline QByteArray inChild(const std::function<QByteArray()> &work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "<child failed>";
    const pid_t child = fork();
    if (child == 0) {
        const QByteArray report = '+' + work();
        _exit(write(channel[1], report.constData(), size_t(report.size())) == report.size() ? 0 : 1);
    }
    close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    close(channel[0]);
    int status = 0;
    const bool done = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return done && report.startsWith('+') ? report.mid(1) : QByteArray("<child failed>");
}

// `work` as the user the child has become, with a state folder of that user's own for the
// journals of its saves, under /tmp, which goes when `work` is done.
inline QByteArray withOwnStateFolder(const std::function<QByteArray()> &work)
{
    // One the test gave it, which it may write, stays.
    if (const char *given = getenv("XDG_STATE_HOME"); given && access(given, W_OK) == 0)
        return work();
    char folder[] = "/tmp/fraymark-child-state-XXXXXX";
    if (!mkdtemp(folder))
        return "<no state folder>";
    setenv("XDG_STATE_HOME", folder, 1);
    const QByteArray report = work();
    QDir(QString::fromLocal8Bit(folder)).removeRecursively();
    return report;
}

// `work` as a user whom permission bits bind: for the superuser, in a child
// that has become "nobody" (65534), who is given `folder` and all in it.
inline QByteArray asOrdinaryUser(const QString &folder, const std::function<QByteArray()> &work)
{
    if (geteuid() != 0)
        return work();
    constexpr uid_t Nobody = 65534;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    for (QString path = folder; !path.isEmpty(); path = it.hasNext() ? it.next() : QString())
        if (lchown(QFile::encodeName(path).constData(), Nobody, Nobody) != 0)
            return "<no chown>";
    return inChild([&] {
        const bool changed = setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        return changed ? withOwnStateFolder(work) : QByteArray("<no user change>");
    });
}

// `work` in a child that has become "nobody" (65534) without being given anything;
// as any other user, `work` runs as that user.
inline QByteArray asNobody(const std::function<QByteArray()> &work)
{
    if (geteuid() != 0)
        return work();
    constexpr uid_t Nobody = 65534;
    return inChild([&] {
        const bool changed = setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        return changed ? withOwnStateFolder(work) : QByteArray("<no user change>");
    });
}

#endif

} // namespace testing

// The test's main; on Windows it first runs the child job that its command line names.
#ifdef Q_OS_WIN
#define FRAYMARK_TEST_MAIN(TestObject)                                                                                \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_QAPP_SETUP(QCoreApplication) if (const std::optional<int> code =             \
                                                                              testing::runChildJob(app.arguments()))  \
                                       return *code;)
#else
#define FRAYMARK_TEST_MAIN(TestObject) QTEST_GUILESS_MAIN(TestObject)
#endif
