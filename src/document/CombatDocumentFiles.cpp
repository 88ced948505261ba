// The document's commands that read or write a file: load, restore, add combatants, save.
#include "document/CombatDocument.h"

#include "combat/DownRow.h"
#include "files/ProgramVersion.h"
#include "files/StateFile.h"

namespace {

// Why a file was not read, after what its folder's earlier save left to say.
CommandResult notRead(const files::LoadOutcome &outcome)
{
    CommandResult result = CommandResult::refused(outcome.message);
    if (outcome.status == files::LoadOutcome::Status::Failed)
        result.titled(files::unknownErrorTitle(outcome.message));
    return result.notice(outcome.notice);
}

// What the user must read of a file read whole: an earlier save undone, an old version, a
// file cut short.
CommandResult readWhole(const files::LoadOutcome &outcome)
{
    CommandResult result = CommandResult::done();
    result.notice(outcome.notice);
    if (outcome.oldVersionRow)
        result.notice(files::oldVersionWarningText(files::programVersionText()), files::OldVersionTitle,
                      CommandResult::Notice::Weight::Stop);
    return result.notice(outcome.cutNotice, files::CutOffTitle).notice(outcome.numberNotice);
}

} // namespace

void CombatDocument::downByTheRule(roster::Row &row) const
{
    // The loader keeps the rule at -10, as the file was written by; Monsters Die at 0 is ours.
    if (!m_downRule.monstersAtZero)
        return;
    try {
        combat::applyDownRowRule(row, m_downRule);
    } catch (const roster::FieldError &) {
        // Hit points too large to use: the loader has said so, and the row stays as it came.
    }
}

void CombatDocument::takeLoaded(files::LoadOutcome &outcome, const QString &what)
{
    for (roster::Row &loaded : outcome.roster.rows)
        downByTheRule(loaded);
    // The list stays as it was until the order is calculated again; the turns start anew.
    // Every row is filled anew: the list's items no longer stand for anyone in them.
    for (int r = 0; r < roster::RowCount; ++r)
        outcome.roster.rows[static_cast<std::size_t>(r)].serial = row(r).serial + 1;
    // A file that kept its fight brings it back as it was: the list, the round and the turn.
    if (outcome.fight) {
        files::bindFight(*outcome.fight, outcome.roster);
        (void)commit(CombatState{outcome.roster, outcome.fight->order, outcome.fight->turn}, what);
    } else {
        (void)commit(CombatState{outcome.roster, m_state.order, {}}, what);
    }
}

bool CombatDocument::hasUnsavedChanges() const
{
    return !sameInAFile(m_state, m_savedState);
}

CommandResult CombatDocument::load(const QString &path)
{
    // The loader works on a copy: the combat changes only when the whole load succeeds.
    files::LoadOutcome outcome = files::loadCombatFile(path, m_state.roster);
    if (outcome.status != files::LoadOutcome::Status::Loaded)
        return notRead(outcome);
    takeLoaded(outcome, QStringLiteral("Load Combat"));
    m_lastCombatPath = path;
    m_savedState = m_state;
    emit saved();
    return readWhole(outcome).notice(outcome.fightNotice);
}

CommandResult CombatDocument::restore(const QByteArray &stateFileBytes)
{
    files::LoadOutcome outcome = files::loadStateFile(stateFileBytes, m_state.roster);
    if (outcome.status != files::LoadOutcome::Status::Loaded)
        return CommandResult::refused(outcome.message);
    takeLoaded(outcome, QStringLiteral("Restore Combat"));
    return readWhole(outcome).notice(outcome.fightNotice);
}

CommandResult CombatDocument::addCombatants(const QString &path)
{
    const files::LoadOutcome outcome = files::loadCombatFile(path, m_state.roster);
    if (outcome.status != files::LoadOutcome::Status::Loaded)
        return notRead(outcome);
    m_lastAddedPath = path;
    CombatState next = m_state;
    const combat::Reinforcement added = combat::addCombatants(next.roster, outcome.roster);
    if (added.rows.isEmpty())
        return CommandResult::refused(files::nothingAddedText(path, added.named, added.free)).notice(outcome.notice);
    for (const int r : added.rows) {
        renewCombatant(next, r);
        downByTheRule(next.roster.rows[static_cast<std::size_t>(r)]);
    }
    (void)commit(std::move(next), QStringLiteral("Add Combatants (%1)").arg(added.rows.size()));
    return readWhole(outcome); // a fight in the file is none of the running fight's
}

CommandResult CombatDocument::addRows(const QList<Arrival> &arrivals, const QString &what)
{
    roster::Roster coming;
    int named = 0;
    for (const Arrival &arrival : arrivals) {
        for (int i = 0; i < arrival.count; ++i) {
            if (named == roster::RowCount)
                return CommandResult::refused(
                    QStringLiteral("More than %1 combatants: the roster holds %1 rows; nothing was added.").arg(roster::RowCount));
            coming.rows[static_cast<std::size_t>(named++)] = arrival.row;
        }
    }
    if (named == 0)
        return CommandResult::refused(QStringLiteral("No combatant to add: give one a count of 1 or more."));
    CombatState next = m_state;
    const combat::Reinforcement added = combat::addCombatants(next.roster, coming);
    if (added.rows.isEmpty())
        return CommandResult::refused(QStringLiteral("%1 combatants, but only %2 rows are free; nothing was added.")
                                          .arg(added.named)
                                          .arg(added.free));
    for (const int r : added.rows) {
        renewCombatant(next, r);
        downByTheRule(next.roster.rows[static_cast<std::size_t>(r)]);
    }
    return commit(std::move(next), QStringLiteral("%1 (%2)").arg(what).arg(added.rows.size()));
}

CommandResult CombatDocument::save(const QString &path)
{
    m_savePath = path;
    const files::SaveOutcome outcome = files::saveCombatFile(
        m_state.roster, path, files::fightSectionText(m_state.roster, m_state.order, m_state.turn));
    if (!outcome.ok)
        return CommandResult::refused(outcome.error).notice(outcome.notice);
    m_lastCombatPath = path;
    m_savedState = m_state;
    emit saved();
    return CommandResult::done().notice(outcome.notice);
}
