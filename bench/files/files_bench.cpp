// Times saving and loading a full combat with long texts: 19 rows whose fields
// hold about 100 characters each and a general note of about 2,000 characters.
// With --shapes, times loading files of odd shapes up to the 16 MiB limit instead,
// each in a child process stopped after `cap` seconds.
// Usage: files_bench [rounds]   (default 500)
//        files_bench --shapes [cap]   (default 60; SHAPE=name runs only that shape)
//        files_bench --load <file>   (Windows: the child of one shape, started by --shapes)

#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdlib>
#include <ctime>

#ifdef Q_OS_WIN
#include <QProcess>

#include <windows.h>
#else
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QString filler(const QString &seed, int length)
{
    QString text;
    while (text.size() < length)
        text += seed;
    text.truncate(length);
    return text;
}

roster::Roster longCombat(const QString &letters)
{
    roster::Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        const QString seed = QStringLiteral("Row %1 %2 = [x]; ").arg(r).arg(letters);
        row.name = filler(seed, 100);
        row.hp = QString::number(r * 7 - 30) + filler(seed, 97);
        row.ac = filler(seed, 100);
        row.ini = filler(seed, 100);
        row.note = filler(seed, 100);
        row.fort = filler(seed, 100);
        row.reflex = filler(seed, 100);
        row.will = filler(seed, 100);
        row.attack = filler(seed, 100);
        row.damage = filler(seed, 100);
    }
    QString note;
    for (int line = 0; note.size() < 2000; ++line)
        note += filler(QStringLiteral("Line %1 of the notes %2 ").arg(line).arg(letters), 78) + u'\n';
    roster.generalNote = note;
    return roster;
}

// A combat as a table sees it: six named rows with short texts, a two-line note.
roster::Roster typicalCombat()
{
    roster::Roster roster;
    for (int r = 0; r < 6; ++r) {
        roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        row.name = QStringLiteral("Goblin %1").arg(r + 1);
        row.hp = QString::number(7 + r);
        row.ac = QStringLiteral("15");
        row.ini = QString::number(20 - 3 * r);
        row.note = QStringLiteral("on the ridge");
        row.fort = QStringLiteral("-1");
        row.reflex = QStringLiteral("+1");
        row.will = QStringLiteral("+3");
        row.attack = QStringLiteral("+4 shortbow");
        row.damage = QStringLiteral("1d6");
    }
    roster.generalNote = QStringLiteral("Ambush at the ford\nWolves arrive at dusk");
    return roster;
}

struct Timing
{
    double saveMicros = 0;
    double loadMicros = 0;
};

Timing timeRounds(const roster::Roster &combat, const QString &path, int rounds)
{
    QElapsedTimer clock;
    qint64 saveNanos = 0;
    qint64 loadNanos = 0;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        const files::SaveOutcome saved = files::saveCombatFile(combat, path);
        saveNanos += clock.nsecsElapsed();
        clock.start();
        const files::LoadOutcome loaded = files::loadCombatFile(path, roster::Roster());
        loadNanos += clock.nsecsElapsed();
        if (!saved.ok || loaded.status != files::LoadOutcome::Status::Loaded) {
            QTextStream(stderr) << "round trip failed: " << saved.error << loaded.message << Qt::endl;
            std::exit(1);
        }
    }
    return {saveNanos / 1000.0 / rounds, loadNanos / 1000.0 / rounds};
}

// The file of `typicalCombat` with `junk` before its first section or, with
// `intoFirstRow`, inside the first one: the rows still have to be found and read.
QByteArray withJunk(const QByteArray &junk, bool intoFirstRow = false)
{
    QByteArray combat = files::combatFileBytes(typicalCombat());
    if (!intoFirstRow)
        return junk + combat;
    return combat.insert(combat.indexOf('\n') + 1, junk);
}

QByteArray repeated(int count, const char *format)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QByteArray(format).replace("%1", QByteArray::number(i));
    return bytes;
}

