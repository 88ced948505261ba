// Start-up benchmark: process start to the window shown and the event loop idle, and
// peak memory, for Fraymark's window and for a bare QMainWindow in the same binary.
//
//   startup_bench [rounds]      runs both, alternating, and prints medians
//   startup_bench child fraymark|bare|label   (used by the driver) shows one window,
//                                              prints "ready <peak-KiB>" and quits
// "label" is a bare window with one line of text: the floor that loading fonts sets.
#include "app/MainFrm.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const auto match = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+)")).match(text);
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

int runChild(int argc, char **argv, const QByteArray &kind)
{
    QApplication app(argc, argv);
    std::unique_ptr<QMainWindow> window;
    if (kind == "fraymark") {
        window = std::make_unique<MainFrm>();
    } else {
        window = std::make_unique<QMainWindow>();
        if (kind == "label")
            window->setCentralWidget(new QLabel(QStringLiteral("Fraymark"), window.get()));
    }
    window->show();

    // Idle: the first time the event loop is about to wait, once the window is exposed.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
        if (!window->windowHandle() || !window->windowHandle()->isExposed())
            return;
        std::printf("ready %ld\n", peakResidentKiB());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return app.exec();
}

struct Sample
{
    double ms = 0;
    long kib = 0;
};

Sample runOnce(const QString &self, const QString &kind)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(self, {QStringLiteral("child"), kind});
    if (!child.waitForStarted() || !child.waitForReadyRead(30000))
        return {-1, -1};
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const QStringList words = QString::fromLatin1(child.readAllStandardOutput()).split(u' ');
    child.waitForFinished(30000);
    return {ms, words.size() > 1 ? words[1].trimmed().toLong() : -1};
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runDriver(const QString &self, int rounds)
{
    const QStringList kinds{QStringLiteral("bare"), QStringLiteral("label"), QStringLiteral("fraymark")};
    std::vector<std::vector<double>> ms(kinds.size());
    std::vector<std::vector<long>> kib(kinds.size());
    for (const QString &kind : kinds)
        runOnce(self, kind); // warm the file cache
    for (int i = 0; i < rounds; ++i) {
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            const Sample s = runOnce(self, kinds[k]);
            if (s.ms < 0) {
                std::fprintf(stderr, "a child did not report; is a display or QT_QPA_PLATFORM set?\n");
                return 1;
            }
            ms[k].push_back(s.ms);
            kib[k].push_back(s.kib);
        }
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, rounds: %d (medians)\n", platform.isEmpty() ? "default" : platform.constData(),
                rounds);
    std::printf("%-10s %12s %16s %10s %10s\n", "window", "start (ms)", "peak RSS (KiB)", "time/bare", "mem/bare");
    for (qsizetype k = 0; k < kinds.size(); ++k) {
        const double m = median(ms[k]);
        const long r = median(kib[k]);
        std::printf("%-10s %12.1f %16ld %10.2f %10.2f\n", qPrintable(kinds[k]), m, r, m / median(ms[0]),
                    double(r) / double(median(kib[0])));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "child") == 0)
        return runChild(argc, argv, QByteArray(argv[2]));

    const int rounds = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;
    QCoreApplication app(argc, argv);
    return runDriver(QCoreApplication::applicationFilePath(), rounds);
}
