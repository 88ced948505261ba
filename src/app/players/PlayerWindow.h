#pragma once

#include <QWidget>

class CombatDocument;
class OrderModel;
class PlayerOrder;
class QLabel;
class QListView;

// What the players may see, for a TV or a second screen: the names in the fighting order
// with the current one lit and those out of the fight struck through, and the round with
// whose turn it is, in type sized to the window. It follows the document and changes
// nothing itself: its turn keys are requests the main window carries out.
class PlayerWindow : public QWidget
{
    Q_OBJECT

public:
    PlayerWindow(const CombatDocument &document, OrderModel &order, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
    QLabel *turnLabel() const { return m_turn; }

signals:
    void nextTurnRequested();
    void previousTurnRequested();

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
    QListView *m_list = nullptr;
};
