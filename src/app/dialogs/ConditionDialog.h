#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QSpinBox;

// Asks for a timed condition: a name, from the usual ones or typed, and its rounds.
// OK is offered only for a name a note can hold as a condition.
class ConditionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConditionDialog(const QStringList &names, QWidget *parent = nullptr);

    QString name() const;
    int rounds() const;

    // What a window frame takes from the title bar's width, at most: icon and three buttons.
    static constexpr int TitleBarAllowance = 160;

protected:
    void changeEvent(QEvent *event) override;

private:
    QComboBox *m_name = nullptr;
    QSpinBox *m_rounds = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
