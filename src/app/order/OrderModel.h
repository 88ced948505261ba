#pragma once

#include "combat/Turns.h"
#include "document/PlayersView.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QList>
#include <QString>

class CombatDocument;
class QListView;

// The fighting-order list as the document has it, for the game master's list: each item's
// text as calculated, its combatant's name, whether they are still in the fight, their timed
// conditions while they are, and which item is the current turn. It also keeps whose health
// the players' screens tell in words, a view setting both windows change.
class OrderModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        StateRole = Qt::UserRole + 1, // "dying · hidden · Stunned 2": the words beside the item in the main list
        NameRole,
        InFightRole,
        CurrentRole,
    };

    // Whose health the players' screens tell.
    using HealthWords = players::HealthWords;

    explicit OrderModel(const CombatDocument &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The text as calculated, struck through out of the fight, bold when current, italic
    // when hidden; screen readers hear the state and the conditions as the description.
    // The grey is the delegate's, from the list's own palette.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    int markedItem() const;

    HealthWords healthWords() const { return m_words; }
    void setHealthWords(HealthWords words);
    // Everyone, monsters only, nobody, and round again.
    void nextHealthWords();

signals:
    // The items were shown again (the marker may have moved).
    void shown();

private:
    struct Item
    {
        bool inFight = false;
        bool current = false;
        bool hidden = false;
        QStringList state;
        bool operator==(const Item &) const = default;
    };

    Item itemAt(int index, combat::Wait wait) const;
    void reset();
    void update();

    const CombatDocument &m_document;
    QList<Item> m_items; // as last shown: only what changed is told to the views
    HealthWords m_words = HealthWords::Everyone;
};

// Makes the marked item the list's current one, in sight, and tells screen readers of it
// even while the focus is elsewhere; nothing when it already is.
void showMarked(QListView *list, int marked, QItemSelectionModel::SelectionFlags selection);
