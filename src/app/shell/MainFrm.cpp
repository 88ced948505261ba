#include "app/shell/MainFrm.h"

#include "app/dialogs/QtPrompts.h"
#include "app/order/OrderModel.h"
#include "app/players/PlayerWindow.h"
#include "app/share/SharePanel.h"
#include "app/rolls/Roller.h"
#include "app/rolls/RollsPanel.h"
#include "app/roster/RosterView.h"
#include "app/shell/CombatFiles.h"
#include "app/shell/CrashRecovery.h"
#include "app/shell/FightKeys.h"
#include "app/shell/RecoveryBar.h"
#include "app/shell/StartUp.h"
#include "app/dialogs/LibraryFoldersDialog.h"
#include "app/library/LibraryIndexer.h"
#include "app/shell/Preferences.h"
#include "app/statblocks/StatBlockDialog.h"
#include "files/Library.h"
#include "files/UserFolders.h"
#include "app/widgets/DraggedFile.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QTimer>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

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
    , m_reporter(*m_prompts, this)
    , m_startProgram([](const QString &program) { return QProcess::startDetached(program, {}); })
{
    setObjectName(QStringLiteral("MainFrm"));
    VerTxt = files::programVersionText();
    setWindowTitle(windowCaption(VerTxt));
    m_files = std::make_unique<CombatFiles>(m_document, m_reporter, this);
    setAcceptDrops(true); // a combat file dropped on the window loads
    m_order = new OrderModel(m_document, this);
    m_roller = new Roller(m_document, m_reporter, this);
    m_library = new LibraryIndexer(this);
    connect(m_library, &LibraryIndexer::indexed, this, [this] {
        m_libraryProblems += m_library->unreadable();
        if (m_targetBar)
            m_targetBar->libraryRead(); // its choice pointed into the entries just replaced
    });
    // Read once the window is up: the disk never holds up the start.
    QTimer::singleShot(0, m_library, [this] { m_library->start(libraryFolders()); });
    m_roster = new RosterView(m_document, *m_order, m_reporter, [this](int row) { return m_roller->subtract(row); });
    m_reporter.setFieldFocus([this](const roster::FieldLocation &at) { m_roster->focusField(at.row, at.field); });
    m_fightKeys = std::make_unique<FightKeys>(m_document, m_reporter, *m_roster, [this]() -> TargetBar & { return targetBar(); },
                                              [this] { return m_targetBar; });
    // The bars come above and below the roster when first needed.
    auto *central = new QWidget;
    m_column = new QVBoxLayout(central);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addWidget(m_roster, 1);
    // Beside the general note, and after it in the focus order.
    m_rollsPanel = new RollsPanel(m_roller->rolls(), m_roller->fixedDice());
    m_roster->placeBesideNote(m_rollsPanel, m_rollsPanel->diceField());
    setTabOrder(m_rollsPanel->diceField(), m_rollsPanel->list());
    connect(m_rollsPanel, &RollsPanel::rollAgain, this, [this](int line) { m_roller->rollAgain(line); });
    connect(m_rollsPanel, &RollsPanel::rollDice, this, [this](const QString &text) { m_roller->rollDice(text); });
    setCentralWidget(central);
    createMenus();
    connectMenus();
    m_roster->setHistoryActions(mnuUndo, mnuRedo);
    m_roster->setRowActions({mnuSaveToLibrary});
    connect(&m_document, &CombatDocument::changed, this, &MainFrm::updateUndoActions);
    updateUndoActions();
    fitToScreen();
}

MainFrm::~MainFrm() = default;

void MainFrm::loadCombatFrom(const QString &path)
{
    m_files->load(path);
}

void MainFrm::addCombatantsFrom(const QString &path)
{
    m_files->add(path);
}

QStringList MainFrm::libraryFolders() const
{
    return QStringList{files::libraryFolderPath()} + preferences::choices().libraryFolders;
}

