#pragma once

#include "app/dialogs/CommandReporter.h"
#include "app/target/TargetBar.h"
#include "document/CombatDocument.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class CombatFiles;
class FightKeys;
class CrashRecovery;
class OrderModel;
class PlayerWindow;
class SharePanel;
class Prompts;
class QAction;
class QVBoxLayout;
class RecoveryBar;
class Roller;
class LibraryIndexer;
class RollsModel;
class RollsPanel;
class RosterView;

// The program's main window: the shell around the roster view of one combat document.
// It holds the menus, the dialogs, the window's own keys and the focus, and takes
// dropped combat files.
class MainFrm : public QMainWindow
{
    Q_OBJECT

public:
    // Starts a program detached; true when it started.
    using ProgramStarter = std::function<bool(const QString &program)>;

    // The document outlives the window.
    explicit MainFrm(CombatDocument &document, std::unique_ptr<Prompts> prompts = {}, QWidget *parent = nullptr);
    ~MainFrm() override;

    void setProgramStarter(ProgramStarter starter) { m_startProgram = std::move(starter); }
    // Offers back what the crash copies hold, and says what keeping them found.
    void attachRecovery(CrashRecovery &recovery);

    RosterView &roster() const { return *m_roster; }
    // The bars are made when first needed.
    TargetBar &targetBar();
    RecoveryBar &recoveryBar();
    RollsPanel &rollsPanel() const { return *m_rollsPanel; }
    const RollsModel &rolls() const;
    // The combat this window shows.
    const CombatDocument &combat() const { return m_document; }

    // Loads, or adds the combatants of, the combat file at `path`, as the menus do after their dialogs.
    void loadCombatFrom(const QString &path);
    void addCombatantsFrom(const QString &path);
    // Add from Stat Block with this text (the clipboard's, or a drop's): the preview, then the
    // rows as one step, and the newcomers' initiative asked.
    void addFromStatBlocks(const QString &text);
    // The user's library of monsters, read in the background.
    LibraryIndexer &library() const { return *m_library; }

    QString VerTxt;

protected:
    // Exit with changes no file holds, while no copy keeps them: the user may save first.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createMenus();
    void connectMenus();
    void fitToScreen();
    // A bar at the top or the bottom, made when first needed; the window gives back the
    // height a bar took when it goes.
    void addBar(QWidget *bar, bool onTop);
    // What the shown bars take of the window's height at its width, but `leaving`'s.
    int barsHeight(const QWidget *leaving = nullptr) const;
    void makeRoomForBars();
    void giveBackHeight();
    void updateUndoActions();
    void undoOrRedo(bool undo);
    void showPlayers();
    void shareWithPlayers();
    template<typename PlayersWindow>
    void followTurnKeys(PlayersWindow *window);
    void showAbout();
    void showHelp();
    // Save Row to Library: the focused row as a stat block in the library's folder.
    void saveRowToLibrary();
    void chooseLibraryFolders();
    QStringList libraryFolders() const;
    void startCalculator();

    CombatDocument &m_document;
    std::unique_ptr<Prompts> m_prompts;
    CommandReporter m_reporter;
    ProgramStarter m_startProgram;
    std::unique_ptr<CombatFiles> m_files;
    std::unique_ptr<FightKeys> m_fightKeys;
    OrderModel *m_order = nullptr;
    RosterView *m_roster = nullptr;
    Roller *m_roller = nullptr;
    LibraryIndexer *m_library = nullptr;
    QStringList m_libraryProblems; // files of the library not read, until the library bar names them
    RollsPanel *m_rollsPanel = nullptr;
    QPointer<PlayerWindow> m_players; // made when first opened
    QPointer<SharePanel> m_share;     // made when first shared
    QPointer<CrashRecovery> m_recovery;
    QString m_draggedPath; // the combat file of the drag now over the window
    bool m_draggedText = false; // a drag of text, stat blocks, now over the window
    // The bars above and below the roster, made when first needed, and the room they take.
    QVBoxLayout *m_column = nullptr;
    TargetBar *m_targetBar = nullptr;
    RecoveryBar *m_recoveryBar = nullptr;
    int m_heightWithoutBar = 0;
    QSize m_rosterMinimum; // the least the roster takes while no bar is shown

    QAction *mnuNew = nullptr, *mnuLoad = nullptr, *mnuAdd = nullptr, *mnuAddStatBlock = nullptr, *mnuAddFromLibrary = nullptr,
            *mnuSaveToLibrary = nullptr, *mnuLibraryFolders = nullptr, *mnuSave = nullptr, *mnuExit = nullptr;
    QAction *mnuUndo = nullptr, *mnuRedo = nullptr;
    QAction *mnuOrder = nullptr; // "Calculate Fighting Order", the same command as the button
    QAction *mnuNextTurn = nullptr, *mnuPreviousTurn = nullptr, *mnuDamage = nullptr;
    QAction *mnuDelay = nullptr, *mnuReady = nullptr, *mnuActNow = nullptr;
    QAction *mnuGoTo = nullptr, *mnuInitiativeWalk = nullptr;
    QAction *mnuCondition = nullptr, *mnuPlayerWindow = nullptr, *mnuShare = nullptr, *mnuHide = nullptr, *mnuHealthWords = nullptr;
    QAction *mnuRollInitiative = nullptr, *mnuRollMonsters = nullptr, *mnuRollInitiativeAgain = nullptr;
    QAction *mnuGroupInitiative = nullptr, *mnuMonstersDieAtZero = nullptr, *mnuRollAttack = nullptr;
    QAction *mnuRollDamage = nullptr, *mnuRollDice = nullptr, *mnuRollAgain = nullptr;
    QAction *mnuLoad1 = nullptr, *mnuSave1 = nullptr, *mnuCalc = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;
};
