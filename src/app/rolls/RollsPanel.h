#pragma once

#include <QWidget>

class QLineEdit;
class QListView;
class RollsModel;

// The Rolls list under its caption, and above it a field for any dice text, rolled at Enter.
// Enter or a double click on a line asks to roll it again.
class RollsPanel : public QWidget
{
    Q_OBJECT

public:
    // `fixedDice`: the caption says that the dice were seeded and repeat.
    RollsPanel(RollsModel &model, bool fixedDice, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
    QLineEdit *diceField() const { return m_dice; }
signals:
    void rollAgain(int line);
    void rollDice(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *m_list = nullptr;
    QLineEdit *m_dice = nullptr;
};
