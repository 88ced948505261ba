// Long-text benchmark: the CPU time of each action on a huge text in the window's text
// controls, shown in an offscreen window, each action followed by a repaint.
//
//   text_bench [seconds] [kinds...] [shapes...]
//                                     runs each shape for each kind (all unless named)
//                                     in a child process and prints a table;
//                                     a child still busy after `seconds` (20) is killed
//   text_bench child KIND SHAPE       (used by the driver) prints "<action> <cpu-ms>"
//                                     after each action
// Actions, in this order: set the text, End, Home, type a letter, select all, scroll to
// the end, reset (set a text as long, as an undo does), paste the text into the emptied
// control. Note actions use Ctrl with End and Home.
// Kinds:
//   before   QLineEdit and QPlainTextEdit set up as the window set them up before
//            FieldEdit and NoteEdit
//   nowrap   the note as a QPlainTextEdit without line wrapping (fields as before)
//   after    FieldEdit and NoteEdit
// Shapes: note-1m is one line of 1 Mi characters in words, note-solid-1m one without
// blanks (nowhere to wrap), note-lines 16 Mi characters in lines of 80, note-lines-1m
// 1 Mi so, field-10m a field of 10 Mi characters; any size as <n>k or <n>m.
#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextStream>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <memory>

namespace {

const QStringList Kinds{QStringLiteral("before"), QStringLiteral("nowrap"), QStringLiteral("after")};
const QStringList Shapes{QStringLiteral("note-solid-100k"), QStringLiteral("note-solid-256k"),
                         QStringLiteral("note-solid-1m"),   QStringLiteral("note-1m"),
                         QStringLiteral("note-16m"),        QStringLiteral("note-lines"),
                         QStringLiteral("field-100k"),      QStringLiteral("field-10m")};
const QStringList Actions{QStringLiteral("set"),    QStringLiteral("end"),    QStringLiteral("home"),
                          QStringLiteral("type"),   QStringLiteral("select"), QStringLiteral("scroll"),
                          QStringLiteral("reset"),  QStringLiteral("paste")};

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Words with spaces, or one word without a place to break it ("solid").
QString longText(qsizetype length, bool lines, bool solid)
{
    const QString words = solid ? QStringLiteral("Thegoblinshamanhidesbehindthethirdpillar")
                                       : QStringLiteral("The goblin shaman hides behind the third pillar. ");
    QString text;
    text.reserve(length);
    while (text.size() < length) {
        if (lines && text.size() % 81 == 80)
            text += u'\n';
        else
            text += words.at(text.size() % words.size());
    }
    return text;
}

// One control under test, with the calls that differ between the kinds.
struct Subject
{
    QWidget *widget = nullptr;
    std::function<void(const QString &)> set;
    std::function<qsizetype()> length; // of the text the control reports, to see nothing was lost
    QScrollBar *scrollBar = nullptr;
};

Subject makeSubject(const QString &kind, bool note, QWidget *parent)
{
    Subject s;
    if (note && kind == QLatin1String("after")) {
        auto *edit = new NoteEdit(parent);
        s = {edit, [edit](const QString &t) { edit->setPlainText(t); }, [edit] { return edit->text().size(); },
             edit->verticalScrollBar()};
    } else if (note) {
        auto *edit = new QPlainTextEdit(parent);
        if (kind == QLatin1String("nowrap"))
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        s = {edit, [edit](const QString &t) { edit->setPlainText(t); },
             [edit] { return edit->toPlainText().size(); }, edit->verticalScrollBar()};
    } else if (kind == QLatin1String("after")) {
        auto *edit = new FieldEdit(parent);
        s = {edit, [edit](const QString &t) { edit->setText(t); }, [edit] { return edit->text().size(); }, nullptr};
    } else {
        auto *edit = new QLineEdit(parent);
        edit->setMaxLength(std::numeric_limits<int>::max());
        s = {edit, [edit](const QString &t) { edit->setText(t); }, [edit] { return edit->text().size(); }, nullptr};
    }
    if (auto *plain = qobject_cast<QPlainTextEdit *>(s.widget)) {
        plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        plain->setUndoRedoEnabled(false);
        plain->setTabChangesFocus(true);
    }
    return s;
}

void key(QWidget *widget, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

int runChild(int argc, char **argv, const QString &kind, const QString &shape)
{
    QApplication app(argc, argv);
    const bool note = shape.startsWith(QLatin1String("note"));
    // "note-1m": one line of 1 Mi characters; "note-lines": 16 Mi in lines of 80.
    const auto size = QRegularExpression(QStringLiteral("-(\\d+)([km])$")).match(shape);
    const qsizetype length = !size.hasMatch() ? 16 * 1024 * 1024
                             : size.captured(1).toLongLong() * (size.captured(2) == u'k' ? 1024 : 1024 * 1024);
    const QString text = longText(length, shape.contains(QLatin1String("lines")), shape.contains(QLatin1String("solid")));
    QString other = text;
    other[0] = u'X'; // what an undo writes back: as long, not the same

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    const Subject s = makeSubject(kind, note, &window);
    layout->addWidget(s.widget);
    window.resize(note ? QSize(640, 120) : QSize(200, 40));
    window.show();
    s.widget->setFocus();
    app.processEvents();

    auto time = [&](const QString &action, const std::function<void()> &body) {
        const double start = cpuMs();
        body();
        app.processEvents();
        s.widget->repaint();
        std::printf("%s %.1f\n", qPrintable(action), cpuMs() - start);
        std::fflush(stdout);
    };
    const Qt::KeyboardModifiers jump = note ? Qt::ControlModifier : Qt::NoModifier;
    time(QStringLiteral("set"), [&] { s.set(text); });
    time(QStringLiteral("end"), [&] { key(s.widget, Qt::Key_End, jump); });
    time(QStringLiteral("home"), [&] { key(s.widget, Qt::Key_Home, jump); });
    time(QStringLiteral("type"), [&] { key(s.widget, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")); });
    time(QStringLiteral("select"), [&] { key(s.widget, Qt::Key_A, Qt::ControlModifier); });
    time(QStringLiteral("scroll"), [&] {
        if (s.scrollBar)
            s.scrollBar->setValue(s.scrollBar->maximum());
        else
            key(s.widget, Qt::Key_End, Qt::ShiftModifier);
    });
    time(QStringLiteral("reset"), [&] { s.set(other); });
    if (s.length() != other.size())
        std::printf("lost %lld characters\n", static_cast<long long>(other.size() - s.length()));
    // The huge text pasted into the emptied control.
    QGuiApplication::clipboard()->setText(text);
    s.set(QString());
    app.processEvents();
    time(QStringLiteral("paste"), [&] { key(s.widget, Qt::Key_V, Qt::ControlModifier); });
    std::fflush(stdout);
    return 0;
}

long peakKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const auto match = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+)")).match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

// Runs one child; its times by action, the first one it did not finish marked as
// killed, and its peak memory.
QStringList runOne(const QString &program, const QString &kind, const QString &shape, int seconds, long *peak)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(program, {QStringLiteral("child"), kind, shape});
    QStringList cells(Actions.size(), QStringLiteral("-"));
    QElapsedTimer clock;
    clock.start();
    *peak = -1;
    bool killed = false;
    while (child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(100);
        while (child.canReadLine()) {
            const QStringList parts = QString::fromLatin1(child.readLine()).trimmed().split(u' ');
            const auto at = Actions.indexOf(parts.value(0));
            if (at >= 0)
                cells[at] = parts.value(1);
            else
                cells.append(parts.join(u' '));
        }
        if (const long p = peakKiB(child.processId()); p > 0)
            *peak = p;
        if (clock.elapsed() > seconds * 1000LL) {
            for (QString &cell : cells) {
                if (cell == QLatin1String("-")) {
                    cell = QStringLiteral(">%1s").arg(seconds);
                    break;
                }
            }
            child.kill();
            killed = true;
            child.waitForFinished();
        }
    }
    while (!killed && child.canReadLine()) {
        const QStringList parts = QString::fromLatin1(child.readLine()).trimmed().split(u' ');
        if (const auto at = Actions.indexOf(parts.value(0)); at >= 0)
            cells[at] = parts.value(1);
        else if (!parts.value(0).isEmpty())
            cells.append(parts.join(u' '));
    }
    return cells;
}

int runDriver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int seconds = 20;
    if (!args.isEmpty() && args.first().toInt() > 0)
        seconds = args.takeFirst().toInt();
    // Kinds, then shapes if any are named.
    QStringList kinds, shapes;
    for (const QString &arg : args)
        (Kinds.contains(arg) ? kinds : shapes) << arg;
    if (kinds.isEmpty())
        kinds = Kinds;
    if (shapes.isEmpty())
        shapes = Shapes;
    QTextStream out(stdout);
    out << qSetFieldWidth(8) << Qt::left << "kind" << qSetFieldWidth(17) << "shape" << qSetFieldWidth(8);
    for (const QString &action : Actions)
        out << action;
    out << "peak-MiB" << qSetFieldWidth(0) << "   (CPU ms per action)\n";
    for (const QString &kind : kinds) {
        for (const QString &shape : shapes) {
            long peak = -1;
            const QStringList cells = runOne(app.applicationFilePath(), kind, shape, seconds, &peak);
            out << qSetFieldWidth(8) << kind << qSetFieldWidth(17) << shape << qSetFieldWidth(8);
            for (qsizetype i = 0; i < Actions.size(); ++i)
                out << cells[i];
            out << QString::number(peak / 1024) << qSetFieldWidth(0);
            for (qsizetype i = Actions.size(); i < cells.size(); ++i)
                out << "  " << cells[i];
            out << Qt::endl;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "child") == 0)
        return runChild(argc, argv, QString::fromLatin1(argv[2]), QString::fromLatin1(argv[3]));
    return runDriver(argc, argv);
}
