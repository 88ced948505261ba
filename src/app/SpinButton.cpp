#include "app/SpinButton.h"

#include "combat/SpinStep.h"
#include "roster/FieldError.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>

namespace {
constexpr int FirstRepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 60;
} // namespace

SpinButton::SpinButton(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &SpinButton::repeatStep);
}

void SpinButton::setBuddy(QLineEdit *buddy)
{
    m_buddy = buddy;
}

SpinStepResult SpinButton::stepBy(int direction)
{
    if (!m_buddy)
        return SpinStepResult::Unchanged;
    std::optional<QString> next;
    try {
        next = combat::spinStep(m_buddy->text(), direction);
    } catch (const roster::FieldError &) {
        stopRepeat();
        return SpinStepResult::Unreadable;
    }
    if (!next)
        return SpinStepResult::Unchanged;
    m_buddy->setText(*next);
    emit valueChanged();
    return SpinStepResult::Stepped;
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
    emit stepRequested(m_pressedDirection);
    m_repeat.start(FirstRepeatDelayMs);
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
    update();
}

void SpinButton::repeatStep()
{
    if (m_pressedDirection == 0 || !isEnabled()) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(RepeatIntervalMs);
    m_repeating = true;
    emit stepRequested(m_pressedDirection);
    m_repeating = false;
}

void SpinButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        emit stepRequested(+1);
        break;
    case Qt::Key_Down:
        emit stepRequested(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
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
