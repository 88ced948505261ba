// What keeping the combat for after a crash costs: on the window's thread per change (the
// document's change with the writer attached, less the same change without it), and on the
// writer's thread per write (the bytes made and saved atomically), for an ordinary combat
// and for one whose file is close to 16 MiB (a long general note, kept in all 19 rows).
// Usage: recovery_bench [changes per run]   (default 2000)
#include "../BenchChecks.h"
#include "document/RecoveryWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void fill(CombatDocument &doc, qsizetype noteLength)
{
    for (int r = 0; r < roster::RowCount; ++r) {
        mustBeDone(doc.setFieldText(r, roster::Field::Name, QStringLiteral("Goblin %1").arg(r + 1)));
        mustBeDone(doc.setFieldText(r, roster::Field::HitPoints, QStringLiteral("12")));
        mustBeDone(doc.setFieldText(r, roster::Field::Initiative, QString::number(r)));
        mustBeDone(doc.setFieldText(r, roster::Field::Note, QStringLiteral("[Stunned: 3] on the ridge")));
        doc.closeMerge();
    }
    mustBeDone(doc.setGeneralNote(QString(noteLength, u'n')));
    mustBeDone(doc.calculateOrder());
    mustBeDone(doc.nextTurn());
}

// Microseconds per change of a hit point field over `changes` changes.
double perChange(CombatDocument &doc, int changes)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < changes; ++i) {
        mustBeDone(doc.setFieldText(i % roster::RowCount, roster::Field::HitPoints, QString::number(10 + i % 7)));
        doc.closeMerge();
    }
    return double(timer.nsecsElapsed()) / 1000.0 / changes;
}

// The slowest of `changes` changes made 5 ms apart, as fast typing makes them, while the
// writer writes beside them; in microseconds.
double slowestPaced(CombatDocument &doc, int changes)
{
    double slowest = 0;
    for (int i = 0; i < changes; ++i) {
        QElapsedTimer timer;
        timer.start();
        mustBeDone(doc.setFieldText(i % roster::RowCount, roster::Field::Note, QStringLiteral("typed %1").arg(i)));
        slowest = std::max(slowest, double(timer.nsecsElapsed()) / 1000.0);
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 5)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return slowest;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const char *name, qsizetype noteLength, int changes)
{
    QTemporaryDir dir;
    QString problem;
    CombatDocument doc;
    fill(doc, noteLength);
    perChange(doc, changes); // the undo history filled to its bounds first
    // Runs with and without the writer take turns, so that the machine's moods hit both.
    std::vector<double> without, with, slowestWithout, slowestWith;
    int writes = 0;
    for (int run = 0; run < 5; ++run) {
        without.push_back(perChange(doc, changes));
        slowestWithout.push_back(slowestPaced(doc, 100));
        RecoveryWriter writer(doc, files::StateFile::open(dir.path(), problem));
        QObject::connect(&writer, &RecoveryWriter::written, &writer, [&writes] { ++writes; });
        QObject::connect(&writer, &RecoveryWriter::failed, &writer,
                         [](const QString &message) { std::printf("  failed: %s\n", qPrintable(message)); });
        with.push_back(perChange(doc, changes));
        slowestWith.push_back(slowestPaced(doc, 100));
        // The writer's last writes are counted before it goes.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QCoreApplication::processEvents();

    // The writer's thread: one write, made and saved, the median of five.
    const auto state = files::StateFile::open(dir.path(), problem);
    std::vector<double> writeMs;
    qsizetype size = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes = files::stateFileBytes(doc.roster(), doc.order(), doc.state().turn,
                                                       {QDateTime::currentDateTimeUtc(), false, false});
        state->write(bytes);
        writeMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        size = bytes.size();
    }
    std::printf("%s combat (state file %.2f MiB):\n", name, double(size) / (1024 * 1024));
    std::printf("  window's thread per change: %.1f us with the writer, %.1f us without: %.1f us for the state\n",
                median(with), median(without), median(with) - median(without));
    std::printf("  slowest of 100 changes 5 ms apart: %.1f us with the writer writing beside them, %.1f us without\n",
                median(slowestWith), median(slowestWithout));
    std::printf("  writer's thread per write: %.1f ms; %d writes for %d changes\n", median(writeMs), writes,
                5 * (changes + 100));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int changes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    measure("Ordinary", 200, changes);
    measure("16 MiB", 860'000, changes / 10);
    return 0;
}
