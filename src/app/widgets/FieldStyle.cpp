#include "app/widgets/FieldStyle.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace {

// Two chevrons pointing where the hidden items are, in the button text colour,
// painted at whatever size is asked for.
class OverflowArrowEngine : public QIconEngine
{
public:
    explicit OverflowArrowEngine(Qt::Orientation orientation)
        : m_orientation(orientation)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QGuiApplication::palette();
        const QColor colour = palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                            QPalette::ButtonText);
        // Drawn pointing right in a unit square, then turned to point down or left.
        QPainterPath chevrons;
        for (const qreal x : {0.2, 0.5}) {
            chevrons.moveTo(x, 0.25);
            chevrons.lineTo(x + 0.25, 0.5);
            chevrons.lineTo(x, 0.75);
        }
        QTransform transform;
        transform.translate(rect.x(), rect.y());
        transform.scale(rect.width(), rect.height());
        transform.translate(0.5, 0.5);
        if (m_orientation == Qt::Vertical)
            transform.rotate(90);
        else if (QGuiApplication::layoutDirection() == Qt::RightToLeft)
            transform.rotate(180);
        transform.translate(-0.5, -0.5);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour, std::max(1.0, std::min(rect.width(), rect.height()) / 8.0), Qt::SolidLine,
                             Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(transform.map(chevrons));
        painter->restore();
    }

    QIconEngine *clone() const override { return new OverflowArrowEngine(m_orientation); }
    QString key() const override { return QStringLiteral("FraymarkOverflowArrow"); }

private:
    Qt::Orientation m_orientation;
};

} // namespace

void FieldStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    if (element != PE_PanelLineEdit) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The frame colour fills the whole rectangle and the field colour its inside,
    // one pixel in (two with the focus): no pen, no path, two solid fills.
    const QPalette &palette = option->palette;
    const bool focused = option->state & State_HasFocus;
    const int width = focused ? 2 : 1;
    painter->fillRect(option->rect, palette.color(focused ? QPalette::Highlight : QPalette::Mid));
    painter->fillRect(option->rect.adjusted(width, width, -width, -width), palette.brush(QPalette::Base));
}

QIcon FieldStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                               const QWidget *widget) const
{
    switch (standardIcon) {
    case SP_ToolBarHorizontalExtensionButton:
        return QIcon(new OverflowArrowEngine(Qt::Horizontal));
    case SP_ToolBarVerticalExtensionButton:
        return QIcon(new OverflowArrowEngine(Qt::Vertical));
    default:
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
}
