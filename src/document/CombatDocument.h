#pragma once

#include "combat/FightingOrder.h"
#include "combat/Reinforcements.h"
#include "combat/TurnTracker.h"
#include "document/CombatState.h"
#include "document/UndoHistory.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// One combat beyond the window that shows it: its state as of the newest step of
// the undo history, the fighting-order list as last calculated with whose turn it
// is, and the files it was saved to or loaded from.
//
// The window passes what it shows to every command. What the window shows that no
// step has recorded yet (a text set by an assistive tool, say) first becomes a step
// of its own, so that undoing the command brings back exactly what was on screen.
class CombatDocument : public QObject
{
    Q_OBJECT

public:
    using Change = std::function<void(CombatState &)>;

    explicit CombatDocument(QObject *parent = nullptr);

    const CombatState &state() const { return m_state; }
    // The fighting-order list as last calculated, and the item of the current turn (-1: none).
    const QList<combat::OrderEntry> &order() const { return m_order; }
    int markedItem() const;
    // The item's combatant is still in the fight (its row holds them, not down, included).
    bool isInFight(int item) const;
    // The row of the current combatant, or -1.
    int currentRow() const;
    const UndoHistory &history() const { return m_history; }

    // The path last chosen in the save dialog, and the last combat file saved or loaded.
    const QString &savePath() const { return m_savePath; }
    const QString &lastCombatPath() const { return m_lastCombatPath; }
    // The last file whose combatants were added.
    const QString &lastAddedPath() const { return m_lastAddedPath; }

    // The user changed what is shown: recorded as a step named `what`. Successive
    // edits under one non-empty merge key are one step until closeMerge().
    void edited(const roster::Roster &shown, const QString &what, const QString &mergeKey = QString());
    void closeMerge() { m_history.closeMerge(); }

    // Runs `change` on the shown combat and records the result as one step. When
    // `change` throws, nothing of it is kept and the error goes on to the caller.
    void run(const roster::Roster &shown, const QString &what, const Change &change,
             const QString &mergeKey = QString());

    // One step back or forward; false when there is none.
    bool undo(const roster::Roster &shown);
    bool redo(const roster::Roster &shown);

    // Calculates the list again; the turn stays with its combatant. Throws the
    // order's error, and then the list and the turn stay as they were.
    void calculateOrder(const roster::Roster &shown);
    void nextTurn(const roster::Roster &shown);
    void previousTurn(const roster::Roster &shown);

    // Loads the file at `path` as one step; any other outcome changes nothing.
    files::LoadOutcome load(const QString &path, const roster::Roster &shown);
    // Adds the named rows of the combat file at `path` to the free rows, as one step
    // (combat::addCombatants); the file is read as a load reads it.
    struct AddOutcome
    {
        files::LoadOutcome load;
        combat::Reinforcement added;
    };
    AddOutcome addCombatants(const QString &path, const roster::Roster &shown);
    // Saves the shown combat to `path`, which becomes the save path.
    files::SaveOutcome save(const QString &path, const roster::Roster &shown);

signals:
    // The state, the turn or the history changed: show them again.
    void changed();
    // The list was calculated again.
    void orderChanged();

private:
    void recordShown(const roster::Roster &shown);
    void commit(CombatState next, const QString &what, const QString &mergeKey);

    UndoHistory m_history;
    CombatState m_state;
    QList<combat::OrderEntry> m_order;
    QString m_savePath;
    QString m_lastCombatPath;
    QString m_lastAddedPath;
};
