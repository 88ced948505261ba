#include "app/MainFrm.h"

#include "app/PlayerWindow.h"
#include "app/QtPrompts.h"
#include "app/RowFieldControls.h"
#include "app/SpinButton.h"
#include "app/StartUp.h"
#include "app/Version.h"
#include "roster/FieldError.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTextBlock>
#include <QSignalBlocker>
#include <QTextDocument>


namespace {

void setTextIfChanged(FieldEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    field->setText(text);
    field->setCursorPosition(0); // show a long text from its start, not its end
}
} // namespace

MainFrm::MainFrm(std::unique_ptr<Prompts> prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_prompts(prompts ? std::move(prompts) : std::make_unique<QtPrompts>())
    , m_startProgram([](const QString &program) { return QProcess::startDetached(program, {}); })
{
    setObjectName(QStringLiteral("MainFrm"));
    createControls();
    layOutControls();
    setToolTips();
    setFocusOrder();
    createMenus();
    connectHandlers();
    watchFields();
    MainFrm_Load(); // empty rows, each included: the document's own first state
    followDocument();
    fitToScreen();
}

MainFrm::~MainFrm()
{
    // Members go before the child widgets: the controls and the players' view, which
    // reach the document, go first, and focus changes as they go no longer reach it.
    disconnect(qApp, nullptr, this, nullptr);
    delete m_players;
    delete takeCentralWidget();
}

void MainFrm::runHandler(const std::function<void()> &body)
{
    try {
        body();
    } catch (const roster::FieldError &error) {
        showError(error.message());
        // The user need not count rows: the field at fault takes the focus.
        if (const auto &place = error.location(); place && place->row >= 0 && place->row < roster::RowCount) {
            if (FieldEdit *at = field(place->row, place->field); at->isEnabled())
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

void MainFrm::MainFrm_Load()
{
    VerTxt = versionText(FraymarkVersionMajor, FraymarkVersionMinor);
    setWindowTitle(windowCaption(VerTxt));

    for (QLabel *caption : Label1) {
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }

    for (int r = 0; r < roster::RowCount; ++r) {
        UpDown1[r]->setBuddy(ChrHP[r]);
        UpDown2[r]->setBuddy(ChrAC[r]);
        ChrChk[r]->setChecked(true);
        setTextIfChanged(ChrAC[r], QString());
        setTextIfChanged(ChrHP[r], QString());
    }
}

FieldEdit *MainFrm::field(int index, roster::Field field) const
{
    return (this->*FieldControls[static_cast<std::size_t>(field)])[static_cast<std::size_t>(index)];
}

roster::Row MainFrm::readRow(int r) const
{
    roster::Row row;
    for (const roster::FieldInfo &info : roster::RowFields)
        row.*info.text = field(r, info.field)->text();
    row.amount = SubsTxt[r]->text();
    row.check = ChrChk[r]->isChecked() ? 1 : 0;
    // The row's own state: a disabled ancestor (a modal moment, say) must not read as down.
    row.down = !ChrName[r]->isEnabledTo(ChrName[r]->parentWidget());
    return row;
}

roster::Roster MainFrm::readRoster() const
{
    roster::Roster roster;
    for (int r = 0; r < roster::RowCount; ++r)
        roster.rows[r] = readRow(r);
    roster.generalNote = readNote();
    return roster;
}

QString MainFrm::readNote() const
{
    return NotesTxt->text();
}

void MainFrm::writeRow(int r, const roster::Row &row)
{
    for (const roster::FieldInfo &info : roster::RowFields) {
        FieldEdit *control = field(r, info.field);
        setTextIfChanged(control, row.*info.text);
        if (info.greyedWhenDown)
            control->setEnabled(!row.down);
    }
    setTextIfChanged(SubsTxt[r], row.amount);
    ChrChk[r]->setChecked(row.check != 0);
}

void MainFrm::writeRoster(const roster::Roster &roster)
{
    for (int r = 0; r < roster::RowCount; ++r)
        writeRow(r, roster.rows[r]);
    if (readNote() != roster.generalNote) {
        // The note tells of the user's edits only.
        const QSignalBlocker quiet(NotesTxt);
        NotesTxt->setPlainText(roster.generalNote);
    }
}

void MainFrm::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &MainFrm::Command1_Click);
    connect(NextTurnCmd, &QPushButton::clicked, this, &MainFrm::mnuNextTurn_Click);
    for (int r = 0; r < roster::RowCount; ++r) {
        const auto index = static_cast<qint16>(r);
        connect(cmdClear[r], &QPushButton::clicked, this, [this, index] { cmdClear_Click(index); });
        connect(SubsCmd[r], &QPushButton::clicked, this, [this, index] { SubsCmd_Click(index); });
        // Enter in the amount box takes the damage off, as "Substract" beside it does.
        connect(SubsTxt[r], &QLineEdit::returnPressed, this, [this, index] { SubsCmd_Click(index); });
        connect(UpDown1[r], &SpinButton::stepRequested, this, [this, index](int direction) {
            stepSpinButton(UpDown1[index], index, direction, SpinField::HitPoints);
        });
        connect(UpDown2[r], &SpinButton::stepRequested, this, [this, index](int direction) {
            stepSpinButton(UpDown2[index], index, direction, SpinField::ArmourClass);
        });
    }
}
