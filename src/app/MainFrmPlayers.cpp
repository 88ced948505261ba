// The players' window: made when first asked for, gone with the main window.
#include "app/MainFrm.h"

#include "app/PlayerWindow.h"

#include <QCloseEvent>

void MainFrm::mnuPlayerWindow_Click()
{
    runHandler([this] {
        if (!m_players) {
            m_players = new PlayerWindow(m_document, this);
            connect(m_players, &PlayerWindow::nextTurnRequested, this, &MainFrm::mnuNextTurn_Click);
            connect(m_players, &PlayerWindow::previousTurnRequested, this, &MainFrm::mnuPreviousTurn_Click);
        }
        m_players->show();
        m_players->raise();
        m_players->activateWindow();
    });
}

void MainFrm::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && m_players)
        m_players->close();
}
