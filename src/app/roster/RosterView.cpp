#include "app/roster/RosterView.h"

#include "app/dialogs/CommandReporter.h"
#include "app/order/OrderModel.h"
#include "app/order/TurnLine.h"
#include "app/roster/CurrentRowPalette.h"
#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"
#include "app/widgets/SpinButton.h"
#include "app/widgets/WindowEventsFilter.h"
#include "document/CombatDocument.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QTimer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
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

RosterView::RosterView(CombatDocument &document, OrderModel &order, CommandReporter &reporter,
                       std::function<CommandResult(int row)> subtract, QWidget *parent)
    : CaptionedScrollArea(parent)
    , m_document(document)
    , m_order(order)
    , m_reporter(reporter)
    , m_subtract(std::move(subtract))
{
    createControls();
    layOutControls();
    setToolTips();
    setFocusOrder();
    // The window's history replaces the note's own, which would also keep copies of a long note.
    m_note->setUndoRedoEnabled(false);
    showState();
    tellDocument();
    watchFields();
    letItemsMove();
    connect(&document, &CombatDocument::changed, this, &RosterView::showState);
    connect(&order, &OrderModel::shown, this,
            [this] { showMarked(m_list, m_order.markedItem(), QItemSelectionModel::ClearAndSelect); });
}

RosterView::~RosterView()
{
    // The controls go after this: focus changes as they go are none of the view's.
    disconnect(qApp, nullptr, this, nullptr);
}

FieldEdit *RosterView::field(int row, roster::Field field) const
{
    return m_fields[static_cast<std::size_t>(field)][static_cast<std::size_t>(row)];
}

SpinButton *RosterView::spinAfter(int row, roster::Field field) const
{
    switch (fieldView(field).spin) {
    case FieldSpin::HitPoints:
        return m_hitPointsSpins[static_cast<std::size_t>(row)];
    case FieldSpin::ArmourClass:
        return m_armourClassSpins[static_cast<std::size_t>(row)];
    case FieldSpin::None:
        break;
    }
    return nullptr;
}

QList<QWidget *> RosterView::rowControls(int r) const
{
    QList<QWidget *> controls;
    for (const roster::Field f : roster::FieldsInColumnOrder)
        controls << field(r, f);
    controls << m_hitPointsSpins[r] << m_armourClassSpins[r] << m_includes[r] << m_clears[r] << m_amounts[r]
             << m_substracts[r];
    return controls;
}

int RosterView::rowOf(const QWidget *widget) const
{
    for (int r = 0; widget && r < roster::RowCount; ++r) {
        for (const QWidget *control : rowControls(r)) {
            if (control == widget || control->isAncestorOf(widget))
                return r;
        }
    }
    return -1;
}

int RosterView::focusedRow() const
{
    return rowOf(QApplication::focusWidget());
}

void RosterView::focusField(int row, roster::Field f)
{
    if (row < 0 || row >= roster::RowCount)
        return;
    FieldEdit *at = field(row, f);
    if (at->isEnabled())
        at->setFocus(Qt::OtherFocusReason);
}

bool RosterView::goToField(int row, roster::Field f)
{
    if (row < 0 || row >= roster::RowCount || !field(row, f)->isEnabled())
        return false;
    FieldEdit *at = field(row, f);
    at->setFocus(Qt::ShortcutFocusReason);
    at->selectAll();
    ensureWidgetVisible(at);
    return true;
}

bool RosterView::goToAmount(int row)
{
    if (row < 0 || row >= roster::RowCount || !m_amounts[row]->isEnabled())
        return false;
    m_amounts[row]->setFocus(Qt::ShortcutFocusReason);
    m_amounts[row]->selectAll();
    ensureWidgetVisible(m_amounts[row]);
    return true;
}

void RosterView::focusOrderList()
{
    m_list->setFocus(Qt::OtherFocusReason);
    showCurrentItem();
}

void RosterView::showCurrentItem()
{
    // Once a bar has given back its room, which shifts the list's lines.
    QTimer::singleShot(0, m_list, [list = m_list] { list->scrollTo(list->currentIndex()); });
}

void RosterView::showRow(int row)
{
    if (row >= 0 && row < roster::RowCount)
        ensureWidgetVisible(field(row, roster::Field::Name));
}

void RosterView::setHistoryActions(QAction *undo, QAction *redo)
{
    for (const RowControls<FieldEdit> &column : m_fields) {
        for (FieldEdit *edit : column)
            edit->setHistoryActions(undo, redo);
    }
    for (FieldEdit *amount : m_amounts)
        amount->setHistoryActions(undo, redo);
    m_note->setHistoryActions(undo, redo);
}

void RosterView::setRowActions(const QList<QAction *> &actions)
{
    for (const RowControls<FieldEdit> &column : m_fields) {
        for (FieldEdit *edit : column)
            edit->setRowActions(actions);
    }
}

QSize RosterView::contentSize()
{
    fitCaptions(); // the captions are bold by now
    return widget()->minimumSizeHint() + QSize(0, stripHeight() + footerHeight());
}

