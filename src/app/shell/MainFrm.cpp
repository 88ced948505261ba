#include "app/shell/MainFrm.h"

#include "app/order/OrderModel.h"
#include "app/players/PlayerWindow.h"
#include "app/rolls/Roller.h"
#include "app/rolls/RollsPanel.h"
#include "app/shell/QtPrompts.h"
#include "app/shell/RecoveryBar.h"
#include "app/shell/WindowEventsFilter.h"
#include "app/shell/StartUp.h"
#include "app/shell/Version.h"
#include "app/widgets/SpinButton.h"
#include "roster/FieldError.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// What a window manager's frame and title bar take from the screen, at most.
constexpr QSize FrameAllowance(16, 48);
// The smallest roster area on a screen too small for the whole window.
constexpr QSize SmallestScrolledArea(320, 240);

} // namespace

MainFrm::MainFrm(CombatDocument &document, std::unique_ptr<Prompts> prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_document(document)
    , m_prompts(prompts ? std::move(prompts) : std::make_unique<QtPrompts>())
    , m_startProgram([](const QString &program) { return QProcess::startDetached(program, {}); })
{
    setObjectName(QStringLiteral("MainFrm"));
    VerTxt = versionText(FraymarkVersionMajor, FraymarkVersionMinor);
    setWindowTitle(windowCaption(VerTxt));
    m_files = std::make_unique<CombatFiles>(m_document, *m_prompts, this, VerTxt);
    setAcceptDrops(true); // a combat file dropped on the window loads
    m_order = new OrderModel(m_document, this);
    m_roster = new RosterView(m_document, *m_order, [this](const std::function<void()> &body) { runHandler(body); });
    // The target bar under the roster, hidden until F8 or F9; created last, so it stays out
    // of the window's focus order.
    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_roster, 1);
    m_targetBar = new TargetBar(m_document);
    column->addWidget(m_targetBar);
    // Above the roster, hidden unless a combat is offered back; made after the rest, so
    // the focus order stays as it is without it.
    m_recoveryBar = new RecoveryBar;
    column->insertWidget(0, m_recoveryBar);
    // A window the bar made taller is given its height back when the bar goes.
    connect(m_targetBar, &TargetBar::closed, this, [this] {
        if (isMaximized() || isFullScreen() || height() <= m_heightWithoutBar)
            return;
        // The layouts let go of the bar's height before the window can.
        centralWidget()->layout()->activate();
        layout()->activate();
        resize(width(), m_heightWithoutBar);
    });
    connect(m_targetBar, &TargetBar::chosen, this,
            [this](int row) { m_roster->ensureWidgetVisible(m_roster->ChrName[row]); });
    // Beside the general note; made after the bars, and put after the note in the focus order.
    m_roller = new Roller(m_document, this);
    m_rollsPanel = new RollsPanel(m_roller->rolls(), m_roller->fixedDice());
    m_roster->placeBesideNote(m_rollsPanel, m_rollsPanel->list());
    connect(m_rollsPanel, &RollsPanel::rollAgain, this,
            [this](int line) { runHandler([this, line] { m_roller->rollAgain(line); }); });
    setCentralWidget(central);
    createMenus();
    connectMenus();
    watchFields();
    connect(&m_document, &CombatDocument::changed, this, &MainFrm::updateUndoActions);
    updateUndoActions();
    fitToScreen();
}

MainFrm::~MainFrm()
{
    // The controls go after this: focus changes as they go are none of the window's.
    disconnect(qApp, nullptr, this, nullptr);
}

void MainFrm::runHandler(const std::function<void()> &body)
{
    try {
        body();
    } catch (const roster::FieldError &error) {
        showError(error.message());
        // The user need not count rows: the field at fault takes the focus.
        if (const auto &place = error.location(); place && place->row >= 0 && place->row < roster::RowCount) {
            if (FieldEdit *at = m_roster->field(place->row, place->field); at->isEnabled())
                at->setFocus(Qt::OtherFocusReason);
        }
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    } catch (...) {
        showError(QStringLiteral("An unexpected error occurred."));
    }
}

void MainFrm::showError(const QString &message)
{
    m_prompts->message(this, message, QStringLiteral("Fraymark"), Prompts::Icon::Stop);
}

void MainFrm::watchFields()
{
    m_roster->setHistoryActions(mnuUndo, mnuRedo);
    auto *filter = new WindowEventsFilter(this);
    for (FieldEdit *field : m_roster->widget()->findChildren<FieldEdit *>()) {
        field->installEventFilter(filter);
        connect(field, &FieldEdit::inputRefused, this, &MainFrm::showError);
    }
    connect(m_roster->NotesTxt, &NoteEdit::inputRefused, this, &MainFrm::showError);
    m_roster->NotesTxt->installEventFilter(filter);
    m_roster->NotesTxt->viewport()->installEventFilter(filter);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // Keystrokes merge into one step only while the focus stays in their field.
        m_document.closeMerge();
        // Tab, undo or an error may put the focus on a row scrolled out of sight.
        if (now && m_roster->widget()->isAncestorOf(now))
            m_roster->ensureWidgetVisible(now);
    });
}

