#include "document/CombatDocument.h"

#include "combat/Clearing.h"
#include "combat/Damage.h"
#include "combat/DownRow.h"
#include "combat/Health.h"
#include "combat/NoteTags.h"
#include "combat/RowErrors.h"
#include "combat/SpinStep.h"
#include "files/StateFile.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/ShownText.h"

#include <cmath>

namespace {

// The merge keys: successive edits of one text, or steps of one held spin button.
QString fieldKey(int row, roster::Field field)
{
    return QStringLiteral("field %1 %2").arg(row).arg(int(field));
}

QString amountKey(int row)
{
    return QStringLiteral("amount %1").arg(row);
}

const QString NoteKey = QStringLiteral("note");

// The same items, whatever the hit points they followed since.
bool sameItems(const QList<combat::OrderEntry> &a, const QList<combat::OrderEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.row == y.row && x.serial == y.serial && x.text == y.text;
    });
}

QString rowPlace(int row, const char *what)
{
    return QStringLiteral("Row %1 %2").arg(row + 1).arg(QLatin1StringView(what));
}

// The down-row rule after a change of hit points: a number beyond a double names the row.
void applyDownRowRule(roster::Row &row, int index)
{
    try {
        combat::applyDownRowRule(row);
    } catch (const roster::FieldError &) {
        throw combat::hitPointsOutOfRange(index, row.name, row.hp);
    }
}

} // namespace

CombatDocument::CombatDocument(QObject *parent)
    : QObject(parent)
{
}

int CombatDocument::markedItem() const
{
    return combat::itemOf(m_state.order, m_state.turn.current());
}

bool CombatDocument::isInFight(int item) const
{
    return item >= 0 && item < m_state.order.size() && combat::isInFight(m_state.order[item], m_state.roster);
}

int CombatDocument::currentRow() const
{
    return markedItem() >= 0 ? m_state.turn.current().row : -1;
}

bool CombatDocument::currentRowHolds() const
{
    const int item = markedItem();
    return item >= 0 && combat::holdsCombatant(m_state.order[item], m_state.roster);
}

QString CombatDocument::rowLabel(int index) const
{
    return combat::rowPlace(index, row(index).name);
}

void CombatDocument::commit(CombatState next, const QString &what, const QString &mergeKey)
{
    if (mergeKey.isEmpty())
        m_history.closeMerge();
    // A row emptied of its name (typed away, Clear, New Combat) has lost the combatant the
    // list knows it by; a rename keeps it.
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = next.roster.rows[static_cast<std::size_t>(r)];
        const roster::Row &was = this->row(r);
        if (row.name.isEmpty() && !was.name.isEmpty() && row.serial == was.serial
            && combat::itemOf(next.order, {r, was.serial}) >= 0)
            ++row.serial;
    }
    combat::followHitPoints(next.order, next.roster);
    if (next == m_state && mergeKey.isEmpty())
        return;
    const bool orderChanges = !sameItems(next.order, m_state.order);
    m_history.push(what, m_state, next, mergeKey);
    m_state = std::move(next);
    if (orderChanges)
        emit orderChanged();
    emit changed();
}

void CombatDocument::show(const CombatState &state)
{
    const bool orderChanges = !sameItems(state.order, m_state.order);
    m_state = state;
    if (orderChanges)
        emit orderChanged();
    emit changed();
}

void CombatDocument::edit(const QString &what, const QString &mergeKey,
                          const std::function<void(roster::Roster &)> &change)
{
    CombatState next = m_state;
    change(next.roster);
    if (next == m_state)
        return;
    commit(std::move(next), what, mergeKey);
}

void CombatDocument::setFieldText(int r, roster::Field field, const QString &text)
{
    const roster::FieldInfo &info = roster::fieldInfo(field);
    edit(QStringLiteral("typing in ") + rowPlace(r, info.caption), fieldKey(r, field),
         [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].*info.text = text; });
}

QList<combat::RollRecord> CombatDocument::rollInitiative(combat::Dice &dice, bool monstersOnly)
{
    combat::InitiativeRolls rolls = combat::rollInitiative(m_state.roster, dice, monstersOnly);
    edit(monstersOnly ? QStringLiteral("Roll Initiative for Monsters") : QStringLiteral("Roll Initiative"), QString(),
         [&](roster::Roster &next) { next = rolls.roster; });
    return rolls.records;
}

