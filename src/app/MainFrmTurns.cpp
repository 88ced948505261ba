// The fighting-order list and whose turn it is, as the document has them. The
// list's items change only when the order is calculated; only the marker moves.
#include "app/MainFrm.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>

void MainFrm::showOrder()
{
    List->clear();
    for (const combat::OrderEntry &entry : m_document.order())
        List->addItem(entry.text);
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
    for (int i = 0; i < List->count(); ++i) {
        QListWidgetItem *item = List->item(i);
        if (item->font().bold() != (i == markedItem)) {
            QFont font = item->font();
            font.setBold(i == markedItem);
            item->setFont(font);
        }
    }
    const int round = m_document.state().round;
    const QString text = round > 0 ? QStringLiteral("Round %1").arg(round) : QString();
    if (RoundLbl->text() != text) {
        RoundLbl->setText(text);
        // A screen reader says the round, not just "Round".
        RoundLbl->setAccessibleName(round > 0 ? text : QStringLiteral("Round"));
    }
}

void MainFrm::mnuNextTurn_Click()
{
    runHandler([this] { m_document.nextTurn(readRoster()); });
}

void MainFrm::mnuPreviousTurn_Click()
{
    runHandler([this] { m_document.previousTurn(readRoster()); });
}
