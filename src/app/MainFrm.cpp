#include "app/MainFrm.h"

#include "app/QtPrompts.h"
#include "app/SpinButton.h"
#include "app/StartUp.h"
#include "app/Version.h"
#include "roster/FieldError.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace {
void setTextIfChanged(QLineEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    // Fields are free text of any length, but a line edit cuts at 32767 characters
    // unless told otherwise. Raising the limit only here keeps start-up quick.
    if (text.size() > field->maxLength())
        field->setMaxLength(int(text.size()));
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
    setWindowTitle(QStringLiteral("Fraymark (unknown version) - By Vesmar"));
    createControls();
    layOutControls();
    setFocusOrder();
    createMenus();
    connectHandlers();
    MainFrm_Load();
}

MainFrm::~MainFrm() = default;

void MainFrm::runHandler(const std::function<void()> &body)
{
    try {
        body();
    } catch (const roster::FieldError &error) {
        showError(error.message());
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

    for (LblNum = 0; LblNum < qint16(Label1.size()); ++LblNum) {
        QFont bold = Label1[LblNum]->font();
        bold.setBold(true);
        Label1[LblNum]->setFont(bold);
    }

    for (CurRow = 0; CurRow < roster::RowCount; ++CurRow) {
        UpDown1[CurRow]->setBuddy(ChrHP[CurRow]);
        UpDown2[CurRow]->setBuddy(ChrAC[CurRow]);
        ChrChk[CurRow]->setChecked(true);
        setTextIfChanged(ChrAC[CurRow], QString());
        setTextIfChanged(ChrHP[CurRow], QString());
    }
    CurRow = 0;
}

roster::Row MainFrm::readRow(int r) const
{
    roster::Row row;
    row.name = ChrName[r]->text();
    row.hp = ChrHP[r]->text();
    row.ac = ChrAC[r]->text();
    row.ini = ChrIni[r]->text();
    row.note = ChrNote[r]->text();
    row.will = ChrWill[r]->text();
    row.fort = ChrFort[r]->text();
    row.rex = ChrRex[r]->text();
    row.attack = ChrAttack[r]->text();
    row.damage = ChrDamage[r]->text();
    row.amount = SubsTxt[r]->text();
    row.check = ChrChk[r]->isChecked() ? 1 : 0;
    row.down = !ChrName[r]->isEnabled();
    return row;
}

roster::Roster MainFrm::readRoster() const
{
    roster::Roster roster;
    for (int r = 0; r < roster::RowCount; ++r)
        roster.rows[r] = readRow(r);
    roster.generalNote = NotesTxt->toPlainText();
    return roster;
}


void MainFrm::writeRow(int r, const roster::Row &row)
{
    setTextIfChanged(ChrName[r], row.name);
    setTextIfChanged(ChrHP[r], row.hp);
    setTextIfChanged(ChrAC[r], row.ac);
    setTextIfChanged(ChrIni[r], row.ini);
    setTextIfChanged(ChrNote[r], row.note);
    setTextIfChanged(ChrWill[r], row.will);
    setTextIfChanged(ChrFort[r], row.fort);
    setTextIfChanged(ChrRex[r], row.rex);
    setTextIfChanged(ChrAttack[r], row.attack);
    setTextIfChanged(ChrDamage[r], row.damage);
    setTextIfChanged(SubsTxt[r], row.amount);
    ChrChk[r]->setChecked(row.check != 0);
    for (QLineEdit *field : {ChrName[r], ChrHP[r], ChrAC[r], ChrNote[r], ChrIni[r]})
        field->setEnabled(!row.down);
}

void MainFrm::writeRoster(const roster::Roster &roster)
{
    for (int r = 0; r < roster::RowCount; ++r)
        writeRow(r, roster.rows[r]);
    if (NotesTxt->toPlainText() != roster.generalNote)
        NotesTxt->setPlainText(roster.generalNote);
}

void MainFrm::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, &MainFrm::Command1_Click);
    for (int r = 0; r < roster::RowCount; ++r) {
        const auto index = static_cast<qint16>(r);
        connect(cmdClear[r], &QPushButton::clicked, this, [this, index] { cmdClear_Click(index); });
        connect(SubsCmd[r], &QPushButton::clicked, this, [this, index] { SubsCmd_Click(index); });
        // Enter in the amount box takes the damage off, as "Substract" beside it does.
        connect(SubsTxt[r], &QLineEdit::returnPressed, this, [this, index] { SubsCmd_Click(index); });
        connect(UpDown1[r], &SpinButton::stepRequested, this,
                [this, index](int direction) { stepSpinButton(UpDown1[index], index, direction, true); });
        connect(UpDown2[r], &SpinButton::stepRequested, this,
                [this, index](int direction) { stepSpinButton(UpDown2[index], index, direction, false); });
        connect(UpDown1[r], &SpinButton::valueChanged, this, [this, index] { UpDown1_Change(index); });
    }
}