void CombatDocument::setAmount(int r, const QString &text)
{
    edit(QStringLiteral("typing in ") + rowPlace(r, "amount"), amountKey(r),
         [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].amount = text; });
}

void CombatDocument::setGeneralNote(const QString &text)
{
    edit(QStringLiteral("typing in Other Notes"), NoteKey, [&](roster::Roster &next) { next.generalNote = text; });
}

void CombatDocument::setIncluded(int r, bool included)
{
    closeMerge();
    edit((included ? QStringLiteral("Include ") : QStringLiteral("Exclude ")) + rowLabel(r), QString(),
         [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].check = included ? 1 : 0; });
}

bool CombatDocument::stepSpin(int r, SpinField field, int direction, bool held)
{
    // A held click or key is one step of the history, however often it repeats.
    if (!held)
        closeMerge();
    const bool hitPoints = field == SpinField::HitPoints;
    CombatState next = m_state;
    roster::Row &row = next.roster.rows[static_cast<std::size_t>(r)];
    QString &text = hitPoints ? row.hp : row.ac;
    std::optional<QString> stepped;
    try {
        stepped = combat::spinStep(text, direction);
    } catch (const roster::FieldError &) {
        throw hitPoints ? combat::hitPointsOutOfRange(r, row.name, text)
                        : combat::armourClassOutOfRange(r, row.name, text);
    }
    if (!stepped)
        return false;
    text = *stepped;
    if (hitPoints)
        applyDownRowRule(row, r);
    commit(std::move(next), (hitPoints ? QStringLiteral("HP step in ") : QStringLiteral("AC step in ")) + rowLabel(r),
           QStringLiteral("spin %1 %2").arg(r).arg(int(field)));
    return true;
}

void CombatDocument::subtract(int r)
{
    CombatState next = m_state;
    combat::subtractDamage(next.roster.rows[static_cast<std::size_t>(r)]);
    // The amount typed for the blow and the blow are one step.
    m_history.reopenMerge(amountKey(r));
    commit(std::move(next), QStringLiteral("Substract ") + rowLabel(r), amountKey(r));
    closeMerge();
}

int CombatDocument::blow(const QList<int> &rows, double amount)
{
    CombatState next = m_state;
    for (const int r : rows) {
        // A row without a name holds nobody to strike.
        roster::Row &target = next.roster.rows[static_cast<std::size_t>(r)];
        if (target.name.isEmpty() || !combat::takeBlow(target, amount))
            return r;
    }
    const QString verb = amount < 0 ? QStringLiteral("Heal ") : QStringLiteral("Damage ");
    const QString whom = rows.size() == 1 ? roster::shownText(row(rows.first()).name, roster::ShownNameLength)
                                          : QStringLiteral("%1 combatants").arg(rows.size());
    commit(std::move(next), QStringLiteral("%1%2 (%3)").arg(verb, whom, roster::numberToText(std::abs(amount))));
    return -1;
}

void CombatDocument::clearRow(int r)
{
    CombatState next = m_state;
    combat::clearRow(next.roster.rows[static_cast<std::size_t>(r)]);
    commit(std::move(next), QStringLiteral("Clear ") + rowLabel(r));
}

void CombatDocument::newCombat()
{
    CombatState next = m_state;
    combat::newCombat(next.roster);
    next.turn = {};
    commit(std::move(next), QStringLiteral("New Combat"));
}

void CombatDocument::calculateOrder()
{
    CombatState next = m_state;
    // Computed in full before anything changes: an unreadable initiative keeps the old list.
    next.order = combat::fightingOrderEntries(next.roster);
    for (combat::OrderEntry &item : next.order) {
        // A combatant already in the fight keeps the most hit points it had.
        if (const int before = combat::itemOf(m_state.order, combat::combatantOf(item)); before >= 0)
            item.highest = std::max(item.highest, m_state.order[before].highest);
    }
    combat::afterRecalculation(next.turn, m_state.order, next.order);
    commit(std::move(next), QStringLiteral("Calculate Fighting Order"));
}

void CombatDocument::nextTurn()
{
    CombatState next = m_state;
    if (combat::nextTurn(next.turn, next.order, next.roster))
        commit(std::move(next), QStringLiteral("Next Turn"));
}

void CombatDocument::previousTurn()
{
    CombatState next = m_state;
    if (combat::previousTurn(next.turn, next.order, next.roster))
        commit(std::move(next), QStringLiteral("Previous Turn"));
}

bool CombatDocument::addCondition(int r, const QString &name, int rounds)
{
    return addCondition(QList<int>{r}, name, rounds);
}

