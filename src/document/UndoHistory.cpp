#include "document/UndoHistory.h"

#include "roster/Fields.h"

namespace {

// A text that differs between the two sides is held by the step (on both sides,
// counted conservatively); one that is the same is shared and costs nothing here.
qsizetype textBytes(const QString &a, const QString &b)
{
    if (a.constData() == b.constData() || a == b)
        return 0;
    return (a.size() + b.size()) * qsizetype(sizeof(QChar));
}

qsizetype rowBytes(const roster::Row &a, const roster::Row &b)
{
    qsizetype bytes = textBytes(a.amount, b.amount);
    for (const roster::FieldInfo &field : roster::RowFields)
        bytes += textBytes(a.*field.text, b.*field.text);
    return bytes;
}

} // namespace

qsizetype UndoHistory::changedBytes(const CombatState &before, const CombatState &after)
{
    // The fixed part: two copies of the roster's string handles.
    qsizetype bytes = 2 * qsizetype(sizeof(CombatState));
    for (int r = 0; r < roster::RowCount; ++r)
        bytes += rowBytes(before.roster.rows[r], after.roster.rows[r]);
    bytes += textBytes(before.roster.generalNote, after.roster.generalNote);
    // The fight's record: each side's turns that the other does not share, and a new list.
    bytes += combat::unsharedBytes(before.turn, after.turn) + combat::unsharedBytes(after.turn, before.turn);
    if (before.order.constData() != after.order.constData()) {
        for (const auto *order : {&before.order, &after.order}) {
            for (const combat::OrderEntry &entry : *order)
                bytes += qsizetype(sizeof(entry)) + (entry.text.size() + entry.name.size()) * qsizetype(sizeof(QChar));
        }
    }
    return bytes;
}

void UndoHistory::push(const QString &text, const CombatState &before, const CombatState &after,
                       const QString &mergeKey, bool fight)
{
    // Whatever could be redone is gone once something new happens.
    while (m_steps.size() > m_current) {
        m_bytes -= m_steps.last().bytes;
        m_steps.removeLast();
    }

    if (m_mergeOpen && !mergeKey.isEmpty() && !m_steps.isEmpty() && m_steps.last().mergeKey == mergeKey) {
        Step &newest = m_steps.last();
        m_bytes -= newest.bytes;
        if (newest.before == after) {
            // Typed and taken back: the step changes nothing any more.
            m_steps.removeLast();
            m_current = m_steps.size();
            m_mergeOpen = false; // the step before it is another edit
            return;
        }
        newest.text = text; // an amount typed, then the blow: the step is the blow
        newest.after = after;
        newest.fight = fight;
        newest.bytes = changedBytes(newest.before, newest.after);
        m_bytes += newest.bytes;
    } else if (before == after) {
        return;
    } else {
        Step step{text, before, after, mergeKey, changedBytes(before, after), fight};
        m_bytes += step.bytes;
        m_steps.append(std::move(step));
    }
    m_current = m_steps.size();
    m_mergeOpen = !mergeKey.isEmpty();
    trim();
}

void UndoHistory::trim()
{
    qsizetype dropped = 0;
    while (m_steps.size() - dropped > 1
           && (m_steps.size() - dropped > MaxSteps || m_bytes > MaxBytes)) {
        m_bytes -= m_steps.at(dropped).bytes;
        ++dropped;
    }
    if (dropped > 0) {
        m_steps.remove(0, dropped);
        m_current -= dropped;
    }
}

const CombatState &UndoHistory::undo()
{
    m_mergeOpen = false;
    return m_steps.at(--m_current).before;
}

const CombatState &UndoHistory::redo()
{
    m_mergeOpen = false;
    return m_steps.at(m_current++).after;
}
