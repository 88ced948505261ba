#include "app/widgets/FixedSizeItem.h"

#include <QWidget>

FixedSizeItem::FixedSizeItem(QWidget *control, Qt::Alignment alignment)
    : QWidgetItem(control)
{
    setAlignment(alignment);
}

bool FixedSizeItem::isFixed() const
{
    return wid->minimumSize() == wid->maximumSize();
}

QSize FixedSizeItem::sizeHint() const
{
    if (isEmpty())
        return {0, 0};
    return isFixed() ? wid->minimumSize() : QWidgetItem::sizeHint();
}

QSize FixedSizeItem::minimumSize() const
{
    if (isEmpty())
        return {0, 0};
    return isFixed() ? wid->minimumSize() : QWidgetItem::minimumSize();
}

QSize FixedSizeItem::maximumSize() const
{
    if (isEmpty())
        return {0, 0};
    return isFixed() ? wid->maximumSize() : QWidgetItem::maximumSize();
}

// The height of a fixed control does not depend on its width: no need to ask it.
bool FixedSizeItem::hasHeightForWidth() const
{
    return !isFixed() && QWidgetItem::hasHeightForWidth();
}
