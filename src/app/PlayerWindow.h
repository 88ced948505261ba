#pragma once

#include <QWidget>

class CombatDocument;
class QLabel;
class QListWidget;

// What the players may see, for a TV or a second screen: the names in the fighting order
// with the current one lit and those out of the fight struck through, and the round with
// whose turn it is, in type sized to the window. It follows the document and changes
// nothing itself: its turn keys are requests the main window carries out.
class PlayerWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerWindow(const CombatDocument &document, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QLabel *turnLabel() const { return m_turn; }

signals:
    void nextTurnRequested();
    void previousTurnRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showOrder();
    void showTurn();
    void fitType();
    void placeOnAnotherScreen();

    const CombatDocument &m_document;
    QLabel *m_turn = nullptr;
    QListWidget *m_list = nullptr;
    int m_marked = -1; // the item last told to screen readers as the current one
};
