// The players' window: made when first asked for. As a child of this window it never keeps
// the program running and goes when the program ends.
#include "app/MainFrm.h"

#include "app/PlayerWindow.h"

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
