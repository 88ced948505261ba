#pragma once

#include "document/CombatState.h"

#include <QList>
#include <QString>

// One history of changes to the combat, not one per field. Each step keeps the
// whole state before and after it; texts are implicitly shared with the window and
// with neighbouring steps, so a step costs about what it changed.
//
// The history is bounded twice: by a number of steps, and by the bytes of text that
// its steps changed, so a huge note edited many times cannot fill the memory.
// The oldest steps go first; the newest step is always kept.
class UndoHistory
{
public:
    static constexpr int MaxSteps = 500;
    static constexpr qsizetype MaxBytes = qsizetype(64) * 1024 * 1024;

    // Adds a step after the current one (dropping what could be redone). A step
    // whose non-empty `mergeKey` equals the newest step's, while merging is open,
    // extends that step instead: successive keystrokes in one field are one step.
    // A step that changes nothing, also once merged, is no step.
    // A `fight` step is one of the fight's commands (a turn, a blow or condition from the bar,
    // the order), after whose undoing the keyboard goes back to the fight.
    void push(const QString &text, const CombatState &before, const CombatState &after,
              const QString &mergeKey = QString(), bool fight = false);
    // The next push starts a step of its own (the user moved on to something else).
    void closeMerge() { m_mergeOpen = false; }
    // The next push with `mergeKey` extends the newest step if that step has the key, even
    // after the user moved on: the blow and the amount typed for it are one step. The
    // extended step takes the newest name.
    void reopenMerge(const QString &mergeKey)
    {
        if (!canRedo() && canUndo() && m_steps.last().mergeKey == mergeKey)
            m_mergeOpen = true;
    }

    bool canUndo() const { return m_current > 0; }
    bool canRedo() const { return m_current < m_steps.size(); }
    QString undoText() const { return canUndo() ? m_steps.at(m_current - 1).text : QString(); }
    QString redoText() const { return canRedo() ? m_steps.at(m_current).text : QString(); }
    // The step Undo or Redo would take is one of the fight's commands.
    bool undoIsFight() const { return canUndo() && m_steps.at(m_current - 1).fight; }
    bool redoIsFight() const { return canRedo() && m_steps.at(m_current).fight; }

    // The state to show after undoing or redoing one step; the caller checks canUndo/canRedo.
    const CombatState &undo();
    const CombatState &redo();

    int count() const { return int(m_steps.size()); }
    qsizetype bytes() const { return m_bytes; }

private:
    struct Step
    {
        QString text;
        CombatState before;
        CombatState after;
        QString mergeKey;
        qsizetype bytes = 0;
        bool fight = false;
    };

    static qsizetype changedBytes(const CombatState &before, const CombatState &after);
    void trim();

    QList<Step> m_steps;
    qsizetype m_current = 0; // steps before this index are done; from it on they can be redone
    qsizetype m_bytes = 0;
    bool m_mergeOpen = false;
};
