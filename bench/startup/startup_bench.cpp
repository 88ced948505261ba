// Start-up benchmark: process start to the window shown and the event loop idle, and
// peak memory, for Fraymark's window and for simpler windows in the same binary.
//
//   startup_bench [rounds] [kinds...]   runs the kinds (bare floor fraymark unless named),
//                                       alternating, and prints medians
//   startup_bench interactive [n]       times, in Fraymark's shown window, a key press in a
//                                       field until it is repainted, and the fighting
//                                       order of a full roster until the list is repainted
//   startup_bench child KIND [WxH]      (used by the driver) shows one window, prints
//                                       "ready <peak-KiB> <W>x<H> <cpu-ms>" and quits
// Time is wall time from starting the child to its report; the CPU time the child
// used until then is shown too, as it varies less on a busy machine.
// Kinds:
//   bare      an empty QMainWindow
//   label     a QMainWindow with one line of text: what loading fonts costs
//   floor     plain Qt showing the controls Fraymark shows, at its window's size: the
//             least its window can cost
//   fraymark  Fraymark's window, set up as main() sets it up
// The driver runs fraymark first and gives the floor the size fraymark reported.
// With STARTUP_BENCH_LEFT=N set, the state folder holds N copies that ended programs left
// unsaved, and a fraymark child reports only once its look at them is done: what many
// copies left over cost a start (N=0 is the start to set against it).
#include "../BenchChecks.h"
#include "app/shell/AppSetup.h"
#include "app/shell/CrashRecovery.h"
#include "app/shell/MainFrm.h"
#include "files/StateFile.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QGridLayout>
#include <QListWidget>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QToolButton>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int FloorRows = 19;
constexpr int FloorFieldsPerRow = 11;

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(status.readAll());
    const auto match = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+)")).match(text);
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

// With STARTUP_BENCH_GEOMETRY set, the child prints every widget's place on stderr: a
// change meant to make start-up quicker must leave this list as it was.
void printGeometry(const QWidget &window)
{
    std::fprintf(stderr, "window %dx%d\n", window.width(), window.height());
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        const QRect r(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        std::fprintf(stderr, "%s %s %d,%d %dx%d%s\n", widget->metaObject()->className(),
                     qPrintable(widget->objectName()), r.x(), r.y(), r.width(), r.height(),
                     widget->isVisible() ? "" : " hidden");
    }
}

