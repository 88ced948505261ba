#pragma once

#include <QWidget>

class QListView;
class RollsModel;

// The Rolls list under its caption. Enter or a double click on a line asks to roll it again.
class RollsPanel : public QWidget
{
    Q_OBJECT

public:
    // `fixedDice`: the caption says that the dice were seeded and repeat.
    RollsPanel(RollsModel &model, bool fixedDice, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }
signals:
    void rollAgain(int line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *m_list = nullptr;
};
