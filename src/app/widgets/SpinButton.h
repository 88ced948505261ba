#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QKeyEvent;

// A pair of arrows that steps the number in the text field it is tied to (its buddy).
// Clicks (held down, they repeat), the mouse wheel, Up/Down in the button or in the buddy
// and a screen reader's increase/decrease ask for a step through stepRequested(); the
// owner has the number stepped, which the buddy then shows, and reports the step, or
// stops a held repeat when the number cannot be stepped.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget *parent = nullptr);

    // Also makes Up and Down in the buddy ask for steps, as they do on the button.
    void setBuddy(QLineEdit *buddy);
    QLineEdit *buddy() const { return m_buddy; }

    // Reports a step the buddy now shows: tells screen readers the new value.
    void reportStep();

    // Ends a held click's repetition, for instance when a step has failed.
    void stopRepeat();

    // True while the step being requested continues an earlier one: a held mouse click's
    // repeat or a key's auto-repeat (in the buddy or on the button). The window merges
    // such steps into one undo step.
    bool isRepeatingStep() const { return m_repeatingStep; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void stepRequested(int direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    friend class SpinButtonAccessible;

    int directionAt(const QPoint &pos) const;
    QRect arrowRect(int direction) const;
    void repeatStep();
    void requestStep(int direction, bool repeating);
    bool stepForKey(const QKeyEvent *event);

    QPointer<QLineEdit> m_buddy;
    QTimer m_repeat;
    int m_pressedDirection = 0;
    int m_wheelRemainder = 0;    // high-resolution wheel deltas short of a notch
    int m_stopCount = 0;         // counts stopRepeat() calls, so a multi-notch wheel event can end early
    bool m_repeatingStep = false;
    bool m_keyRepeatStopped = false; // a failed step ignores the rest of a held key's auto-repeat
};
