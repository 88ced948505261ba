#pragma once

#include <QWidget>

class CombatDocument;
class OrderModel;
class PlayerOrder;
class QLabel;
class QListView;

// What the players may see, for a TV or a second screen: the names in the fighting order
// with their health in words, the current one lit and those out of the fight struck
// through, the round with whose turn it is, and who is next, in type sized to the window;
// nothing of a combatant hidden from them, and only a waiting face while no fight is on.
// It follows the document and changes nothing in it: its turn keys are requests the main
// window carries out; H switches whose health it tells.
class PlayerWindow : public QWidget
{
    Q_OBJECT

public:
    PlayerWindow(const CombatDocument &document, OrderModel &order, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
    QLabel *turnLabel() const { return m_turn; }
    QLabel *nextLabel() const { return m_next; }
    QLabel *waitingLabel() const { return m_waiting; }

signals:
    void nextTurnRequested();
    void previousTurnRequested();
    void mainWindowRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showTurn();
    void fitType();
    void placeOnAnotherScreen();

    const CombatDocument &m_document;
    OrderModel &m_order;
    PlayerOrder *m_shown = nullptr;
    QLabel *m_turn = nullptr;
    QLabel *m_next = nullptr;
    QLabel *m_waiting = nullptr;
    QListView *m_list = nullptr;
};
