// What texts a file can hold cost the window: a 16 Mi-character name and a 1 Mi-character
// note of 170,000 conditions in a fight, with the player window open. Prints the CPU time of
// each action, with the windows repainted after it.
//   window_text_bench [name characters] [conditions]
#include "../BenchChecks.h"
#include "app/shell/AppSetup.h"
#include "app/shell/MainFrm.h"
#include "app/dialogs/Prompts.h"
#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void time(const char *action, const std::function<void()> &body)
{
    const double start = cpuMs();
    body();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->repaint();
    }
    QApplication::processEvents();
    std::printf("%-28s %9.1f ms\n", action, cpuMs() - start);
    std::fflush(stdout);
}

// Message boxes counted, not shown: the benchmark runs without anyone to close them.
class QuietPrompts : public Prompts
{
public:
    void message(QWidget *, const QString &, const QString &, Icon) override { ++messages; }
    int choose(QWidget *, const QString &, const QString &, const QStringList &) override { return -1; }
    QString askSavePath(QWidget *, const QString &, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString askOpenPath(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString askFolder(QWidget *, const QString &, const QString &) override { return {}; }
    int messages = 0;
};

// A control of the window by its object name: the window's members are its own.
template <typename Control>
Control *named(const QWidget &window, const char *name)
{
    auto *found = window.findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("The window has no control named %s", name);
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    setUpApplication(app);
    const qsizetype nameLength = argc > 1 ? std::atol(argv[1]) : 16 * 1024 * 1024;
    const int conditions = argc > 2 ? std::atoi(argv[2]) : 170'000;

    CombatDocument doc;
    auto prompts = std::make_unique<QuietPrompts>();
    QuietPrompts &said = *prompts;
    MainFrm window(doc, std::move(prompts));
    window.show();
    // Found before the clock runs.
    QAction *calculate = named<QAction>(window, "mnuOrder");
    QAction *players = named<QAction>(window, "mnuPlayerWindow");
    QAction *nextTurn = named<QAction>(window, "mnuNextTurn");
    QAction *previousTurn = named<QAction>(window, "mnuPreviousTurn");
    QAction *undo = named<QAction>(window, "mnuUndo");
    FieldEdit *otherField = named<FieldEdit>(window, "ChrName_5");
    NoteEdit *notes = named<NoteEdit>(window, "NotesTxt");
    QString note;
    for (int i = 0; i < conditions; ++i)
        note += QStringLiteral("[a: 2]");
    time("a long name and note", [&] {
        mustBeDone(doc.setFieldText(0, roster::Field::Name, QString(nameLength, u'N')));
        mustBeDone(doc.setFieldText(0, roster::Field::Initiative, QStringLiteral("20")));
        mustBeDone(doc.setFieldText(1, roster::Field::Name, QStringLiteral("Sela")));
        mustBeDone(doc.setFieldText(1, roster::Field::Note, note));
        mustBeDone(doc.setFieldText(1, roster::Field::Initiative, QStringLiteral("15")));
        doc.closeMerge();
    });
    time("F5 Calculate", [&] { calculate->trigger(); });
    time("F7 Player Window", [&] { players->trigger(); });
    time("F6 the long name's turn", [&] { nextTurn->trigger(); });
    time("F6 the conditions' turn", [&] { nextTurn->trigger(); });
    time("Shift+F6", [&] { previousTurn->trigger(); });
    time("F6 again", [&] { nextTurn->trigger(); });
    time("Ctrl+Z", [&] { undo->trigger(); });
    time("a key in another field", [&] {
        otherField->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(otherField, &press);
    });
    for (const qsizetype length : {qsizetype(NoteEdit::EditableLineLength), NoteEdit::EditableLineLength + 1}) {
        const bool refused = length > NoteEdit::EditableLineLength;
        time(refused ? "a longer paste, refused" : "a long paste", [&] {
            QApplication::clipboard()->setText(QString(length, u'x'));
            notes->setFocus();
            QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
            QApplication::sendEvent(notes, &paste);
        });
        time("Ctrl+Z after it", [&] { undo->trigger(); });
    }
    std::printf("messages shown: %d\n", said.messages);
    return 0;
}
