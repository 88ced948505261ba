#include "app/widgets/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

QSize WrappingButton::sizeHint() const
{
    // Wide enough for the longest word, tall enough for the wrapped lines.
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QString &word : text().split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const int width = widest + 2 * Padding;
    const QRect lines = metrics.boundingRect(QRect(0, 0, widest, 1000), Qt::TextWordWrap, text());
    return {width, lines.height() + 2 * Padding};
}

QSize WrappingButton::minimumSizeHint() const
{
    return sizeHint();
}

void WrappingButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = rect().adjusted(Padding, Padding, -Padding, -Padding);
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}
