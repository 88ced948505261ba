#pragma once

#include "app/FieldEdit.h"
#include "app/NoteEdit.h"
#include "app/Prompts.h"
#include "document/CombatDocument.h"
#include "roster/Fields.h"
#include "roster/Roster.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class PlayerWindow;
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

// The program's only window: a view of one combat document. It reads and writes
// its controls, hands the user's commands with what it shows to the document, and
// shows what the document tells it.
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

    // The row field of `field` in row `index`.
    FieldEdit *field(int index, roster::Field field) const;

    // Handlers. Each runs its body through runHandler(), so no error ends the program.
    void MainFrm_Load();
    void Command1_Click();
    void UpDown1_Change(qint16 index);
    void SubsCmd_Click(qint16 index);
    void cmdClear_Click(qint16 index);
    void mnuNew_Click();
    void mnuLoad_Click();
    void mnuLoad1_Click();
    void mnuAdd_Click();
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
    void mnuDamage_Click();
    void mnuCondition_Click();
    void mnuPlayerWindow_Click();

    // Loads the combat file at `path` as "Load Combat..." does after its dialog.
    void loadCombatFrom(const QString &path);
    // Adds the combatants of the file at `path` as "Add Combatants..." does after its dialog.
    void addCombatantsFrom(const QString &path);

    // Runs a handler's body; an error that escapes it is shown in a stop box titled
    // "Fraymark" and the program goes on.
    void runHandler(const std::function<void()> &body);

    const CombatDocument &document() const { return m_document; }

    // The row controls, one element per row 0 to 18.
    RowControls<FieldEdit> ChrName{}, ChrHP{}, ChrIni{}, ChrAC{}, ChrNote{};
    RowControls<FieldEdit> ChrWill{}, ChrFort{}, ChrRex{}, ChrAttack{}, ChrDamage{};
    RowControls<QCheckBox> ChrChk{};
    RowControls<QPushButton> cmdClear{};
    RowControls<FieldEdit> SubsTxt{};
    RowControls<QPushButton> SubsCmd{};
    RowControls<SpinButton> UpDown1{}, UpDown2{};

    std::array<QLabel *, 10> Label1{};
    QListWidget *List = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *NextTurnCmd = nullptr;
    QLabel *RoundLbl = nullptr;
    QLabel *Label2 = nullptr;
    NoteEdit *NotesTxt = nullptr;
    QScrollArea *RosterArea = nullptr;

    QAction *mnuNew = nullptr, *mnuLoad = nullptr, *mnuAdd = nullptr, *mnuSave = nullptr, *mnuExit = nullptr;
    QAction *mnuUndo = nullptr, *mnuRedo = nullptr;
    QAction *mnuOrder = nullptr; // "Calculate Fighting Order", the same command as Command1
    QAction *mnuNextTurn = nullptr, *mnuPreviousTurn = nullptr, *mnuDamage = nullptr;
    QAction *mnuCondition = nullptr, *mnuPlayerWindow = nullptr;
    QAction *mnuLoad1 = nullptr, *mnuSave1 = nullptr, *mnuCalc = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;

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
    void followDocument();

    void stepSpinButton(SpinButton *spin, qint16 index, int direction, SpinField field);
    void showError(const QString &message);
    // Says why a combat file was not read, or warns of an old one; true when it was read.
    bool showReadOutcome(const files::LoadOutcome &outcome);
    QString ShowOpenFileDialog(const QString &filter, const QString &title, const QString &startFolder);
    // The one local file a drag carries, or "" when it carries anything else.
    static QString droppedCombatFile(const QMimeData *data);

    // Runs a command of the document on what the window shows.
    void runCommand(const QString &what, const CombatDocument::Change &change, const QString &mergeKey = QString());
    void userEdited(const QString &what, const QString &mergeKey = QString());
    void undoOrRedo(bool undo);
    QString rowLabel(int index) const; // "Row 3" or "Row 3 (Goblin)"

    // Showing the document.
    void showState();
    void showOrder();
    void showTurn();
    QList<QWidget *> rowControls(int r) const;
    int focusedRow() const; // the row of the control with the focus, or -1
    void lightRow(int r, bool lit);
    void updateUndoActions();
    void focusFirstChange(const roster::Roster &from, const roster::Roster &to);

    std::unique_ptr<Prompts> m_prompts;
    ProgramStarter m_startProgram;
    CombatDocument m_document;
    QString m_draggedPath; // the combat file of the drag now over the window
    QPointer<PlayerWindow> m_players; // made when first opened
};
