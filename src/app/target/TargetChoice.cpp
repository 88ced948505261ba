#include "app/target/TargetChoice.h"

#include "combat/Targets.h"
#include "document/CombatDocument.h"

#include <algorithm>

void TargetChoice::start(int row)
{
    m_added.clear();
    m_saved.clear();
    m_seen.clear();
    const bool isOffered = offered().contains(row);
    setChosen(isOffered ? row : -1);
    m_chosenCounts = true;
    m_followsTurn = isOffered && row == m_document.currentRow();
}

QList<int> TargetChoice::offered() const
{
    if (m_offer == Offer::Waiting)
        return m_document.waitingRows();
    QList<int> rows = combat::targetRows(m_document.order(), m_document.roster());
    if (m_offer == Offer::Named) {
        for (int r = 0; r < roster::RowCount; ++r) {
            if (!m_document.row(r).name.isEmpty() && !rows.contains(r))
                rows.append(r);
        }
    }
    return rows;
}

QList<int> TargetChoice::targets() const
{
    QList<int> rows = m_added;
    if (m_chosen >= 0 && m_chosenCounts && !rows.contains(m_chosen))
        rows.append(m_chosen);
    return rows;
}

int TargetChoice::aimed() const
{
    if (m_chosen >= 0 && m_chosenCounts)
        return m_chosen;
    return m_added.isEmpty() ? -1 : m_added.last();
}

bool TargetChoice::choose(const QString &typed)
{
    m_followsTurn = false;
    m_chosenCounts = true;
    setChosen(combat::findTarget(offered(), m_document.roster(), typed));
    return m_chosen >= 0;
}

void TargetChoice::step(int by)
{
    m_followsTurn = false;
    const QList<int> rows = offered();
    if (rows.isEmpty())
        return;
    qsizetype at = rows.indexOf(m_chosen);
    if (at < 0)
        at = rows.indexOf(m_document.currentRow()); // from the turn, not from the top
    const qsizetype next = at < 0 ? (by > 0 ? 0 : rows.size() - 1) : std::clamp<qsizetype>(at + by, 0, rows.size() - 1);
    m_chosenCounts = true;
    setChosen(rows[next]);
}

bool TargetChoice::add(bool saved)
{
    if (m_chosen < 0)
        return false;
    m_followsTurn = false;
    if (saved && m_saved.contains(m_chosen))
        m_saved.removeAll(m_chosen);
    else if (saved)
        m_saved.append(m_chosen);
    if (!m_added.contains(m_chosen))
        m_added.append(m_chosen);
    const QList<int> rows = offered();
    const qsizetype from = rows.indexOf(m_chosen) + 1;
    int next = -1;
    for (qsizetype i = 0; i < rows.size() && next < 0; ++i) {
        const int r = rows[(from + i) % rows.size()];
        if (!m_added.contains(r))
            next = r;
    }
    setChosen(next);
    m_chosenCounts = false;
    return true;
}

QList<int> TargetChoice::savedTargets() const
{
    QList<int> rows;
    for (const int r : targets()) {
        if (m_saved.contains(r))
            rows.append(r);
    }
    return rows;
}

QStringList TargetChoice::follow()
{
    const int current = m_document.currentRow();
    const QList<int> rows = offered();
    if (m_followsTurn && m_added.isEmpty() && current != m_chosen)
        setChosen(rows.contains(current) ? current : -1);
    if (m_chosen >= 0 && !m_chosenCounts && (!rows.contains(m_chosen) || !stillHolds(m_chosen)))
        m_chosen = -1; // only offered: it goes without a word
    QStringList gone;
    for (const int r : targets()) {
        if (rows.contains(r) && stillHolds(r))
            continue;
        gone.append(nameSeen(r));
        m_added.removeAll(r);
        m_saved.removeAll(r);
        if (m_chosen == r)
            m_chosen = -1;
    }
    return gone;
}

void TargetChoice::setChosen(int row)
{
    m_chosen = row;
    if (row >= 0)
        m_seen[row] = Seen{m_document.row(row).serial, m_document.row(row).name};
}

bool TargetChoice::stillHolds(int row) const
{
    const Seen seen = m_seen.value(row);
    return seen.serial == m_document.row(row).serial && seen.name == m_document.row(row).name;
}
