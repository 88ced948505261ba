#pragma once

#include "app/Prompts.h"
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
class QPlainTextEdit;
class QPushButton;
class SpinButton;

template <typename Control>
using RowControls = std::array<Control *, roster::RowCount>;

// The program's only window. Its controls hold the state of the combat; each
// handler reads what it needs into the roster types, runs a rule, and writes back.
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
    // so the caret and undo history of untouched fields survive).
    roster::Row readRow(int index) const;
    roster::Roster readRoster() const;
    void writeRow(int index, const roster::Row &row);
    void writeRoster(const roster::Roster &roster);

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

    // Runs a handler's body; an error that escapes it is shown in a stop box titled
    // "Fraymark" and the program goes on.
    void runHandler(const std::function<void()> &body);

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
    QLabel *Label2 = nullptr;
    QPlainTextEdit *NotesTxt = nullptr;

    QAction *mnuNew = nullptr, *mnuLoad = nullptr, *mnuSave = nullptr, *mnuExit = nullptr;
    QAction *mnuLoad1 = nullptr, *mnuSave1 = nullptr, *mnuCalc = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;

    qint16 CurRow = 0;
    QString SavePath;
    QString VerTxt;
    qint16 LblNum = 0;

private:
    void createControls();
    void layOutControls();
    void setFocusOrder();
    void createMenus();
    void connectHandlers();

    void stepSpinButton(SpinButton *spin, qint16 index, int direction, bool hitPoints);
    void showError(const QString &message);
    QString ShowOpenFileDialog(const QString &filter, const QString &title);

    std::unique_ptr<Prompts> m_prompts;
    ProgramStarter m_startProgram;
};
