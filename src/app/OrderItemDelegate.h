#pragma once

#include <QStyledItemDelegate>

// Draws a fighting-order item as calculated and, beside its text, the combatant's timed
// conditions (the item's ConditionsRole), so that the item's own text never changes.
class OrderItemDelegate : public QStyledItemDelegate
{
public:
    static constexpr int ConditionsRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// "Stunned 2, Held (last round)": a note's timed conditions as the displays show them.
QString conditionsShown(const QString &note);
