#include "app/order/OrderModel.h"

#include "combat/DownRow.h"
#include "combat/NoteTags.h"
#include "combat/Turns.h"
#include "document/CombatDocument.h"
#include "combat/StateWords.h"
#include "roster/ShownText.h"

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

OrderModel::Item OrderModel::itemAt(int i, combat::Wait wait) const
{
    Item item;
    const combat::OrderEntry &entry = m_document.order().at(i);
    item.inFight = m_document.isInFight(i);
    item.current = i == m_document.markedItem();
    if (!combat::holdsCombatant(entry, m_document.roster()))
        return item; // the row holds someone else now, or nobody: nothing of theirs is shown
    const roster::Row &row = m_document.row(entry.row);
    item.hidden = combat::hasTag(row.note, combat::HiddenTag);
    // The conditions and waits of those out of the fight count for nothing now.
    if (!item.inFight)
        wait = combat::Wait::None;
    item.state = combat::stateWords(row, combat::Viewers::GameMaster, item.inFight, QString(), wait);
    return item;
}

void OrderModel::setHealthWords(HealthWords words)
{
    if (words == m_words)
        return;
    m_words = words;
    update();
}

void OrderModel::nextHealthWords()
{
    setHealthWords(m_words == HealthWords::Everyone   ? HealthWords::Monsters
                   : m_words == HealthWords::Monsters ? HealthWords::Nobody
                                                      : HealthWords::Everyone);
}

void OrderModel::reset()
{
    beginResetModel();
    m_items.clear();
    const QList<combat::Wait> waits = m_document.state().turn.waits(m_document.order());
    for (int i = 0; i < m_document.order().size(); ++i)
        m_items.append(itemAt(i, waits[i]));
    endResetModel();
    emit shown();
}

void OrderModel::update()
{
    if (m_items.size() != m_document.order().size())
        return reset(); // never an index past the document's list
    const QList<combat::Wait> waits = m_document.state().turn.waits(m_document.order());
    for (int i = 0; i < m_items.size(); ++i) {
        Item item = itemAt(i, waits[i]);
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
    // The roles that answer yes or no.
    for (const auto &[flagRole, flag] : {std::pair{InFightRole, &Item::inFight}, std::pair{CurrentRole, &Item::current}}) {
        if (role == flagRole)
            return item.*flag;
    }
    const combat::OrderEntry &entry = m_document.order().at(index.row());
    switch (role) {
    // A name can be megabytes long: the views lay out a bounded part of it.
    case Qt::DisplayRole:
        return roster::shownText(entry.text, roster::ShownNameLength + 16);
    case NameRole:
        return roster::shownText(entry.name, roster::ShownNameLength);
    case StateRole:
        return item.state.join(combat::StateSeparator);
    case Qt::FontRole: {
        QFont font;
        font.setStrikeOut(!item.inFight);
        font.setBold(item.current);
        font.setItalic(item.hidden);
        return font;
    }
    case Qt::AccessibleDescriptionRole: {
        QStringList said;
        if (!item.inFight)
            said << QStringLiteral("Out of the fight");
        // The words the list shows, each heard as a phrase of its own; "hidden" said whole.
        for (const QString &word : item.state) {
            if (word == QStringLiteral("hidden"))
                said << QStringLiteral("Hidden from the players");
            else
                said << word.front().toUpper() + word.mid(1);
        }
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