void MainFrm::saveRowToLibrary()
{
    const int row = m_roster->focusedRow();
    if (row < 0 || m_document.row(row).name.trimmed().isEmpty()) {
        m_prompts->message(this, QStringLiteral("Put the caret in a named row first: that row is saved to the library."),
                           QStringLiteral("Save Row to Library"), Prompts::Icon::Information);
        return;
    }
    const files::LibrarySave saved = files::saveToLibrary(m_document.row(row), files::libraryFolderPath());
    if (!saved.ok) {
        m_prompts->message(this, saved.error, QStringLiteral("Save Row to Library"), Prompts::Icon::Warning);
        return;
    }
    m_library->reindex();
    m_prompts->message(this,
                       QStringLiteral("%1 is in the library: %2").arg(m_document.row(row).name.trimmed(),
                                                                      QDir::toNativeSeparators(saved.path)),
                       QStringLiteral("Save Row to Library"), Prompts::Icon::Information);
}

void MainFrm::chooseLibraryFolders()
{
    LibraryFoldersDialog dialog(this, *m_prompts, files::libraryFolderPath(), preferences::choices().libraryFolders);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!preferences::setLibraryFolders(dialog.folders()))
        m_prompts->message(this,
                           QStringLiteral("The library folders hold until Fraymark ends: %1 could not be written, or "
                                          "keeps at most 100 folders of paths without line breaks.")
                               .arg(preferences::fileName()),
                           QStringLiteral("Fraymark"), Prompts::Icon::Warning);
    m_library->start(QStringList{files::libraryFolderPath()} + dialog.folders());
}

void MainFrm::addFromStatBlocks(const QString &text)
{
    auto *dialog = new StatBlockDialog(text, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const roster::Roster before = m_document.roster();
        const bool fighting = m_document.currentRow() >= 0;
        // In a running fight the newcomers' initiative is asked at once; before it, Roll
        // Initiative rolls their modifiers with everyone's.
        if (m_reporter.report(m_document.addRows(dialog->arrivals(), QStringLiteral("Add from Stat Block"))) && fighting)
            m_fightKeys->walkNewcomers(before);
    });
    dialog->open();
}

