#pragma once

#include <QStyledItemDelegate>

// Draws a fighting-order item as calculated, greyed when its combatant left the fight, and
// beside its text whether the combatant is dying or hidden and their timed conditions, so that
// the item's own text never changes.
class OrderItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
