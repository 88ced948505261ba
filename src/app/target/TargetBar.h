#pragma once

#include <QFrame>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

class CombatDocument;
class QLabel;
class QLineEdit;
class QSpinBox;

// The bar at the bottom of the main window that aims a blow or a condition from the
// keyboard: a target chosen by a few letters of its name (or "#7", or Up and Down through
// the fighting order), more targets added with Space, then the amount, or the condition
// and its rounds, and Enter. It is no dialog: the roster stays in sight and in use, and
// the bar takes the focus only while it is open.
class TargetBar : public QFrame
{
    Q_OBJECT

public:
    enum class Mode { Damage, Condition };

    explicit TargetBar(CombatDocument &document, QWidget *parent = nullptr);

    // Opens with `row` chosen (-1: nobody yet) and takes the focus, to give it back on closing.
    void open(Mode mode, int row);
    void close();
    Mode mode() const { return m_mode; }

    // The row typed or stepped to (-1: none), and those added before it with Space.
    int chosenRow() const { return m_chosen; }
    const QList<int> &addedRows() const { return m_added; }
    // Whom Enter acts on: the added rows, and the chosen one unless Space has just moved on
    // past the last added.
    QList<int> targets() const;

    QLineEdit *targetEdit() const { return m_target; }
    QLineEdit *amountEdit() const { return m_amount; }
    QLineEdit *conditionEdit() const { return m_condition; }
    QSpinBox *roundsBox() const { return m_rounds; }
    // What went wrong with the last key, or how to go on.
    QString status() const;

signals:
    // Another row was chosen: on a small screen the roster scrolls it into sight.
    void chosen(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool targetKey(QKeyEvent *key);
    bool amountKey(QKeyEvent *key);
    bool conditionKey(QKeyEvent *key);
    void setChosen(int row);
    // The row still holds whom it held when it was chosen: same combatant, same name.
    bool stillHolds(int row) const;
    void choose(const QString &typed);
    void step(int by);
    void addChosen();
    bool moveToDetails();
    void apply();
    void applyBlow(const QList<int> &rows);
    void applyCondition(const QList<int> &rows);
    void showChoice();
    void say(const QString &text);
    QStringList knownConditions() const;

    CombatDocument &m_document;
    Mode m_mode = Mode::Damage;
    int m_chosen = -1;
    bool m_chosenCounts = true; // false once Space has moved on to a suggestion
    QList<int> m_added;
    struct Seen
    {
        quint32 serial = 0;
        QString name;
    };
    QHash<int, Seen> m_seen; // each row as it was when chosen
    QStringList m_usedConditions; // added through the bar in this session
    QPointer<QWidget> m_returnFocus;

    QLabel *m_title = nullptr;
    QLineEdit *m_target = nullptr;
    QLabel *m_choice = nullptr;
    QWidget *m_blowPage = nullptr;
    QWidget *m_conditionPage = nullptr;
    QLineEdit *m_amount = nullptr;
    QLineEdit *m_condition = nullptr;
    QSpinBox *m_rounds = nullptr;
    QLabel *m_status = nullptr;
};