void MainFrm::fitToScreen()
{
    // Nothing is clipped at the content's minimum; a screen smaller than that gets
    // a window that fits it and a roster that scrolls.
    m_roster->fitCaptions(); // the captions are bold by now
    const QSize content = m_roster->widget()->minimumSizeHint() + QSize(0, m_roster->stripHeight());
    const QSize usable = screen()->availableGeometry().size() - FrameAllowance;
    const QSize whole = content + QSize(0, menuBar()->sizeHint().height());
    const bool fits = whole.width() <= usable.width() && whole.height() <= usable.height();
    m_roster->setMinimumSize(fits ? content : SmallestScrolledArea.boundedTo(content));
    resize(whole.boundedTo(usable));
}

void MainFrm::updateUndoActions()
{
    const UndoHistory &history = m_document.history();
    mnuUndo->setEnabled(history.canUndo());
    mnuUndo->setText(history.canUndo() ? QStringLiteral("&Undo ") + history.undoText() : QStringLiteral("&Undo"));
    mnuRedo->setEnabled(history.canRedo());
    mnuRedo->setText(history.canRedo() ? QStringLiteral("&Redo ") + history.redoText() : QStringLiteral("&Redo"));
}

void MainFrm::undoOrRedo(bool undo)
{
    runHandler([&] {
        const CombatState before = m_document.state();
        if (undo ? m_document.undo() : m_document.redo())
            m_roster->focusFirstChange(before, m_document.state());
    });
}

void MainFrm::openTargetBar(TargetBar::Mode mode)
{
    runHandler([&] {
        const int current = m_document.currentRowHolds() ? m_document.currentRow() : -1;
        if (!m_targetBar->isVisible())
            m_heightWithoutBar = height();
        m_targetBar->open(mode, current >= 0 ? current : m_roster->focusedRow());
    });
}

int MainFrm::commandRow() const
{
    // With the target bar open, the combatant chosen there: Ctrl+H hides whom it names.
    if (m_targetBar->isVisible() && m_targetBar->aimedRow() >= 0)
        return m_targetBar->aimedRow();
    return m_roster->focusedRow() >= 0 ? m_roster->focusedRow() : m_document.currentRow();
}

void MainFrm::mnuHide_Click()
{
    runHandler([this] {
        const int row = commandRow();
        if (row < 0 || m_document.row(row).name.isEmpty()) {
            showError(QStringLiteral("Put the cursor in a combatant's row, or mark a turn, to hide it from the players."));
            return;
        }
        m_document.toggleHidden(row);
    });
}

int MainFrm::rollingRow() const
{
    return m_document.currentRowHolds() ? m_document.currentRow() : m_roster->focusedRow();
}

void MainFrm::showPlayers()
{
    runHandler([this] {
        // Made when first asked for. As a child of this window it never keeps the program
        // running and goes when the program ends.
        if (!m_players) {
            m_players = new PlayerWindow(m_document, *m_order, this);
            connect(m_players, &PlayerWindow::nextTurnRequested, mnuNextTurn, &QAction::trigger);
            connect(m_players, &PlayerWindow::previousTurnRequested, mnuPreviousTurn, &QAction::trigger);
            connect(m_players, &PlayerWindow::mainWindowRequested, this, [this] {
                raise();
                activateWindow();
            });
        }
        m_players->show();
        m_players->raise();
        m_players->activateWindow();
    });
}

void MainFrm::dragEnterEvent(QDragEnterEvent *event)
{
    m_draggedPath = draggedCombatFile(event->mimeData());
    if (!m_draggedPath.isEmpty())
        event->acceptProposedAction();
}

void MainFrm::dragLeaveEvent(QDragLeaveEvent *)
{
    m_draggedPath.clear();
}

void MainFrm::dropEvent(QDropEvent *event)
{
    // A source that no longer answers for its data at the drop still dragged this file.
    QString path = draggedCombatFile(event->mimeData());
    if (path.isEmpty())
        path = m_draggedPath;
    m_draggedPath.clear();
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Loaded once the drag has ended, so a message box does not open inside the drop.
    // With Ctrl held, its combatants join the running fight instead.
    const bool add = event->modifiers().testFlag(Qt::ControlModifier);
    QMetaObject::invokeMethod(
        this, [this, path, add] { add ? addCombatantsFrom(path) : loadCombatFrom(path); }, Qt::QueuedConnection);
}
