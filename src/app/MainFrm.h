#pragma once

#include "app/CombatState.h"
#include "app/Prompts.h"
#include "app/UndoHistory.h"
#include "combat/TurnTracker.h"
#include "roster/Roster.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class SpinButton;

template <typename Control>
using RowControls = std::array<Control *, roster::RowCount>;

// The program's only window. Its controls hold the state of the combat; each
// handler reads what it needs into the roster types, runs a rule, and writes back.
// Every change to the combat is also a step of one undo history.
class MainFrm : public QMainWindow
{
    Q_OBJECT

public:
    // Starts a program detached; true when it started.
    using ProgramStarter = std::function<bool(const QString &program)>;

    explicit MainFrm(std::unique_ptr<Prompts> prompts = {}, QWidget *parent = nullptr);
    ~MainFrm() override;

    Prompts &prompts() { return *m_prompts; }
    void setProgramStarter(ProgramStarter starter) { m_startProgram = std::move(starter); }

    // The rows as the logic sees them, and writing them back (only what changed,
    // so the caret of untouched fields survives).
    roster::Row readRow(int index) const;
    roster::Roster readRoster() const;
    void writeRow(int index, const roster::Row &row);
    void writeRoster(const roster::Roster &roster);
    // The general note exactly as typed: only real line breaks become '\n'.
    QString readNote() const;

    // Handlers. Each runs its body through runHandler(), so no error ends the program.
    void MainFrm_Load();
    void Command1_Click();
    void UpDown1_Change(qint16 index);
    void SubsCmd_Click(qint16 index);
    void cmdClear_Click(qint16 index);
    void mnuNew_Click();
    void mnuLoad_Click();
    void mnuLoad1_Click();
    void mnuSave_Click();
    void mnuSave1_Click();
    void mnuAbout_Click();
    void mnuHelp_Click();
    void mnuCalc_Click();
    void mnuExit_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuNextTurn_Click();
    void mnuPreviousTurn_Click();

    // Loads the combat file at `path` as "Load Combat..." does after its dialog.
    void loadCombatFrom(const QString &path);

    // Runs a handler's body; an error that escapes it is shown in a stop box titled
    // "Fraymark" and the program goes on.
    void runHandler(const std::function<void()> &body);

    const UndoHistory &history() const { return m_history; }

    // The row controls, one element per row 0 to 18.
    RowControls<QLineEdit> ChrName{}, ChrHP{}, ChrIni{}, ChrAC{}, ChrNote{};
    RowControls<QLineEdit> ChrWill{}, ChrFort{}, ChrRex{}, ChrAttack{}, ChrDamage{};
    RowControls<QCheckBox> ChrChk{};
    RowControls<QPushButton> cmdClear{};
    RowControls<QLineEdit> SubsTxt{};
    RowControls<QPushButton> SubsCmd{};
    RowControls<SpinButton> UpDown1{}, UpDown2{};

    std::array<QLabel *, 10> Label1{};
    QListWidget *List = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *NextTurnCmd = nullptr;
    QLabel *RoundLbl = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *NotesTxt = nullptr;
    QScrollArea *RosterArea = nullptr;

    QAction *mnuNew = nullptr, *mnuLoad = nullptr, *mnuSave = nullptr, *mnuExit = nullptr;
    QAction *mnuUndo = nullptr, *mnuRedo = nullptr;
    QAction *mnuOrder = nullptr; // "Calculate Fighting Order", the same command as Command1
    QAction *mnuNextTurn = nullptr, *mnuPreviousTurn = nullptr;
    QAction *mnuLoad1 = nullptr, *mnuSave1 = nullptr, *mnuCalc = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;

    QString SavePath;
    QString VerTxt;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class SpinField { HitPoints, ArmourClass };

    void createControls();
    void layOutControls();
    void fitToScreen();
    void setToolTips();
    void setFocusOrder();
    void createMenus();
    void connectHandlers();
    void watchFields();

    void stepSpinButton(SpinButton *spin, qint16 index, int direction, SpinField field);
    void showError(const QString &message);
    QString ShowOpenFileDialog(const QString &filter, const QString &title, const QString &startFolder);
    // The one local file a drag carries, or "" when it carries anything else.
    static QString droppedCombatFile(const QMimeData *data);

    // The undo history's side of every change.
    CombatState currentState() const;
    void recordChange(const QString &what, const QString &mergeKey = QString());
    // Runs a command and records what it changed as one step; steps with the same
    // non-empty merge key that follow each other (a held spin button) become one.
    void runCommand(const QString &what, const std::function<void()> &body, const QString &mergeKey = QString());
    void applyState(const CombatState &state, const CombatState &shown);
    void focusFirstChange(const CombatState &from, const CombatState &to);
    void updateUndoActions();
    void fieldEdited(QLineEdit *field);
    void noteEdited();
    QString rowLabel(int index) const; // "Row 3" or "Row 3 (Goblin)"

    // Whose turn it is, shown in the list and the round label.
    void setTurn(const combat::TurnState &turn);
    void clearTurn();
    int markedRow() const;

    std::unique_ptr<Prompts> m_prompts;
    ProgramStarter m_startProgram;

    UndoHistory m_history;
    CombatState m_committed; // the state as of the newest step: what the next step starts from
    int m_commandDepth = 0;  // inside a command, its own changes are not recorded as typing

    mutable QString m_noteText; // the note read once per change, shared with the history
    mutable bool m_noteRead = false;

    QString m_lastCombatPath; // the last combat file saved or loaded in this run
    QString m_draggedPath;    // the combat file of the drag now over the window

    QList<int> m_listRows;   // the row behind each item of the list, as last calculated
    combat::TurnState m_turn; // the marked item of that list, and the round
};
