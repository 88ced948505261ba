#include "app/order/OrderItemDelegate.h"

#include "app/order/OrderModel.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>

void OrderItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QString beside = index.data(OrderModel::StateRole).toString();
    if (beside.isEmpty())
        return;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const int textWidth = item.fontMetrics.horizontalAdvance(item.text) + item.fontMetrics.averageCharWidth();
    QRect rest = textRect.adjusted(textWidth + 4, 0, 0, 0);
    if (rest.width() <= 0)
        return;
    painter->save();
    QFont font = item.font;
    font.setItalic(true);
    font.setStrikeOut(false);
    painter->setFont(font);
    // Windows' own style marks a chosen item with a pale ground and keeps its text dark.
    const auto *proxy = qobject_cast<const QProxyStyle *>(style);
    const bool paleChoice = (proxy ? proxy->baseStyle() : style)->name().compare(u"windowsvista", Qt::CaseInsensitive) == 0;
    const bool selected = option.state.testFlag(QStyle::State_Selected) && !paleChoice;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(rest, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(font).elidedText(beside, Qt::ElideRight, rest.width()));
    painter->restore();
}

void OrderItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(OrderModel::InFightRole).toBool())
        option->palette.setBrush(QPalette::Text, option->palette.brush(QPalette::Disabled, QPalette::Text));
}
