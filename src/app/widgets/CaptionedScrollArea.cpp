#include "app/widgets/CaptionedScrollArea.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QScrollBar>

#include <algorithm>

namespace {
// Qt's interface for a scroll area lists only the viewport, the shown scroll bars and
// the corner, so the strip (a child of the area itself) would be out of the tree.
// This one lists the strip first, then what Qt's does.
class CaptionedScrollAreaAccessible : public QAccessibleWidget
{
public:
    explicit CaptionedScrollAreaAccessible(CaptionedScrollArea *area)
        : QAccessibleWidget(area, QAccessible::Client)
    {
    }

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QWidgetList list = children();
        return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? static_cast<int>(children().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

    static QAccessibleInterface *create(const QString &className, QObject *object)
    {
        if (className == QLatin1String(CaptionedScrollArea::staticMetaObject.className()))
            if (auto *area = qobject_cast<CaptionedScrollArea *>(object))
                return new CaptionedScrollAreaAccessible(area);
        return nullptr;
    }

private:
    QWidgetList children() const
    {
        const auto *area = static_cast<const CaptionedScrollArea *>(widget());
        QWidgetList list{area->captionStrip(), area->viewport()};
        if (area->footer())
            list.append(area->footer());
        // A scroll bar stands in a container of Qt's, which is the child to list.
        for (const QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
            if (bar->isVisible())
                list.append(bar->parentWidget());
        if (QWidget *corner = area->cornerWidget(); corner && corner->isVisible())
            list.append(corner);
        return list;
    }
};
} // namespace

CaptionedScrollArea::CaptionedScrollArea(QWidget *parent)
    : QScrollArea(parent)
    , m_strip(new QWidget(this))
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&CaptionedScrollAreaAccessible::create);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);

    m_strip->setObjectName(QStringLiteral("CaptionStrip"));
    // A caption that changes its size asks the strip to lay out again.
    m_strip->installEventFilter(this);
}

void CaptionedScrollArea::setCaptionMargins(int top, int bottom)
{
    m_topMargin = top;
    m_bottomMargin = bottom;
    fitCaptions();
}

void CaptionedScrollArea::setFooter(QWidget *footer, int indent)
{
    footer->setParent(this);
    m_footer = footer;
    m_footerIndent = indent;
    fitCaptions();
}

void CaptionedScrollArea::standOver(QLabel *caption, QWidget *column)
{
    Q_ASSERT(caption->parentWidget() == m_strip && widget() && widget()->isAncestorOf(column));
    m_captions.emplace_back(caption, column);
    // The page's layout moves its columns; scrolling moves the page (watched already).
    column->installEventFilter(this);
    fitCaptions();
}

bool CaptionedScrollArea::isColumn(const QObject *object) const
{
    return std::any_of(m_captions.begin(), m_captions.end(),
                       [object](const auto &pair) { return pair.second == object; });
}

bool CaptionedScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_strip ? type == QEvent::LayoutRequest
                           : (type == QEvent::Move || type == QEvent::Resize) && (watched == widget() || isColumn(watched)))
        fitCaptions();
    return QScrollArea::eventFilter(watched, event);
}

void CaptionedScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitCaptions();
}

void CaptionedScrollArea::fitCaptions()
{
    int tallest = 0;
    for (const auto &[caption, column] : m_captions) {
        caption->resize(caption->sizeHint()); // kept within a fixed caption's size
        tallest = std::max(tallest, caption->height());
    }
    const int height = m_topMargin + tallest + m_bottomMargin;
    const int footerHeight = m_footer ? m_footer->height() : 0;
    if (viewportMargins().top() != height || viewportMargins().bottom() != footerHeight)
        setViewportMargins(0, height, 0, footerHeight);

    const QWidget *port = viewport();
    m_strip->setGeometry(port->x(), port->y() - height, port->width(), height);
    if (m_footer) {
        m_footer->setGeometry(port->x() + m_footerIndent, port->geometry().bottom() + 1,
                              std::max(0, port->width() - m_footerIndent), footerHeight);
    }
    const int bottom = height - m_bottomMargin;
    for (const auto &[caption, column] : m_captions)
        caption->move(column->mapTo(port, QPoint(0, 0)).x(), bottom - caption->height());
}