// Stock Qt only, no style of our own, showing the controls Fraymark's window shows: a menu
// bar, a scroll area of 19 rows of 11 line edits, a check box, two buttons and two spin
// arrows each, the column captions, the list, the note and their buttons and labels, and
// the turn line under them. The captions are bold and the turn line large and bold, as the
// window's: each face is fonts to find and load.
std::unique_ptr<QMainWindow> makeFloor(const QSize &size)
{
    auto window = std::make_unique<QMainWindow>();
    for (const char *caption : {"&File", "&Edit", "Com&bat", "&Load", "&Save", "&Calculator", "&Help"})
        window->menuBar()->addMenu(QLatin1String(caption));
    auto *central = new QWidget(window.get());
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setSpacing(2);
    for (int c = 0; c < 10; ++c) {
        auto *caption = new QLabel(QStringLiteral("Caption"), page);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        grid->addWidget(caption, 0, c);
    }
    for (int r = 1; r <= FloorRows; ++r) {
        int c = 0;
        for (; c < FloorFieldsPerRow; ++c)
            grid->addWidget(new QLineEdit(page), r, c);
        grid->addWidget(new QCheckBox(page), r, c++);
        grid->addWidget(new QPushButton(QStringLiteral("Clear"), page), r, c++);
        grid->addWidget(new QPushButton(QStringLiteral("Substract"), page), r, c++);
        for (int spin = 0; spin < 2; ++spin) {
            auto *arrows = new QToolButton(page);
            arrows->setArrowType(Qt::UpArrow);
            grid->addWidget(arrows, r, c++);
        }
    }
    grid->setRowStretch(FloorRows + 1, 1);
    auto *area = new QScrollArea(central);
    area->setWidgetResizable(true);
    area->setWidget(page);
    auto *layout = new QGridLayout(central);
    layout->addWidget(area, 0, 0, 1, 5);
    layout->addWidget(new QListWidget(central), 1, 0, 2, 1);
    layout->addWidget(new QPushButton(QStringLiteral("Calculate Fighting Order"), central), 1, 1);
    layout->addWidget(new QPushButton(QStringLiteral("Next Turn"), central), 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("Other Notes"), central), 1, 2);
    layout->addWidget(new QPlainTextEdit(central), 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Rolls"), central), 1, 3);
    layout->addWidget(new QListWidget(central), 2, 3);
    auto *turnLine = new QLabel(QStringLiteral("Round"), central);
    QFont large = turnLine->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    turnLine->setFont(large);
    layout->addWidget(turnLine, 3, 0, 1, 5);
    window->setCentralWidget(central);
    if (size.isValid())
        window->resize(size);
    return window;
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// With STARTUP_BENCH_PHASES set, the child also prints on stderr when each phase ended,
// in ms since main() began, and the CPU time used by then: what to look at when the
// time goes up.
struct Phases
{
    QElapsedTimer clock;
    bool on = qEnvironmentVariableIsSet("STARTUP_BENCH_PHASES");
    Phases() { clock.start(); }
    void mark(const char *phase) const
    {
        if (on)
            std::fprintf(stderr, "%-12s %7.2f ms  cpu %7.2f ms\n", phase, double(clock.nsecsElapsed()) / 1e6,
                         cpuMs());
    }
};

int runChild(int argc, char **argv, const QByteArray &kind, const QSize &size)
{
    const Phases phases;
    QApplication app(argc, argv);
    phases.mark("application");
    CombatDocument document;
    std::unique_ptr<QMainWindow> window;
    std::unique_ptr<CrashRecovery> recovery;
    if (kind == "fraymark") {
        setUpApplication(app);
        auto frame = std::make_unique<MainFrm>(document);
        // As main() starts it: the look for crash copies runs while the window comes up.
        recovery = CrashRecovery::start(document);
        if (recovery)
            frame->attachRecovery(*recovery);
        window = std::move(frame);
    } else if (kind == "floor") {
        window = makeFloor(size);
    } else {
        window = std::make_unique<QMainWindow>();
        if (kind == "label")
            window->setCentralWidget(new QLabel(QStringLiteral("Fraymark"), window.get()));
    }
    phases.mark("window");
    window->show();
    phases.mark("show");

    // Idle: the first time the event loop is about to wait, once the window is exposed.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app, [&] {
        if (!window->windowHandle() || !window->windowHandle()->isExposed())
            return;
        // The wait runs the event loop, which comes back here meanwhile.
        static bool waiting = false;
        if (waiting)
            return;
        if (recovery && qEnvironmentVariableIsSet("STARTUP_BENCH_LEFT")) {
            waiting = true;
            recovery->waitUntilReady();
        }
        phases.mark("idle");
        if (qEnvironmentVariableIsSet("STARTUP_BENCH_GEOMETRY"))
            printGeometry(*window);
        std::printf("ready %ld %dx%d %.2f\n", peakResidentKiB(), window->width(), window->height(), cpuMs());
        std::fflush(stdout);
        // Tearing down is not start-up: leave now, so a profile of the child holds
        // nothing after the report.
        std::_Exit(0);
    });
    return app.exec();
}

// A control of the window by its object name: the window's members are its own.
template <typename Control>
Control *named(const QWidget &window, const char *name)
{
    auto *found = window.findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("The window has no control named %s", name);
    return found;
}

// Start-up must not make what follows slower: a key typed into a field (the event and
// the field's repaint) and the fighting order of 19 filled rows (with the list's repaint).
// Each loop is a function of its own, so a profile shows its cost apart.
Q_NEVER_INLINE double typeKeys(QLineEdit *field, int count)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const bool erase = i % 20 == 19; // keep the text short, as typed text is
        QKeyEvent press(QEvent::KeyPress, erase ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier,
                        erase ? QString() : QStringLiteral("a"));
        QApplication::sendEvent(field, &press);
        field->repaint();
    }
    return double(timer.nsecsElapsed()) / 1e6 / count;
}

Q_NEVER_INLINE double orderFights(QAction *calculate, QListView *list, int count)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        calculate->trigger();
        list->repaint();
    }
    return double(timer.nsecsElapsed()) / 1e6 / count;
}

