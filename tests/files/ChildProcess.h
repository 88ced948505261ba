#pragma once

// One call in a child process, to give it limits or a user of its own without
// touching the test process.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing {

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
        return changed ? work() : QByteArray("<no user change>");
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
        return changed ? work() : QByteArray("<no user change>");
    });
}

} // namespace testing
