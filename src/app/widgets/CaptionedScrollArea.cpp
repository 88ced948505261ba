#include "app/widgets/CaptionedScrollArea.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

CaptionedScrollArea::CaptionedScrollArea(QWidget *parent)
    : QScrollArea(parent)
    , m_strip(new QWidget(this))
{
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
    if (viewportMargins().top() != height)
        setViewportMargins(0, height, 0, 0);

    const QWidget *port = viewport();
    m_strip->setGeometry(port->x(), port->y() - height, port->width(), height);
    const int bottom = height - m_bottomMargin;
    for (const auto &[caption, column] : m_captions)
        caption->move(column->mapTo(port, QPoint(0, 0)).x(), bottom - caption->height());
}