int runInteractive(int argc, char **argv, int count)
{
    QApplication app(argc, argv);
    setUpApplication(app);
    CombatDocument document;
    MainFrm window(document);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();

    QLineEdit *field = named<QLineEdit>(window, "ChrNote_7");
    field->setFocus();
    QCoreApplication::processEvents();
    const double keyMs = typeKeys(field, count);

    for (int r = 0; r < roster::RowCount; ++r) {
        mustBeDone(document.setFieldText(r, roster::Field::Name, QStringLiteral("Goblin %1").arg(r + 1)));
        mustBeDone(document.setFieldText(r, roster::Field::Initiative, QString::number((r * 7) % 23)));
        mustBeDone(document.setFieldText(r, roster::Field::HitPoints, QString::number(10 + r * 3)));
        mustBeDone(document.setFieldText(r, roster::Field::ArmourClass, QString::number(12 + r % 6)));
        mustBeDone(document.setFieldText(r, roster::Field::Attack, QStringLiteral("+5")));
        mustBeDone(document.setFieldText(r, roster::Field::Damage, QStringLiteral("1d8+2")));
        mustBeDone(document.setIncluded(r, true));
    }
    QCoreApplication::processEvents();
    const int orders = std::max(1, count / 10);
    QListView *list = named<QListView>(window, "List");
    const double orderMs = orderFights(named<QAction>(window, "mnuOrder"), list, orders);
    std::printf("key press with repaint: %.3f ms (%d presses)\n", keyMs, count);
    std::printf("fighting order with repaint: %.3f ms (%d runs, %d names listed)\n", orderMs, orders,
                list->model()->rowCount());
    std::fflush(stdout);
    std::_Exit(0);
}

struct Sample
{
    double ms = -1;
    long kib = -1;
    QString size;
    double cpuMs = -1;
};

Sample runOnce(const QString &self, const QString &kind, const QString &size)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    QStringList arguments{QStringLiteral("child"), kind};
    if (!size.isEmpty())
        arguments << size;
    child.start(self, arguments);
    if (!child.waitForStarted())
        return {};
    // The report is one line; the time is taken when its first byte arrives.
    double ms = -1;
    while (!child.canReadLine() && child.waitForReadyRead(30000)) {
        if (ms < 0)
            ms = double(timer.nsecsElapsed()) / 1e6;
    }
    const QByteArray output = child.readAllStandardOutput();
    const QStringList words = QString::fromLatin1(output).trimmed().split(u' ');
    child.waitForFinished(30000);
    if (ms < 0 || words.size() < 4 || words[0] != QLatin1String("ready")) {
        std::fprintf(stderr, "the %s child said \"%s\" and on stderr:\n%s\n", qPrintable(kind), output.constData(),
                     child.readAllStandardError().constData());
        return {};
    }
    return {ms, words[1].toLong(), words[2], words[3].toDouble()};
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int runDriver(const QString &self, int rounds, QStringList kinds)
{
    // Fraymark first: the floor takes its window size from it.
    if (kinds.removeAll(QStringLiteral("fraymark")) > 0)
        kinds.prepend(QStringLiteral("fraymark"));
    QString size;
    for (const QString &kind : kinds) { // also warms the file cache
        const Sample s = runOnce(self, kind, size);
        if (s.ms < 0) {
            std::fprintf(stderr, "the %s child did not report; is a display or QT_QPA_PLATFORM set?\n",
                         qPrintable(kind));
            return 1;
        }
        if (kind == QLatin1String("fraymark"))
            size = s.size;
    }
    std::vector<std::vector<double>> ms(kinds.size());
    std::vector<std::vector<long>> kib(kinds.size());
    std::vector<std::vector<double>> cpu(kinds.size());
    for (int i = 0; i < rounds; ++i) {
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            const Sample s = runOnce(self, kinds[k], size);
            if (s.ms < 0) {
                std::fprintf(stderr, "the %s child did not report\n", qPrintable(kinds[k]));
                return 1;
            }
            ms[k].push_back(s.ms);
            kib[k].push_back(s.kib);
            cpu[k].push_back(s.cpuMs);
        }
    }

    // Shown from the simplest window up; ratios against the floor when it ran.
    static const QStringList order{QStringLiteral("bare"), QStringLiteral("label"), QStringLiteral("floor"),
                                   QStringLiteral("fraymark")};
    std::vector<qsizetype> rows;
    for (const QString &kind : order) {
        if (const qsizetype k = kinds.indexOf(kind); k >= 0)
            rows.push_back(k);
    }
    const qsizetype base = std::max<qsizetype>(kinds.indexOf(QStringLiteral("floor")), 0);
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, window %s, rounds: %d (medians)\n",
                platform.isEmpty() ? "default" : platform.constData(), qPrintable(size.isEmpty() ? QStringLiteral("-") : size),
                rounds);
    const QString over = u'/' + kinds[base];
    std::printf("%-10s %10s %10s %10s %12s %10s %10s\n", "window", "start (ms)", qPrintable(u't' + over),
                "CPU (ms)", qPrintable(QStringLiteral("cpu") + over), "peak (KiB)", qPrintable(QStringLiteral("mem") + over));
    for (const qsizetype k : rows) {
        const double m = median(ms[k]);
        const double c = median(cpu[k]);
        const long r = median(kib[k]);
        std::printf("%-10s %10.1f %10.2f %10.1f %12.2f %10ld %10.2f\n", qPrintable(kinds[k]), m, m / median(ms[base]), c,
                    c / median(cpu[base]), r, double(r) / double(median(kib[base])));
    }
    return 0;
}

} // namespace

