#include "app/FieldStyle.h"

#include <QPainter>
#include <QStyleOption>

void FieldStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    if (element != PE_PanelLineEdit) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QPalette &palette = option->palette;
    const bool focused = option->state & State_HasFocus;
    const QRect frame = option->rect.adjusted(0, 0, -1, -1);
    painter->fillRect(option->rect.adjusted(1, 1, -1, -1), palette.brush(QPalette::Base));
    painter->setPen(focused ? palette.color(QPalette::Highlight) : palette.color(QPalette::Mid));
    painter->drawRect(frame);
    if (focused)
        painter->drawRect(frame.adjusted(1, 1, -1, -1));
}