void RosterView::watchFields()
{
    auto *filter = new WindowEventsFilter(this);
    auto watch = [&](auto *text) {
        text->installEventFilter(filter);
        connect(text, &std::remove_pointer_t<decltype(text)>::inputRefused, this,
                [this](const QString &message) { m_reporter.refuse(message); });
    };
    for (const RowControls<FieldEdit> &column : m_fields) {
        for (FieldEdit *edit : column)
            watch(edit);
    }
    for (FieldEdit *amount : m_amounts)
        watch(amount);
    watch(m_note);
    m_note->viewport()->installEventFilter(filter);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // Keystrokes merge into one step only while the focus stays in their field.
        m_document.closeMerge();
        // Tab, undo or an error may put the focus on a row scrolled out of sight.
        if (now && widget()->isAncestorOf(now))
            ensureWidgetVisible(now);
    });
}

// Alt+Up and Alt+Down move the chosen item of the fighting order: the game master settles
// a tie, or any order, as the table decides it.
void RosterView::letItemsMove()
{
    for (const int step : {-1, 1}) {
        const QKeySequence keys(Qt::ALT | (step < 0 ? Qt::Key_Up : Qt::Key_Down));
        new QShortcut(keys, m_list, m_list, [this, step] { moveChosenItem(step); }, Qt::WidgetShortcut);
    }
}

void RosterView::moveChosenItem(int step)
{
    const int item = m_list->currentIndex().row();
    const QList<combat::OrderEntry> before = m_document.order();
    m_reporter.report(m_document.moveInOrder(item, step));
    // The item stays chosen, so that the keys move it on.
    if (m_document.order() != before)
        m_list->setCurrentIndex(m_order.index(item + step));
}

void RosterView::tellDocument()
{
    // Every change of a text reaches the document: typing, a paste, a drop, an input
    // method, an assistive tool, the field's menu. What the view writes itself does not.
    auto edits = [this](auto *control, auto signal, std::function<CommandResult()> tell) {
        connect(control, signal, this, [this, tell = std::move(tell)] {
            if (!m_showing)
                m_reporter.report(tell());
        });
    };
    for (int r = 0; r < roster::RowCount; ++r) {
        for (const roster::FieldInfo &info : roster::RowFields) {
            FieldEdit *edit = field(r, info.field);
            edits(edit, &QLineEdit::textChanged, [this, r, edit, f = info.field] {
                return m_document.setFieldText(r, f, edit->text());
            });
            if (SpinButton *spin = spinAfter(r, info.field)) {
                connect(spin, &SpinButton::stepRequested, this,
                        [this, r, f = info.field](int direction) { stepSpin(r, f, direction); });
            }
        }
        edits(m_amounts[r], &QLineEdit::textChanged, [this, r] { return m_document.setAmount(r, m_amounts[r]->text()); });
        edits(m_includes[r], &QCheckBox::toggled,
              [this, r] { return m_document.setIncluded(r, m_includes[r]->isChecked()); });
        edits(m_clears[r], &QPushButton::clicked, [this, r] { return m_document.clearRow(r); });
        edits(m_substracts[r], &QPushButton::clicked, [this, r] { return m_subtract(r); });
        // Enter in the amount box takes the damage off, as "Substract" beside it does.
        edits(m_amounts[r], &QLineEdit::returnPressed, [this, r] { return m_subtract(r); });
    }
    // The document's signal, not the editor's: the note has its new text only by then.
    edits(m_note->document(), &QTextDocument::contentsChanged,
          [this] { return m_document.setGeneralNote(m_note->text()); });
    // The fight's buttons leave the keyboard in the list, as their keys do.
    auto fight = [this](const CommandResult &result) {
        if (result.isDone())
            focusOrderList();
        return result;
    };
    edits(m_calculate, &QPushButton::clicked, [this, fight] { return fight(m_document.calculateOrder()); });
    edits(m_nextTurn, &QPushButton::clicked, [this, fight] { return fight(m_document.nextTurn()); });
}

void RosterView::stepSpin(int r, roster::Field f, int direction)
{
    SpinButton *spin = spinAfter(r, f);
    const QString roster::Row::*text = roster::fieldInfo(f).text;
    const QString before = m_document.row(r).*text;
    const auto which =
        f == roster::Field::HitPoints ? CombatDocument::SpinField::HitPoints : CombatDocument::SpinField::ArmourClass;
    const CommandResult result = m_document.stepSpin(r, which, direction, spin->isRepeatingStep());
    if (result.isRefused())
        spin->stopRepeat(); // a held button does not repeat the refusal
    else if (m_document.row(r).*text != before)
        spin->reportStep();
    m_reporter.report(result);
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
        setTextIfChanged(m_amounts[r], row.amount);
        m_includes[r]->setChecked(row.check != 0);
    }
    if (m_note->text() != roster.generalNote) {
        const QSignalBlocker quiet(m_note);
        m_note->setPlainText(roster.generalNote);
    }

    // The row is lit while it still holds the current combatant.
    const int currentRow = m_document.currentRowHolds() ? m_document.currentRow() : -1;
    for (int r = 0; r < roster::RowCount; ++r)
        lightRow(r, r == currentRow);
    showTurnLine(m_turnLine, m_document);
}

void RosterView::lightRow(int r, bool lit)
{
    // The name field's description says whether the row is lit, so nothing is done twice.
    if ((field(r, roster::Field::Name)->accessibleDescription() == CurrentTurn) == lit)
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
            changed << m_includes[r];
        if (a.amount != b.amount)
            changed << m_amounts[r];
        for (QWidget *control : changed) {
            if (control->isEnabled()) {
                control->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        // A down row's main fields take no focus: its amount box is where it is healed.
        m_amounts[r]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (before.roster.generalNote != after.roster.generalNote)
        m_note->setFocus(Qt::OtherFocusReason);
}
