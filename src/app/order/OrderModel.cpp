#include "app/order/OrderModel.h"

#include "combat/Conditions.h"
#include "document/CombatDocument.h"

#include <QAccessible>
#include <QFont>
#include <QListView>

OrderModel::OrderModel(const CombatDocument &document, QObject *parent)
    : QAbstractListModel(parent)
    , m_document(document)
{
    connect(&document, &CombatDocument::orderChanged, this, &OrderModel::reset);
    connect(&document, &CombatDocument::changed, this, &OrderModel::update);
    reset();
}

int OrderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int OrderModel::markedItem() const
{
    return m_document.markedItem();
}

OrderModel::Item OrderModel::itemAt(int i) const
{
    Item item;
    item.inFight = m_document.isInFight(i);
    item.current = i == m_document.markedItem();
    if (item.inFight)
        item.conditions = combat::conditionsText(m_document.row(m_document.order().at(i).row).note);
    return item;
}

void OrderModel::reset()
{
    beginResetModel();
    m_items.clear();
    for (int i = 0; i < m_document.order().size(); ++i)
        m_items.append(itemAt(i));
    endResetModel();
    emit shown();
}

void OrderModel::update()
{
    if (m_items.size() != m_document.order().size())
        return reset(); // never an index past the document's list
    for (int i = 0; i < m_items.size(); ++i) {
        Item item = itemAt(i);
        if (item == m_items[i])
            continue;
        m_items[i] = std::move(item);
        emit dataChanged(index(i), index(i));
    }
    emit shown();
}

QVariant OrderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const Item &item = m_items[index.row()];
    const combat::OrderEntry &entry = m_document.order().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.text;
    case NameRole:
        return entry.name;
    case ConditionsRole:
        return item.conditions;
    case InFightRole:
        return item.inFight;
    case CurrentRole:
        return item.current;
    case Qt::FontRole: {
        QFont font;
        font.setStrikeOut(!item.inFight);
        font.setBold(item.current);
        return font;
    }
    case Qt::AccessibleDescriptionRole: {
        QStringList said;
        if (!item.inFight)
            said << QStringLiteral("Out of the fight");
        if (!item.conditions.isEmpty())
            said << item.conditions;
        return said.join(QStringLiteral("; "));
    }
    default:
        return {};
    }
}

void showMarked(QListView *list, int marked, QItemSelectionModel::SelectionFlags selection)
{
    QItemSelectionModel *selected = list->selectionModel();
    const QModelIndex item = list->model()->index(marked, 0);
    if (!item.isValid()) {
        if (list->currentIndex().isValid() || selected->hasSelection())
            selected->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    const bool selects = selection.testFlag(QItemSelectionModel::Select);
    if (list->currentIndex() == item && (!selects || selected->selectedIndexes() == QModelIndexList{item}))
        return;
    selected->setCurrentIndex(item, selection);
    list->scrollTo(item);
    QAccessibleEvent focus(list, QAccessible::Focus);
    focus.setChild(marked);
    QAccessible::updateAccessibility(&focus);
}
