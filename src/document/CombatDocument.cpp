#include "document/CombatDocument.h"

#include "roster/Fields.h"

namespace {

// How the window names a change it made without a step: "typing in Row 19 amount",
// after the one field that differs, or "Changes" when several do.
QString unrecordedChangeName(const roster::Roster &from, const roster::Roster &to)
{
    QStringList places;
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &a = from.rows[static_cast<std::size_t>(r)];
        const roster::Row &b = to.rows[static_cast<std::size_t>(r)];
        const QString row = QStringLiteral("Row %1 ").arg(r + 1);
        for (const roster::FieldInfo &field : roster::RowFields) {
            if (a.*field.text != b.*field.text)
                places << row + QLatin1StringView(field.caption);
        }
        if (a.amount != b.amount)
            places << row + QStringLiteral("amount");
        if (a.check != b.check || a.down != b.down)
            places << row + QStringLiteral("include");
    }
    if (from.generalNote != to.generalNote)
        places << QStringLiteral("Other Notes");
    return places.size() == 1 ? QStringLiteral("typing in ") + places.constFirst() : QStringLiteral("Changes");
}

} // namespace

CombatDocument::CombatDocument(QObject *parent)
    : QObject(parent)
{
}

int CombatDocument::markedItem() const
{
    return combat::itemOf(m_order, m_state.turn.current());
}

bool CombatDocument::isInFight(int item) const
{
    return item >= 0 && item < m_order.size() && combat::isInFight(m_order[item], m_state.roster);
}

int CombatDocument::currentRow() const
{
    return markedItem() >= 0 ? m_state.turn.current().row : -1;
}

void CombatDocument::recordShown(const roster::Roster &shown)
{
    if (shown == m_state.roster)
        return;
    CombatState next = m_state;
    next.roster = shown;
    m_history.closeMerge();
    commit(std::move(next), unrecordedChangeName(m_state.roster, shown), QString());
    m_history.closeMerge();
}

void CombatDocument::commit(CombatState next, const QString &what, const QString &mergeKey)
{
    m_history.push(what, m_state, next, mergeKey);
    m_state = std::move(next);
    emit changed();
}

void CombatDocument::edited(const roster::Roster &shown, const QString &what, const QString &mergeKey)
{
    CombatState next = m_state;
    next.roster = shown;
    if (next == m_state && mergeKey.isEmpty())
        return;
    commit(std::move(next), what, mergeKey);
}

void CombatDocument::run(const roster::Roster &shown, const QString &what, const Change &change,
                         const QString &mergeKey)
{
    recordShown(shown);
    CombatState next = m_state;
    change(next); // may throw: nothing is committed then
    if (mergeKey.isEmpty())
        m_history.closeMerge();
    commit(std::move(next), what, mergeKey);
}

bool CombatDocument::undo(const roster::Roster &shown)
{
    recordShown(shown);
    if (!m_history.canUndo())
        return false;
    m_state = m_history.undo();
    emit changed();
    return true;
}

bool CombatDocument::redo(const roster::Roster &shown)
{
    recordShown(shown);
    if (!m_history.canRedo())
        return false;
    m_state = m_history.redo();
    emit changed();
    return true;
}

void CombatDocument::calculateOrder(const roster::Roster &shown)
{
    recordShown(shown);
    // Computed in full before anything changes: an unreadable initiative keeps the old list.
    const QList<combat::OrderEntry> order = combat::fightingOrderEntries(m_state.roster);
    m_state.turn = combat::afterRecalculation(m_state.turn, m_order, order);
    // The list is no part of the history: the turn follows its combatant without a step.
    m_order = std::move(order);
    emit orderChanged();
    emit changed();
}

void CombatDocument::nextTurn(const roster::Roster &shown)
{
    run(shown, QStringLiteral("Next Turn"), [this](CombatState &next) {
        const combat::Turn before = next.turn;
        next.turn = combat::nextTurn(before, m_order, next.roster);
        if (next.turn.acted == before.acted && next.turn.round == before.round)
            return; // nobody to mark
        next.turn.ticks.resize(next.turn.acted.size() - 1); // a turn of unknown ticks stays without one
        // The start of the marked combatant's turn: their timed conditions count down.
        QString &note = next.roster.rows[static_cast<std::size_t>(next.turn.current().row)].note;
        combat::ConditionTick tick = combat::tickConditions(note);
        note = tick.note;
        next.turn.ticks << std::move(tick);
    });
}

void CombatDocument::previousTurn(const roster::Roster &shown)
{
    run(shown, QStringLiteral("Previous Turn"), [this](CombatState &next) {
        const combat::Turn before = next.turn;
        next.turn = combat::previousTurn(before, m_order, next.roster);
        if (next.turn == before)
            return;
        // Give back what the start of the turn taken back took off, unless the note changed since.
        if (before.ticks.size() == before.acted.size() && !before.ticks.isEmpty()) {
            const combat::ConditionTick &tick = before.ticks.constLast();
            QString &note = next.roster.rows[static_cast<std::size_t>(before.current().row)].note;
            if (note == tick.note)
                note = combat::untickConditions(note, tick.removed);
        }
    });
}

files::LoadOutcome CombatDocument::load(const QString &path, const roster::Roster &shown)
{
    recordShown(shown);
    // The loader works on a copy: the combat changes only when the whole load succeeds.
    files::LoadOutcome outcome = files::loadCombatFile(path, m_state.roster);
    if (outcome.status != files::LoadOutcome::Status::Loaded)
        return outcome;
    run(shown, QStringLiteral("Load Combat"), [&outcome](CombatState &next) {
        next = CombatState{outcome.roster, {}};
    });
    m_lastCombatPath = path;
    return outcome;
}

CombatDocument::AddOutcome CombatDocument::addCombatants(const QString &path, const roster::Roster &shown)
{
    recordShown(shown);
    AddOutcome outcome{files::loadCombatFile(path, m_state.roster), {}};
    if (outcome.load.status != files::LoadOutcome::Status::Loaded)
        return outcome;
    m_lastAddedPath = path;
    CombatState next = m_state;
    outcome.added = combat::addCombatants(next.roster, outcome.load.roster);
    if (!outcome.added.rows.isEmpty())
        commit(std::move(next), QStringLiteral("Add Combatants (%1)").arg(outcome.added.rows.size()), QString());
    return outcome;
}

files::SaveOutcome CombatDocument::save(const QString &path, const roster::Roster &shown)
{
    recordShown(shown);
    m_savePath = path;
    files::SaveOutcome outcome = files::saveCombatFile(m_state.roster, path);
    if (outcome.ok)
        m_lastCombatPath = path;
    return outcome;
}