// The processor time of this process so far, in milliseconds.
double processorMillis()
{
#ifdef Q_OS_WIN
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto millis = [](const FILETIME &t) { return double((quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return millis(kernel) + millis(user);
#else
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6;
#endif
}

// The child's part: loads the file and prints how long that took.
void loadAndReport(const QString &path)
{
    // The machine may be shared: the processor time says more than the clock.
#ifdef Q_OS_WIN
    const double before = processorMillis(); // what starting this program again took
#else
    const double before = 0;
#endif
    QElapsedTimer clock;
    clock.start();
    const files::LoadOutcome loaded = files::loadCombatFile(path, roster::Roster());
    const qint64 nanos = clock.nsecsElapsed();
    QTextStream(stdout) << QString::number(nanos / 1e6, 'f', 1) << " ms (processor "
                        << QString::number(processorMillis() - before, 'f', 1) << " ms), "
                        << (loaded.status == files::LoadOutcome::Status::Loaded ? "loaded" : "not loaded") << Qt::endl;
}

// The load of the file at `path` in a child, so that a run we cannot wait for ends.
void timeShape(QTextStream &out, const char *label, const QByteArray &bytes, const QString &path, int cap)
{
    if (const char *only = std::getenv("SHAPE"); only && QByteArray(label) != only)
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::exit(1);
    file.close();
    out << label << " (" << bytes.size() << " bytes): " << Qt::flush;
#ifdef Q_OS_WIN
    // No fork: the child is this program again, killed when the cap is up.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load"), path});
    if (!child.waitForFinished(cap * 1000)) {
        child.kill();
        child.waitForFinished();
        out << "over " << cap << " s" << Qt::endl;
    } else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        out << "failed" << Qt::endl;
    } else {
        out << child.readAllStandardOutput() << Qt::flush;
    }
#else
    const pid_t child = fork();
    if (child == 0) {
        alarm(static_cast<unsigned>(cap));
        loadAndReport(path);
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
        out << "over " << cap << " s" << Qt::endl;
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        out << "failed" << Qt::endl;
#endif
}

int timeShapes(const QString &path, int cap)
{
    QTextStream out(stdout);
    timeShape(out, "160,000 sections", withJunk(repeated(160'000, "[S%1]\r\n")), path, cap);
    timeShape(out, "a million short sections", withJunk(repeated(1'000'000, "[%1]\n")), path, cap);
    // As many names as 16 MiB can hold: three Windows-1252 letters each.
    QByteArray threeLetters;
    QByteArray letters;
    for (int c = 0x21; c < 0x100; ++c)
        if (c != '[' && c != ']' && (c < 0x7F || c >= 0xA0))
            letters += char(c);
    for (const char a : letters)
        for (const char b : letters)
            for (const char c : letters)
                if (threeLetters.size() < files::MaxCombatFileSize - 4096)
                    threeLetters += QByteArray("[") + a + b + c + "]\n";
    timeShape(out, "2.8 million sections", withJunk(threeLetters), path, cap);
    timeShape(out, "160,000 sections of one name", withJunk(repeated(160'000, "[Info0]\r\n")), path, cap);
    timeShape(out, "eight million \"=\" lines", withJunk(QByteArray(8'000'000, '=').replace("=", "=\n"), true), path,
              cap);
    const QByteArray combat = withJunk(QByteArray());
    const qsizetype valueSize = files::MaxCombatFileSize - combat.size() - 10;
    timeShape(out, "one 16 MiB value", withJunk("Note=" + QByteArray(valueSize, 'x') + "\r\n", true), path, cap);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    if (argc > 2 && QByteArray(argv[1]) == "--load") {
        loadAndReport(app.arguments().at(2));
        return 0;
    }
#endif
    if (argc > 1 && QByteArray(argv[1]) == "--shapes") {
        QTemporaryDir dir;
        return dir.isValid() ? timeShapes(dir.filePath(QStringLiteral("shape.ini")), argc > 2 ? std::atoi(argv[2]) : 60)
                             : 1;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath(QStringLiteral("bench.ini"));

    QTextStream out(stdout);
    const struct { const char *label; roster::Roster combat; } kinds[] = {
        {"long texts, windows-1252", longCombat(QStringLiteral("Orc é€"))},
        {"long texts, utf-8", longCombat(QStringLiteral("Дракон 🐉"))},
        {"typical combat", typicalCombat()},
    };
    for (const auto &kind : kinds) {
        const roster::Roster &combat = kind.combat;
        const qsizetype bytes = files::combatFileBytes(combat).size();
        timeRounds(combat, path, std::max(1, rounds / 10)); // warm the caches
        const Timing t = timeRounds(combat, path, rounds);
        out << kind.label << ": file " << bytes << " bytes, " << rounds << " rounds: save "
            << QString::number(t.saveMicros, 'f', 1) << " us, load " << QString::number(t.loadMicros, 'f', 1)
            << " us, round trip " << QString::number(t.saveMicros + t.loadMicros, 'f', 1) << " us" << Qt::endl;

        // The same round trip in memory: what is the format's work and what the file system's.
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            const files::LoadOutcome loaded = files::loadCombat(files::combatFileBytes(combat), roster::Roster());
            if (loaded.roster.rows[0].name != combat.rows[0].name)
                return 1;
        }
        out << kind.label << ": in memory, round trip " << QString::number(clock.nsecsElapsed() / 1000.0 / rounds, 'f', 1)
            << " us" << Qt::endl;
    }
    return 0;
}
