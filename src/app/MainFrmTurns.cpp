// Whose turn it is: the marked item of the fighting-order list and the round.
// The list's items never change here; only which one is marked.
#include "app/MainFrm.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>

int MainFrm::markedRow() const
{
    return m_turn.marked >= 0 && m_turn.marked < m_listRows.size() ? m_listRows.at(m_turn.marked) : -1;
}

void MainFrm::setTurn(const combat::TurnState &turn)
{
    m_turn = turn;
    const bool marked = turn.marked >= 0 && turn.marked < List->count();
    if (marked) {
        List->setCurrentRow(turn.marked, QItemSelectionModel::ClearAndSelect);
        List->scrollToItem(List->currentItem());
        // Told to screen readers as the current item even while the focus is elsewhere.
        QAccessibleEvent focus(List, QAccessible::Focus);
        focus.setChild(turn.marked);
        QAccessible::updateAccessibility(&focus);
    } else {
        List->clearSelection();
        List->setCurrentRow(-1, QItemSelectionModel::Clear);
    }
    for (int i = 0; i < List->count(); ++i) {
        QFont font = List->item(i)->font();
        font.setBold(marked && i == turn.marked);
        List->item(i)->setFont(font);
    }
    RoundLbl->setText(turn.round > 0 ? QStringLiteral("Round %1").arg(turn.round) : QString());
}

void MainFrm::clearTurn()
{
    setTurn({});
}

void MainFrm::mnuNextTurn_Click()
{
    runCommand(QStringLiteral("Next Turn"), [this] { setTurn(combat::nextTurn(m_turn, m_listRows, readRoster())); });
}

void MainFrm::mnuPreviousTurn_Click()
{
    runCommand(QStringLiteral("Previous Turn"),
               [this] { setTurn(combat::previousTurn(m_turn, m_listRows, readRoster())); });
}