bool CombatDocument::addCondition(const QList<int> &rows, const QString &name, int rounds)
{
    if (rows.isEmpty() || !combat::isConditionName(name) || rounds < 1 || rounds > combat::MaximumConditionRounds)
        return false;
    if (std::any_of(rows.begin(), rows.end(), [this](int r) { return row(r).name.isEmpty(); }))
        return false; // nobody there to suffer it
    CombatState next = m_state;
    for (const int r : rows) {
        QString &note = next.roster.rows[static_cast<std::size_t>(r)].note;
        note = combat::withCondition(note, name, rounds);
    }
    const QString whom = rows.size() == 1 ? roster::shownText(row(rows.first()).name, roster::ShownNameLength)
                                          : QStringLiteral("%1 combatants").arg(rows.size());
    commit(std::move(next), QStringLiteral("Add %1 to %2 (%3)").arg(name.trimmed(), whom).arg(rounds));
    return true;
}

void CombatDocument::toggleHidden(int r)
{
    CombatState next = m_state;
    QString &note = next.roster.rows[static_cast<std::size_t>(r)].note;
    const bool hidden = combat::hasTag(note, combat::HiddenTag);
    note = hidden ? combat::withoutTag(note, combat::HiddenTag).note : combat::withTag(note, combat::HiddenTag);
    commit(std::move(next), (hidden ? QStringLiteral("Reveal ") : QStringLiteral("Hide ")) + rowLabel(r));
}

bool CombatDocument::undo()
{
    if (!m_history.canUndo())
        return false;
    show(m_history.undo());
    return true;
}

bool CombatDocument::redo()
{
    if (!m_history.canRedo())
        return false;
    show(m_history.redo());
    return true;
}

void CombatDocument::takeLoaded(files::LoadOutcome &outcome, const QString &what)
{
    // The list stays as it was until the order is calculated again; the turns start anew.
    // Every row is filled anew: the list's items no longer stand for anyone in them.
    for (int r = 0; r < roster::RowCount; ++r)
        outcome.roster.rows[static_cast<std::size_t>(r)].serial = row(r).serial + 1;
    // A file that kept its fight brings it back as it was: the list, the round and the turn.
    if (outcome.fight) {
        files::bindFight(*outcome.fight, outcome.roster);
        commit(CombatState{outcome.roster, outcome.fight->order, outcome.fight->turn}, what);
    } else {
        commit(CombatState{outcome.roster, m_state.order, {}}, what);
    }
}

files::LoadOutcome CombatDocument::load(const QString &path)
{
    // The loader works on a copy: the combat changes only when the whole load succeeds.
    files::LoadOutcome outcome = files::loadCombatFile(path, m_state.roster);
    if (outcome.status != files::LoadOutcome::Status::Loaded)
        return outcome;
    takeLoaded(outcome, QStringLiteral("Load Combat"));
    m_lastCombatPath = path;
    m_savedState = m_state;
    emit saved();
    return outcome;
}

files::LoadOutcome CombatDocument::restore(const QString &statePath)
{
    files::LoadOutcome outcome = files::loadStateFile(statePath, m_state.roster);
    if (outcome.status == files::LoadOutcome::Status::Loaded)
        takeLoaded(outcome, QStringLiteral("Restore Combat"));
    return outcome;
}

CombatDocument::AddOutcome CombatDocument::addCombatants(const QString &path)
{
    AddOutcome outcome{files::loadCombatFile(path, m_state.roster), {}, {}};
    if (outcome.load.status != files::LoadOutcome::Status::Loaded)
        return outcome;
    m_lastAddedPath = path;
    CombatState next = m_state;
    outcome.added = combat::addCombatants(next.roster, outcome.load.roster);
    if (outcome.added.rows.isEmpty())
        outcome.message = files::nothingAddedText(path, outcome.added.named, outcome.added.free);
    else
        commit(std::move(next), QStringLiteral("Add Combatants (%1)").arg(outcome.added.rows.size()));
    return outcome;
}

files::SaveOutcome CombatDocument::save(const QString &path)
{
    m_savePath = path;
    files::SaveOutcome outcome = files::saveCombatFile(
        m_state.roster, path, files::fightSectionText(m_state.roster, m_state.order, m_state.turn));
    if (outcome.ok) {
        m_lastCombatPath = path;
        m_savedState = m_state;
        emit saved();
    }
    return outcome;
}
