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
#include <QTextBlock>
#include <QTextDocument>

#include <limits>

namespace {
void setTextIfChanged(QLineEdit *field, const QString &text)
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
    setWindowTitle(QStringLiteral("Fraymark (unknown version) - By Vesmar"));
    createControls();
    layOutControls();
    setToolTips();
    setFocusOrder();
    createMenus();
    connectHandlers();
    watchFields();
    MainFrm_Load();
    m_committed = currentState(); // the combat as it starts: the history's first "before"
    fitToScreen();
}

MainFrm::~MainFrm() = default;

void MainFrm::runHandler(const std::function<void()> &body)
{
    try {
        body();
    } catch (const roster::FieldError &error) {
        showError(error.message());
        // The user need not count rows: the field at fault takes the focus.
        if (const auto &place = error.location(); place && place->row >= 0 && place->row < roster::RowCount) {
            QLineEdit *field = place->field == roster::RowField::HitPoints     ? ChrHP[place->row]
                               : place->field == roster::RowField::ArmourClass ? ChrAC[place->row]
                                                                               : ChrIni[place->row];
            if (field->isEnabled())
                field->setFocus(Qt::OtherFocusReason);
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
    // toPlainText() would turn a non-breaking space into a blank and U+2028 into a
    // line break; the blocks' own texts keep every character.
    if (!m_noteRead) {
        QString text;
        for (QTextBlock block = NotesTxt->document()->begin(); block.isValid(); block = block.next()) {
            if (block != NotesTxt->document()->begin())
                text += u'\n';
            text += block.text();
        }
        m_noteText = text;
        m_noteRead = true;
    }
    return m_noteText;
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
    if (readNote() != roster.generalNote)
        NotesTxt->setPlainText(roster.generalNote);
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
        connect(UpDown1[r], &SpinButton::valueChanged, this, [this, index] { UpDown1_Change(index); });
    }
}
