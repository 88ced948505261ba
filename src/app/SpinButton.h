#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>


enum class SpinStepResult { Stepped, Unchanged, Unreadable };

// A pair of arrows that steps the number in the text field it is tied to.
// Clicks (held down, they repeat) and Up/Down while focused ask for a step through
// stepRequested(); the owner runs stepBy() where errors are handled, so a text that
// cannot be read never escapes an event handler.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget *parent = nullptr);

    void setBuddy(QLineEdit *buddy);
    QLineEdit *buddy() const { return m_buddy; }

    // Steps the buddy's number by one in `direction` (+1 or -1) within the bounds,
    // writes it back as text and emits valueChanged(). Returns false when nothing
    // changed (at a bound, or no buddy). Throws roster::FieldError on an unreadable number.
    SpinStepResult stepBy(int direction);
    bool isRepeatingStep() const { return m_repeating; }

    // Ends a held click's repetition, for instance when a step has failed.
    void stopRepeat();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void stepRequested(int direction);
    void valueChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int directionAt(const QPoint &pos) const;
    QRect arrowRect(int direction) const;
    void repeatStep();

    QPointer<QLineEdit> m_buddy;
    QTimer m_repeat;
    int m_pressedDirection = 0;
    bool m_repeating = false;
};
