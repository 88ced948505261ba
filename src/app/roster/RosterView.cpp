#include "app/roster/RosterView.h"

#include "app/order/OrderModel.h"
#include "app/order/TurnLine.h"
#include "app/roster/CurrentRowPalette.h"
#include "app/roster/FieldViews.h"
#include "app/widgets/SpinButton.h"
#include "document/CombatDocument.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextDocument>

namespace {

const QString CurrentTurn = QStringLiteral("Current turn");

void setTextIfChanged(FieldEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    field->setText(text);
    field->setCursorPosition(0); // show a long text from its start, not its end
}

} // namespace

RosterView::RosterView(CombatDocument &document, OrderModel &order, Runner run, QWidget *parent)
    : CaptionedScrollArea(parent)
    , m_document(document)
    , m_order(order)
    , m_run(std::move(run))
{
    createControls();
    layOutControls();
    setToolTips();
    setFocusOrder();
    // The window's history replaces the note's own, which would also keep copies of a long note.
    NotesTxt->setUndoRedoEnabled(false);
    showState();
    tellDocument();
    connect(&document, &CombatDocument::changed, this, &RosterView::showState);
    connect(&order, &OrderModel::shown, this,
            [this] { showMarked(List, m_order.markedItem(), QItemSelectionModel::ClearAndSelect); });
}

FieldEdit *RosterView::field(int row, roster::Field field) const
{
    return (this->*fieldView(field).controls)[static_cast<std::size_t>(row)];
}

QList<QWidget *> RosterView::rowControls(int r) const
{
    QList<QWidget *> controls;
    for (const roster::Field f : roster::FieldsInColumnOrder)
        controls << field(r, f);
    controls << UpDown1[r] << UpDown2[r] << ChrChk[r] << cmdClear[r] << SubsTxt[r] << SubsCmd[r];
    return controls;
}

int RosterView::focusedRow() const
{
    QWidget *focus = QApplication::focusWidget();
    for (int r = 0; focus && r < roster::RowCount; ++r) {
        if (rowControls(r).contains(focus))
            return r;
    }
    return -1;
}

void RosterView::setHistoryActions(QAction *undo, QAction *redo)
{
    for (FieldEdit *edit : widget()->findChildren<FieldEdit *>())
        edit->setHistoryActions(undo, redo);
    NotesTxt->setHistoryActions(undo, redo);
}

void RosterView::tellDocument()
{
    // Every change of a text reaches the document: typing, a paste, a drop, an input
    // method, an assistive tool, the field's menu. What the view writes itself does not.
    auto edits = [this](auto *control, auto signal, std::function<void()> tell) {
        connect(control, signal, this, [this, tell = std::move(tell)] {
            if (!m_showing)
                m_run(tell);
        });
    };
    for (int r = 0; r < roster::RowCount; ++r) {
        for (const roster::FieldInfo &info : roster::RowFields) {
            FieldEdit *edit = field(r, info.field);
            edits(edit, &QLineEdit::textChanged, [this, r, edit, f = info.field] {
                m_document.setFieldText(r, f, edit->text());
            });
            if (const FieldView &view = fieldView(info.field); view.spin) {
                connect((this->*view.spin)[r], &SpinButton::stepRequested, this,
                        [this, r, f = info.field](int direction) { stepSpin(r, f, direction); });
            }
        }
        edits(SubsTxt[r], &QLineEdit::textChanged, [this, r] { m_document.setAmount(r, SubsTxt[r]->text()); });
        edits(ChrChk[r], &QCheckBox::toggled, [this, r] { m_document.setIncluded(r, ChrChk[r]->isChecked()); });
        edits(cmdClear[r], &QPushButton::clicked, [this, r] { m_document.clearRow(r); });
        edits(SubsCmd[r], &QPushButton::clicked, [this, r] { m_document.subtract(r); });
        // Enter in the amount box takes the damage off, as "Substract" beside it does.
        edits(SubsTxt[r], &QLineEdit::returnPressed, [this, r] { m_document.subtract(r); });
    }
    // The document's signal, not the editor's: the note has its new text only by then.
    edits(NotesTxt->document(), &QTextDocument::contentsChanged,
          [this] { m_document.setGeneralNote(NotesTxt->text()); });
    edits(Command1, &QPushButton::clicked, [this] { m_document.calculateOrder(); });
    edits(NextTurnCmd, &QPushButton::clicked, [this] { m_document.nextTurn(); });
}

void RosterView::stepSpin(int r, roster::Field f, int direction)
{
    SpinButton *spin = (this->*fieldView(f).spin)[static_cast<std::size_t>(r)];
    const auto which =
        f == roster::Field::HitPoints ? CombatDocument::SpinField::HitPoints : CombatDocument::SpinField::ArmourClass;
    m_run([&] {
        bool stepped = false;
        try {
            stepped = m_document.stepSpin(r, which, direction, spin->isRepeatingStep());
        } catch (...) {
            spin->stopRepeat(); // a held button does not repeat the error
            throw;
        }
        if (stepped)
            spin->reportStep();
    });
}

void RosterView::showState()
{
    const QScopedValueRollback<bool> showing(m_showing, true);
    const roster::Roster &roster = m_document.roster();
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        for (const roster::FieldInfo &info : roster::RowFields) {
            FieldEdit *control = field(r, info.field);
            setTextIfChanged(control, row.*info.text);
            if (info.greyedWhenDown)
                control->setEnabled(!row.down);
        }
        setTextIfChanged(SubsTxt[r], row.amount);
        ChrChk[r]->setChecked(row.check != 0);
    }
    if (NotesTxt->text() != roster.generalNote) {
        const QSignalBlocker quiet(NotesTxt);
        NotesTxt->setPlainText(roster.generalNote);
    }

    // The row is lit while it still holds the current combatant.
    const int currentRow = m_document.currentRowHolds() ? m_document.currentRow() : -1;
    for (int r = 0; r < roster::RowCount; ++r)
        lightRow(r, r == currentRow);
    showTurnLine(RoundLbl, m_document);
}

void RosterView::lightRow(int r, bool lit)
{
    // The name field's description says whether the row is lit, so nothing is done twice.
    if ((ChrName[r]->accessibleDescription() == CurrentTurn) == lit)
        return;
    const QPalette colours = lit ? currentRowPalette(palette(), currentRowColours(palette())) : QPalette();
    for (QWidget *control : rowControls(r)) {
        control->setPalette(colours);
        control->setAutoFillBackground(lit);
        control->setAccessibleDescription(lit ? CurrentTurn : QString());
    }
}

void RosterView::focusFirstChange(const CombatState &before, const CombatState &after)
{
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &a = before.roster.rows[static_cast<std::size_t>(r)];
        roster::Row b = after.roster.rows[static_cast<std::size_t>(r)];
        b.serial = a.serial; // who the row holds is nothing the user can put the cursor on
        if (a == b)
            continue;
        QList<QWidget *> changed;
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            const QString roster::Row::*text = roster::fieldInfo(f).text;
            if (a.*text != b.*text)
                changed << field(r, f);
        }
        if (a.check != b.check)
            changed << ChrChk[r];
        if (a.amount != b.amount)
            changed << SubsTxt[r];
        for (QWidget *control : changed) {
            if (control->isEnabled()) {
                control->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        // A down row's main fields take no focus: its amount box is where it is healed.
        SubsTxt[r]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (before.roster.generalNote != after.roster.generalNote)
        NotesTxt->setFocus(Qt::OtherFocusReason);
}