// `count` copies of a ten-row fight in its third round, each left unsaved by a program
// that has ended, a minute apart, the newest `STARTUP_BENCH_LEFT_DAYS` days ago (default 40).
void leaveCopies(const QString &folder, int count)
{
    if (count <= 0)
        return;
    QDir().mkpath(folder);
    CombatDocument played;
    for (int r = 0; r < 10; ++r) {
        mustBeDone(played.setFieldText(r, roster::Field::Name, QStringLiteral("Goblin %1").arg(r + 1)));
        mustBeDone(played.setFieldText(r, roster::Field::HitPoints, QStringLiteral("7")));
        mustBeDone(played.setFieldText(r, roster::Field::Initiative, QString::number(r + 3)));
    }
    mustBeDone(played.calculateOrder());
    for (int turn = 0; turn < 25; ++turn)
        mustBeDone(played.nextTurn());
    const int days = qEnvironmentVariableIsSet("STARTUP_BENCH_LEFT_DAYS")
        ? qEnvironmentVariableIntValue("STARTUP_BENCH_LEFT_DAYS")
        : 40;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-days).addSecs(-60 * count);
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/combat-%1-%2.ini").arg(900000 + i).arg(i));
        const QDateTime changed = start.addSecs(60 * i);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(files::stateFileBytes(played.roster(), played.order(), played.state().turn,
                                                {changed, false, false}))
                <= 0
            || !file.flush() || !file.setFileTime(changed, QFileDevice::FileModificationTime))
            qFatal("cannot leave a copy in %s", qPrintable(folder));
    }
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "child") == 0) {
        QSize size;
        if (argc >= 4) {
            const QList<QByteArray> parts = QByteArray(argv[3]).split('x');
            if (parts.size() == 2)
                size = QSize(parts[0].toInt(), parts[1].toInt());
        }
        return runChild(argc, argv, QByteArray(argv[2]), size);
    }

    if (argc >= 2 && qstrcmp(argv[1], "interactive") == 0)
        return runInteractive(argc, argv, argc >= 3 ? std::max(10, std::atoi(argv[2])) : 2000);

    const int rounds = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;
    QStringList kinds;
    for (int i = 2; i < argc; ++i)
        kinds << QString::fromLocal8Bit(argv[i]);
    if (kinds.isEmpty())
        kinds = {QStringLiteral("bare"), QStringLiteral("floor"), QStringLiteral("fraymark")};
    QCoreApplication app(argc, argv);
    // The children keep their copies for after a crash in a folder of their own, with
    // nothing in it to offer back.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    leaveCopies(state.path() + QStringLiteral("/fraymark"), qEnvironmentVariableIntValue("STARTUP_BENCH_LEFT"));
    return runDriver(QCoreApplication::applicationFilePath(), rounds, kinds);
}
