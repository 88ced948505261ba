#pragma once

#include <QStyledItemDelegate>

// Draws a fighting-order item as calculated, greyed when its combatant left the fight, and
// beside its text the combatant's timed conditions (OrderModel::ConditionsRole), so that
// the item's own text never changes.
class OrderItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
