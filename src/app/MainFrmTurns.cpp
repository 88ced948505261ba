// The fighting-order list and whose turn it is, as the document has them. The
// list's items change only when the order is calculated; the marker moves, items
// whose combatant left the fight grey out, and the current combatant's row is lit.
#include "app/MainFrm.h"

#include "app/CurrentRowPalette.h"
#include "app/OrderItemDelegate.h"
#include "app/TurnLine.h"
#include "app/SpinButton.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString CurrentTurn = QStringLiteral("Current turn");
const QString OutOfTheFight = QStringLiteral("Out of the fight");

// Grey and struck through when out of the fight, bold when marked, the timed conditions
// beside it. The text and accessible name stay as calculated; screen readers hear the
// state and the conditions as the description.
void showItem(QListWidgetItem *item, bool inFight, bool marked, const QString &conditions, const QPalette &palette)
{
    if (item->data(OrderItemDelegate::ConditionsRole).toString() != conditions)
        item->setData(OrderItemDelegate::ConditionsRole, conditions);
    QFont font = item->font();
    font.setStrikeOut(!inFight);
    font.setBold(marked);
    if (font != item->font())
        item->setFont(font);
    const QVariant foreground = inFight ? QVariant() : QVariant(palette.brush(QPalette::Disabled, QPalette::Text));
    if (item->data(Qt::ForegroundRole) != foreground)
        item->setData(Qt::ForegroundRole, foreground);
    QStringList said;
    if (!inFight)
        said << OutOfTheFight;
    if (!conditions.isEmpty())
        said << conditions;
    const QString description = said.join(QStringLiteral("; "));
    if (item->data(Qt::AccessibleDescriptionRole).toString() != description)
        item->setData(Qt::AccessibleDescriptionRole, description);
}

} // namespace

void MainFrm::showOrder()
{
    List->clear();
    for (const combat::OrderEntry &entry : m_document.order())
        List->addItem(entry.text);
}

QList<QWidget *> MainFrm::rowControls(int r) const
{
    QList<QWidget *> controls;
    for (const roster::Field f : roster::FieldsInColumnOrder)
        controls << field(r, f);
    controls << UpDown1[r] << UpDown2[r] << ChrChk[r] << cmdClear[r] << SubsTxt[r] << SubsCmd[r];
    return controls;
}

void MainFrm::lightRow(int r, bool lit)
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

void MainFrm::showTurn()
{
    const int markedItem = m_document.markedItem();
    const bool marked = markedItem >= 0 && markedItem < List->count();
    if (marked) {
        if (List->currentRow() != markedItem || List->selectedItems().size() != 1) {
            List->setCurrentRow(markedItem, QItemSelectionModel::ClearAndSelect);
            List->scrollToItem(List->currentItem());
            // Told to screen readers as the current item even while the focus is elsewhere.
            QAccessibleEvent focus(List, QAccessible::Focus);
            focus.setChild(markedItem);
            QAccessible::updateAccessibility(&focus);
        }
    } else if (List->currentRow() >= 0 || !List->selectedItems().isEmpty()) {
        List->clearSelection();
        List->setCurrentRow(-1, QItemSelectionModel::Clear);
    }
    const roster::Roster &roster = m_document.state().roster;
    for (int i = 0; i < List->count(); ++i) {
        const combat::OrderEntry &entry = m_document.order().at(i);
        const bool inFight = m_document.isInFight(i);
        showItem(List->item(i), inFight, i == markedItem,
                 inFight ? conditionsShown(roster.rows[static_cast<std::size_t>(entry.row)].note) : QString(),
                 List->palette());
    }

    // The row is lit while it still holds the current combatant.
    const int currentRow = m_document.currentRow();
    const bool rowHolds = currentRowHolds(m_document);
    for (int r = 0; r < roster::RowCount; ++r)
        lightRow(r, rowHolds && r == currentRow);

    const QString line = turnLine(m_document);
    if (RoundLbl->text() != line) {
        RoundLbl->setText(line);
        // A screen reader says the round and whose turn it is, not just "Round".
        RoundLbl->setAccessibleName(line.isEmpty() ? QStringLiteral("Round") : line);
    }
}

int MainFrm::focusedRow() const
{
    QWidget *focus = QApplication::focusWidget();
    for (int r = 0; focus && r < roster::RowCount; ++r) {
        if (rowControls(r).contains(focus))
            return r;
    }
    return -1;
}

void MainFrm::mnuDamage_Click()
{
    runHandler([this] {
        // The current combatant's amount box; with no turn marked, that of the focused row.
        const int row = m_document.currentRow() >= 0 ? m_document.currentRow() : focusedRow();
        if (row < 0)
            return;
        SubsTxt[row]->setFocus(Qt::ShortcutFocusReason);
        SubsTxt[row]->selectAll();
    });
}

void MainFrm::mnuCondition_Click()
{
    runHandler([this] {
        // The focused row, or the current combatant's.
        const int row = focusedRow() >= 0 ? focusedRow() : m_document.currentRow();
        if (row < 0) {
            showError(QStringLiteral("Put the cursor in a combatant's row, or mark a turn, to add a condition."));
            return;
        }
        static const QStringList usual{
            QStringLiteral("Blinded"),    QStringLiteral("Confused"),  QStringLiteral("Dazed"),
            QStringLiteral("Dazzled"),    QStringLiteral("Deafened"),  QStringLiteral("Entangled"),
            QStringLiteral("Exhausted"),  QStringLiteral("Fatigued"),  QStringLiteral("Frightened"),
            QStringLiteral("Grappled"),   QStringLiteral("Helpless"),  QStringLiteral("Nauseated"),
            QStringLiteral("Panicked"),   QStringLiteral("Paralyzed"), QStringLiteral("Prone"),
            QStringLiteral("Shaken"),     QStringLiteral("Sickened"),  QStringLiteral("Stunned")};
        const std::optional<Prompts::Condition> condition =
            m_prompts->askCondition(this, QStringLiteral("Add Condition to ") + rowLabel(row), usual);
        if (!condition || !combat::isConditionName(condition->name))
            return;
        runCommand(QStringLiteral("Add Condition ") + rowLabel(row), [&](CombatState &next) {
            QString &note = next.roster.rows[static_cast<std::size_t>(row)].note;
            note = combat::withCondition(note, condition->name, condition->rounds);
        });
    });
}

void MainFrm::mnuNextTurn_Click()
{
    runHandler([this] { m_document.nextTurn(readRoster()); });
}

void MainFrm::mnuPreviousTurn_Click()
{
    runHandler([this] { m_document.previousTurn(readRoster()); });
}