void MainFrm::closeEvent(QCloseEvent *event)
{
    if (m_recovery && !m_recovery->keepsTheCombat() && m_document.hasUnsavedChanges()) {
        const int choice = m_prompts->choose(
            this,
            QStringLiteral("The combat has changes that no file holds, and the copy kept for after a crash no longer "
                           "holds them either. Save the combat before Fraymark ends?"),
            QStringLiteral("Fraymark"), {QStringLiteral("&Save"), QStringLiteral("E&xit"), QStringLiteral("Cancel")});
        if (choice == 0)
            m_files->save();
        // Saved, or the user chose to go: anything else keeps the window.
        if (choice != 1 && m_document.hasUnsavedChanges()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void MainFrm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The height the window has while no bar takes room from it, to give back when they go.
    // A bar is shown before the window grows for it.
    if (barsHeight() == 0)
        m_heightWithoutBar = height();
}

void MainFrm::fitToScreen()
{
    // Nothing is clipped at the content's minimum; a screen smaller than that gets
    // a window that fits it and a roster that scrolls.
    const QSize content = m_roster->contentSize();
    const QSize usable = screen()->availableGeometry().size() - FrameAllowance;
    const QSize whole = content + QSize(0, menuBar()->sizeHint().height());
    const bool fits = whole.width() <= usable.width() && whole.height() <= usable.height();
    m_rosterMinimum = fits ? content : SmallestScrolledArea.boundedTo(content);
    m_roster->setMinimumSize(m_rosterMinimum);
    resize(whole.boundedTo(usable));
}

void MainFrm::addBar(QWidget *bar, bool onTop)
{
    // Made after every other control, so the window's focus order stays as it is without it.
    if (onTop)
        m_column->insertWidget(0, bar);
    else
        m_column->addWidget(bar);
    bar->installEventFilter(this);
}

bool MainFrm::eventFilter(QObject *watched, QEvent *event)
{
    const bool bar = watched == m_targetBar || watched == m_recoveryBar;
    if (bar && event->type() == QEvent::ShowToParent) {
        // Once the bar has its place and its lines.
        QMetaObject::invokeMethod(this, &MainFrm::makeRoomForBars, Qt::QueuedConnection);
    } else if (bar && event->type() == QEvent::HideToParent && barsHeight() == 0) {
        giveBackHeight();
    }
    return QMainWindow::eventFilter(watched, event);
}

int MainFrm::barsHeight(const QWidget *leaving) const
{
    int height = 0;
    for (const QWidget *bar : {static_cast<QWidget *>(m_targetBar), static_cast<QWidget *>(m_recoveryBar)}) {
        if (bar && bar != leaving && !bar->isHidden())
            height += bar->hasHeightForWidth() ? bar->heightForWidth(centralWidget()->width()) : bar->sizeHint().height();
    }
    return height;
}

void MainFrm::makeRoomForBars()
{
    const int bars = barsHeight();
    if (bars == 0)
        return;
    // The rows scroll rather than go under a bar, and the window grows by the bars' lines
    // as far as the screen lets it.
    m_roster->setMinimumHeight(std::min(m_rosterMinimum.height(), SmallestScrolledArea.height()));
    if (isMaximized() || isFullScreen())
        return;
    const int usable = screen()->availableGeometry().height() - FrameAllowance.height();
    const int wanted = std::min(m_heightWithoutBar + bars, std::max(usable, height()));
    if (wanted > height())
        resize(width(), wanted);
}

void MainFrm::giveBackHeight()
{
    m_roster->setMinimumSize(m_rosterMinimum);
    // A window the bars made taller is given its height back when the last goes.
    if (isMaximized() || isFullScreen() || height() <= m_heightWithoutBar)
        return;
    // The layouts let go of the bar's height before the window can.
    centralWidget()->layout()->activate();
    layout()->activate();
    resize(width(), m_heightWithoutBar);
}

TargetBar &MainFrm::targetBar()
{
    if (!m_targetBar) {
        m_targetBar = new TargetBar(m_document, m_reporter);
        addBar(m_targetBar, false);
        connect(m_targetBar, &TargetBar::chosen, m_roster, &RosterView::showRow);
        connect(m_targetBar, &TargetBar::fightGoesOn, m_roster, &RosterView::focusOrderList);
        connect(m_targetBar, &TargetBar::closed, m_roster, &RosterView::showCurrentItem);
        m_targetBar->setGoTo([this](int row, std::optional<roster::Field> field) {
            return field ? m_roster->goToField(row, *field) : m_roster->goToAmount(row);
        });
        m_targetBar->setRollAmount(
            [this](const combat::Amount &amount, const QString &text, const QString &who) {
                return m_roller->rollAmount(amount, text, who);
            },
            [this](const QList<combat::RollRecord> &said) { m_roller->rolls().add(said); });
        m_targetBar->setNewestTotals([this] { return m_roller->newestTotals(); });
        m_targetBar->setLibrary({[this]() -> const QList<files::LibraryEntry> & { return m_library->entries(); },
                                 [this] { return m_library->isIndexing() && m_library->entries().isEmpty(); },
                                 [this](const roster::Row &row, int count) {
                                     const roster::Roster before = m_document.roster();
                                     const CommandResult result =
                                         m_document.addRows({{row, count}}, QStringLiteral("Add from Library"));
                                     if (result.isDone() && m_document.currentRow() >= 0)
                                         m_fightKeys->walkNewcomers(before); // as a stat block's
                                     return result;
                                 },
                                 [this] {
                                     const QString said = m_libraryProblems.join(u' ');
                                     m_libraryProblems.clear();
                                     return said;
                                 }});
        m_targetBar->setRoll([this](int row, int walk) {
            return m_roller->rollInitiativeInWalk(row, walk, mnuGroupInitiative->isChecked());
        });
    }
    return *m_targetBar;
}

RecoveryBar &MainFrm::recoveryBar()
{
    if (!m_recoveryBar) {
        m_recoveryBar = new RecoveryBar;
        addBar(m_recoveryBar, true);
        connect(m_recoveryBar, &RecoveryBar::restoreChosen, this, [this] {
            if (m_recovery && m_reporter.report(m_recovery->restore()))
                m_fightKeys->keyboardToFight();
        });
        connect(m_recoveryBar, &RecoveryBar::discardChosen, this, [this] {
            if (m_recovery)
                m_recovery->discard();
        });
    }
    return *m_recoveryBar;
}

void MainFrm::attachRecovery(CrashRecovery &recovery)
{
    m_recovery = &recovery;
    // The look at the disk waits for the first paint, which does not need it: it starts
    // when the event loop first idles with the window in sight.
    auto idle = std::make_shared<QMetaObject::Connection>();
    *idle = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this, idle] {
        if (!windowHandle() || !windowHandle()->isExposed())
            return;
        disconnect(*idle);
        // Not from inside the dispatcher's signal: when the loop comes round again.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_recovery)
                    m_recovery->look();
            },
            Qt::QueuedConnection);
    });
    connect(&recovery, &CrashRecovery::offered, this,
            [this](const QDateTime &changed, bool closed) { recoveryBar().offer(changed, closed); });
    connect(&recovery, &CrashRecovery::told, this, [this](const QString &message) { recoveryBar().tell(message); });
    // The user went on with another combat, or what was told is no longer so: the bar goes.
    connect(&recovery, &CrashRecovery::withdrawn, this, [this] {
        if (m_recoveryBar)
            m_recoveryBar->hide();
    });
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
    const CombatState before = m_document.state();
    // One of the fight's commands undone leaves the keyboard in the fight, as the command did;
    // any other step puts the caret on what changed.
    const bool fight = m_document.isFightStep(undo);
    if (!m_reporter.report(undo ? m_document.undo() : m_document.redo()))
        return;
    if (fight)
        m_fightKeys->keyboardToFight();
    else
        m_roster->focusFirstChange(before, m_document.state());
}

