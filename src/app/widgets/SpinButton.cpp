#include "app/widgets/SpinButton.h"

#include "app/widgets/SpinButtonAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyleOption>
#include <QStylePainter>
#include <QWheelEvent>

#include <cstdlib>

namespace {
constexpr int FirstRepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 60;
constexpr int WheelNotch = 120; // angleDelta of one notch of a common mouse wheel
} // namespace

SpinButton::SpinButton(QWidget *parent)
    : QWidget(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&SpinButtonAccessible::create);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);

    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &SpinButton::repeatStep);
}

void SpinButton::setBuddy(QLineEdit *buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

void SpinButton::reportStep()
{
    if (m_buddy) {
        QAccessibleValueChangeEvent changed(this, m_buddy->text());
        QAccessible::updateAccessibility(&changed);
    }
}

void SpinButton::requestStep(int direction, bool repeating)
{
    if (!isEnabled())
        return;
    const QScopedValueRollback<bool> repeatingStep(m_repeatingStep, repeating);
    emit stepRequested(direction);
}

QSize SpinButton::sizeHint() const
{
    return {17, 22};
}

QSize SpinButton::minimumSizeHint() const
{
    return {13, 16};
}

QRect SpinButton::arrowRect(int direction) const
{
    const int half = height() / 2;
    return direction > 0 ? QRect(0, 0, width(), half) : QRect(0, half, width(), height() - half);
}

int SpinButton::directionAt(const QPoint &pos) const
{
    return pos.y() < height() / 2 ? +1 : -1;
}

void SpinButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (const int direction : {+1, -1}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = arrowRect(direction);
        if (m_pressedDirection == direction)
            button.state |= QStyle::State_Sunken;
        else
            button.state |= QStyle::State_Raised;
        button.state &= ~QStyle::State_HasFocus;
        painter.drawPrimitive(QStyle::PE_PanelButtonBevel, button);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        painter.drawPrimitive(direction > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                              arrow);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void SpinButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressedDirection = directionAt(event->position().toPoint());
    update();
    m_repeat.start(FirstRepeatDelayMs);
    requestStep(m_pressedDirection, false);
}

void SpinButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        stopRepeat();
    QWidget::mouseReleaseEvent(event);
}

void SpinButton::stopRepeat()
{
    m_repeat.stop();
    m_pressedDirection = 0;
    m_keyRepeatStopped = true;
    ++m_stopCount;
    update();
}

void SpinButton::repeatStep()
{
    if (m_pressedDirection == 0 || !isEnabled()) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(RepeatIntervalMs);
    requestStep(m_pressedDirection, true);
}

bool SpinButton::stepForKey(const QKeyEvent *event)
{
    int direction = 0;
    if (event->key() == Qt::Key_Up)
        direction = +1;
    else if (event->key() == Qt::Key_Down)
        direction = -1;
    else
        return false;

    if (!event->isAutoRepeat())
        m_keyRepeatStopped = false;
    else if (m_keyRepeatStopped)
        return true;
    requestStep(direction, event->isAutoRepeat());
    return true;
}

void SpinButton::keyPressEvent(QKeyEvent *event)
{
    if (!stepForKey(event))
        QWidget::keyPressEvent(event);
}

bool SpinButton::eventFilter(QObject *watched, QEvent *event)
{
    // The event's type first: while the buddy is being destroyed it is no QLineEdit
    // any more, and comparing through the QPointer would cast it to one.
    if (event->type() == QEvent::KeyPress && watched == m_buddy && isEnabled())
        return stepForKey(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

void SpinButton::wheelEvent(QWheelEvent *event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / WheelNotch;
    m_wheelRemainder -= notches * WheelNotch;

    // Several notches in one event make one gesture; a failed step ends it.
    const int direction = notches > 0 ? +1 : -1;
    const int stopsBefore = m_stopCount;
    for (int i = 0; i < std::abs(notches) && m_stopCount == stopsBefore; ++i)
        requestStep(direction, i > 0);
}

void SpinButton::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void SpinButton::focusOutEvent(QFocusEvent *event)
{
    stopRepeat();
    QWidget::focusOutEvent(event);
}