// The players' windows keep the turn keys and a way back here, so that one in front never
// takes the table's keyboard.
template<typename PlayersWindow>
void MainFrm::followTurnKeys(PlayersWindow *window)
{
    connect(window, &PlayersWindow::nextTurnRequested, mnuNextTurn, &QAction::trigger);
    connect(window, &PlayersWindow::previousTurnRequested, mnuPreviousTurn, &QAction::trigger);
    connect(window, &PlayersWindow::mainWindowRequested, this, [this] {
        raise();
        activateWindow();
    });
}

void MainFrm::showPlayers()
{
    // Made when first asked for. As a child of this window it never keeps the program
    // running and goes when the program ends.
    if (!m_players) {
        m_players = new PlayerWindow(m_document, *m_order, this);
        followTurnKeys(m_players.data());
    }
    m_players->show();
    m_players->raise();
    m_players->activateWindow();
}

void MainFrm::shareWithPlayers()
{
    // Stop Sharing is the panel's: one key (Ctrl+F7) brings it, with the address, back.
    if (!m_share) {
        m_share = new SharePanel(m_document, *m_order, this);
        followTurnKeys(m_share.data());
    }
    m_share->share();
}

void MainFrm::dragEnterEvent(QDragEnterEvent *event)
{
    m_draggedPath = draggedCombatFile(event->mimeData());
    // Text that is no file's name: stat blocks from a page or a PDF.
    m_draggedText = m_draggedPath.isEmpty() && !event->mimeData()->hasUrls() && event->mimeData()->hasText();
    if (!m_draggedPath.isEmpty() || m_draggedText)
        event->acceptProposedAction();
}

void MainFrm::dragLeaveEvent(QDragLeaveEvent *)
{
    m_draggedPath.clear();
    m_draggedText = false;
}

void MainFrm::dropEvent(QDropEvent *event)
{
    // A source that no longer answers for its data at the drop still dragged this file.
    QString path = draggedCombatFile(event->mimeData());
    if (path.isEmpty())
        path = m_draggedPath;
    m_draggedPath.clear();
    if (path.isEmpty() && m_draggedText) {
        m_draggedText = false;
        event->acceptProposedAction();
        QMetaObject::invokeMethod(
            this, [this, text = event->mimeData()->text()] { addFromStatBlocks(text); }, Qt::QueuedConnection);
        return;
    }
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Loaded once the drag has ended, so a message box does not open inside the drop.
    // With Ctrl held, its combatants join the running fight instead.
    const bool add = event->modifiers().testFlag(Qt::ControlModifier);
    QMetaObject::invokeMethod(
        this, [this, path, add] { add ? addCombatantsFrom(path) : loadCombatFrom(path); }, Qt::QueuedConnection);
}
