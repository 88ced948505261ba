#include "document/CombatDocument.h"

#include "combat/Clearing.h"
#include "combat/Damage.h"
#include "combat/DownRow.h"
#include "combat/Health.h"
#include "combat/HitPoints.h"
#include "combat/NoteTags.h"
#include "combat/RowErrors.h"
#include "combat/SpinStep.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/RowLabels.h"
#include "roster/ShownText.h"

#include <cmath>

namespace {

QString noteTooLong(const QString &rowLabel)
{
    return QStringLiteral("%1: the note would be too long to edit with its hit points' tag. Nothing was changed.")
        .arg(rowLabel);
}

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

// The answers of one initiative walk are one step.
QString walkKey(int walk)
{
    return QStringLiteral("initiative walk %1").arg(walk);
}

// The same items, whatever the hit points they followed since.
bool sameItems(const QList<combat::OrderEntry> &a, const QList<combat::OrderEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.row == y.row && x.serial == y.serial && x.text == y.text;
    });
}

bool isRow(int row)
{
    return row >= 0 && row < roster::RowCount;
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

CommandResult CombatDocument::attempt(const std::function<CommandResult()> &body)
{
    try {
        return body();
    } catch (const roster::FieldError &error) {
        return CommandResult::refused(error);
    } catch (const std::exception &error) {
        return CommandResult::refused(QString::fromUtf8(error.what()));
    }
}

void CombatDocument::renewCombatant(CombatState &state, int r)
{
    quint32 &serial = state.roster.rows[static_cast<std::size_t>(r)].serial;
    if (combat::itemOf(state.order, {r, serial}) >= 0)
        ++serial;
}

CommandResult CombatDocument::commitFight(CombatState next, const QString &what)
{
    return record(std::move(next), what, QString(), true);
}

CommandResult CombatDocument::commit(CombatState next, const QString &what, const QString &mergeKey)
{
    return record(std::move(next), what, mergeKey, false);
}

CommandResult CombatDocument::record(CombatState next, const QString &what, const QString &mergeKey, bool fight)
{
    if (mergeKey.isEmpty())
        m_history.closeMerge();
    combat::followHitPoints(next.order, next.roster);
    if (next == m_state && mergeKey.isEmpty())
        return CommandResult::done();
    const bool orderChanges = !sameItems(next.order, m_state.order);
    m_history.push(what, m_state, next, mergeKey, fight);
    m_state = std::move(next);
    if (orderChanges)
        emit orderChanged();
    emit changed();
    return CommandResult::done();
}

void CombatDocument::show(const CombatState &state)
{
    const bool orderChanges = !sameItems(state.order, m_state.order);
    m_state = state;
    if (orderChanges)
        emit orderChanged();
    emit changed();
}

CommandResult CombatDocument::edit(const QString &what, const QString &mergeKey,
                                   const std::function<void(roster::Roster &)> &change)
{
    CombatState next = m_state;
    change(next.roster);
    if (next == m_state)
        return CommandResult::done();
    return commit(std::move(next), what, mergeKey);
}

CommandResult CombatDocument::setFieldText(int r, roster::Field field, const QString &text)
{
    const roster::FieldInfo &info = roster::fieldInfo(field);
    return edit(QStringLiteral("typing in ") + roster::rowFieldLabel(r, QLatin1StringView(info.caption)),
                fieldKey(r, field),
                [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].*info.text = text; });
}

CommandResult CombatDocument::setAmount(int r, const QString &text)
{
    return edit(QStringLiteral("typing in ") + roster::rowFieldLabel(r, QStringLiteral("amount")), amountKey(r),
                [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].amount = text; });
}

CommandResult CombatDocument::setGeneralNote(const QString &text)
{
    return edit(QStringLiteral("typing in Other Notes"), NoteKey,
                [&](roster::Roster &next) { next.generalNote = text; });
}

CommandResult CombatDocument::setIncluded(int r, bool included)
{
    closeMerge();
    return edit((included ? QStringLiteral("Include ") : QStringLiteral("Exclude ")) + rowLabel(r), QString(),
                [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].check = included ? 1 : 0; });
}

CommandResult CombatDocument::rollInitiative(combat::Dice &dice, const combat::InitiativeChoice &choice,
                                             QList<combat::RollRecord> &lines)
{
    return attempt([&] {
        combat::InitiativeRolls rolls = combat::rollInitiative(m_state.roster, dice, choice);
        lines = rolls.records;
        const QString name = choice.again          ? QStringLiteral("Roll Initiative Again")
                             : choice.monstersOnly ? QStringLiteral("Roll Initiative for Monsters")
                                                   : QStringLiteral("Roll Initiative");
        return edit(name, QString(), [&](roster::Roster &next) { next = rolls.roster; });
    });
}

CommandResult CombatDocument::enterInitiative(int r, const QString &typed, int walk)
{
    if (!isRow(r) || !combat::awaitsInitiative(row(r)))
        return CommandResult::refused(QStringLiteral("%1 is not in the fight, or has an initiative already.")
                                          .arg(isRow(r) ? rowLabel(r) : roster::rowLabel(r)));
    const std::optional<QString> text = combat::typedInitiative(row(r).ini, typed);
    if (!text)
        return CommandResult::refused(QStringLiteral("Type the initiative as a whole number, such as 17, or r to roll it."));
    m_history.reopenMerge(walkKey(walk));
    return edit(QStringLiteral("Enter Initiative"), walkKey(walk),
                [&](roster::Roster &next) { next.rows[static_cast<std::size_t>(r)].ini = *text; });
}

CommandResult CombatDocument::rollInitiativeInWalk(int r, combat::Dice &dice, bool groups, int walk,
                                                   QList<combat::RollRecord> &lines)
{
    if (!isRow(r) || !combat::awaitsInitiative(row(r)))
        return CommandResult::refused(QStringLiteral("%1 is not in the fight, or has an initiative already.")
                                          .arg(isRow(r) ? rowLabel(r) : roster::rowLabel(r)));
    return attempt([&] {
        combat::InitiativeRolls rolls = combat::rollInitiative(m_state.roster, dice, {false, false, groups, {r}});
        lines = rolls.records;
        m_history.reopenMerge(walkKey(walk));
        return edit(QStringLiteral("Enter Initiative"), walkKey(walk), [&](roster::Roster &next) { next = rolls.roster; });
    });
}

CommandResult CombatDocument::stepSpin(int r, SpinField field, int direction, bool held)
{
    // A held click or key is one step of the history, however often it repeats.
    if (!held)
        closeMerge();
    return attempt([&] {
        const bool hitPoints = field == SpinField::HitPoints;
        CombatState next = m_state;
        roster::Row &row = next.roster.rows[static_cast<std::size_t>(r)];
        QString &text = hitPoints ? row.hp : row.ac;
        std::optional<QString> stepped;
        try {
            stepped = hitPoints ? combat::steppedHitPoints(text, direction) : combat::spinStep(text, direction);
        } catch (const roster::FieldError &) {
            throw hitPoints ? combat::hitPointsOutOfRange(r, row.name, text)
                            : combat::armourClassOutOfRange(r, row.name, text);
        }
        if (!stepped)
            return CommandResult::done(); // at a bound: the text stays
        text = *stepped;
        if (hitPoints)
            combat::applyDownRowRule(row, r, m_downRule);
        return commit(std::move(next),
                      (hitPoints ? QStringLiteral("HP step in ") : QStringLiteral("AC step in ")) + rowLabel(r),
                      QStringLiteral("spin %1 %2").arg(r).arg(int(field)));
    });
}

CommandResult CombatDocument::subtract(int r, combat::Dice &dice, QList<combat::RollRecord> &lines)
{
    CombatState next = m_state;
    roster::Row &row = next.roster.rows[static_cast<std::size_t>(r)];
    const combat::Subtracted done = combat::subtractDamage(row, dice, m_downRule);
    if (!done.refused.isEmpty())
        return CommandResult::refused(QStringLiteral("%1: %2").arg(rowLabel(r), done.refused));
    if (done.change.refusal == combat::HitPointChange::Refusal::NoteTooLong)
        return CommandResult::refused(noteTooLong(rowLabel(r)), roster::FieldLocation{r, roster::Field::Note});
    const QString who = roster::nameOrRowLabel(row, r);
    if (!done.rolled.shown.isEmpty() || !done.change.said.isEmpty()) {
        QString result = done.rolled.shown.isEmpty()
            ? done.change.said
            : QStringLiteral("%1 (%2)").arg(roster::numberToText(done.rolled.total), done.rolled.shown);
        if (!done.rolled.shown.isEmpty() && !done.change.said.isEmpty())
            result += QStringLiteral("; ") + done.change.said;
        combat::RollRecord line = combat::notRolled(
            done.rolled.shown.isEmpty() ? combat::RollKind::Blow : combat::RollKind::Dice, who, done.typed, result);
        line.rolled = !done.rolled.shown.isEmpty();
        line.total = line.rolled ? combat::wholeTotal(done.rolled.total) : std::nullopt;
        lines.append(line);
    }
    // The amount typed for the blow and the blow are one step.
    m_history.reopenMerge(amountKey(r));
    const CommandResult result = commit(std::move(next), QStringLiteral("Substract ") + rowLabel(r), amountKey(r));
    closeMerge();
    return result;
}

CommandResult CombatDocument::blow(const QList<int> &rows, const Blow &blow, QList<combat::RollRecord> *said)
{
    using Kind = combat::Amount::Kind;
    CombatState next = m_state;
    for (const int r : rows) {
        if (!isRow(r) || row(r).name.isEmpty())
            return CommandResult::refused(QStringLiteral("%1 holds nobody to strike. Nothing was changed.")
                                              .arg(isRow(r) ? rowLabel(r) : roster::rowLabel(r)));
        // A save halves damage, rounded down; it does nothing to a heal or a grant.
        const bool halved = blow.saved.contains(r) && blow.kind != Kind::Temporary && blow.amount > 0;
        const double amount = halved ? std::floor(blow.amount / 2) : blow.amount;
        roster::Row &target = next.roster.rows[static_cast<std::size_t>(r)];
        const combat::HitPointChange change = combat::changeHitPoints(target, blow.kind, amount, m_downRule);
        if (change.refusal == combat::HitPointChange::Refusal::NoteTooLong)
            return CommandResult::refused(noteTooLong(rowLabel(r)), roster::FieldLocation{r, roster::Field::Note});
        if (change.refusal != combat::HitPointChange::Refusal::None)
            return CommandResult::refused(
                QStringLiteral("%1: the hit points cannot take this amount. Nothing was changed.").arg(rowLabel(r)),
                roster::FieldLocation{r, roster::Field::HitPoints});
        if (said && !change.said.isEmpty())
            said->append(combat::notRolled(combat::RollKind::Blow, roster::nameOrRowLabel(target, r),
                                           combat::amountText(blow.kind, amount), change.said));
    }
    const QString whom = rows.size() == 1 ? roster::shownText(row(rows.first()).name, roster::ShownNameLength)
                                          : QStringLiteral("%1 combatants").arg(rows.size());
    const QString from = blow.rolled.isEmpty() ? QString() : QStringLiteral(": ") + roster::shownText(blow.rolled, 24);
    const QString amount = roster::numberToText(std::abs(blow.amount)) + from;
    switch (blow.kind) {
    case Kind::Temporary:
        return commitFight(std::move(next), QStringLiteral("Temporary Hit Points to %1 (%2)").arg(whom, amount));
    case Kind::Nonlethal:
        return commitFight(std::move(next), QStringLiteral("Nonlethal Damage to %1 (%2)").arg(whom, amount));
    case Kind::Hit:
        break;
    }
    const QString verb = blow.amount < 0 ? QStringLiteral("Heal ") : QStringLiteral("Damage ");
    return commitFight(std::move(next), QStringLiteral("%1%2 (%3)").arg(verb, whom, amount));
}

CommandResult CombatDocument::clearRow(int r)
{
    CombatState next = m_state;
    combat::clearRow(next.roster.rows[static_cast<std::size_t>(r)]);
    renewCombatant(next, r);
    return commit(std::move(next), QStringLiteral("Clear ") + rowLabel(r));
}

CommandResult CombatDocument::newCombat()
{
    CombatState next = m_state;
    combat::newCombat(next.roster);
    for (int r = 0; r < roster::RowCount; ++r)
        renewCombatant(next, r);
    next.turn = {};
    return commit(std::move(next), QStringLiteral("New Combat"));
}

CommandResult CombatDocument::addCondition(const QList<int> &rows, const QString &name, int rounds)
{
    if (const QString refusal = combat::conditionRefusal(name, rounds); !refusal.isEmpty())
        return CommandResult::refused(refusal);
    if (rows.isEmpty())
        return CommandResult::refused(QStringLiteral("Choose whom the condition befalls first."));
    CombatState next = m_state;
    // Given while a combatant acts, it is theirs and counts down at their turns.
    const QString source = currentRowHolds() ? row(m_state.turn.current().row).name : QString();
    for (const int r : rows) {
        if (!isRow(r) || row(r).name.isEmpty())
            return CommandResult::refused(QStringLiteral("%1 holds nobody to suffer a condition. Nothing was changed.")
                                              .arg(isRow(r) ? rowLabel(r) : roster::rowLabel(r)));
        QString &note = next.roster.rows[static_cast<std::size_t>(r)].note;
        note = combat::withCondition(note, name, rounds, source);
        // A note the window could no longer edit would be locked by the condition.
        if (note.size() > roster::EditableFieldLength && note.size() > row(r).note.size())
            return CommandResult::refused(
                QStringLiteral("%1: the note would be too long to edit with the condition. Nothing was changed.")
                    .arg(rowLabel(r)),
                roster::FieldLocation{r, roster::Field::Note});
    }
    const QString whom = rows.size() == 1 ? roster::shownText(row(rows.first()).name, roster::ShownNameLength)
                                          : QStringLiteral("%1 combatants").arg(rows.size());
    return commitFight(std::move(next),
                       QStringLiteral("Add %1 to %2 (%3)").arg(name.trimmed(), whom, QString::number(rounds)));
}

CommandResult CombatDocument::toggleHidden(int r)
{
    if (!isRow(r) || row(r).name.isEmpty())
        return CommandResult::refused(
            QStringLiteral("Put the cursor in a combatant's row, or mark a turn, to hide it from the players."));
    CombatState next = m_state;
    QString &note = next.roster.rows[static_cast<std::size_t>(r)].note;
    const bool hidden = combat::hasTag(note, combat::HiddenTag);
    note = hidden ? combat::withoutTag(note, combat::HiddenTag).note : combat::withTag(note, combat::HiddenTag);
    // Only the tag going in can make a note too long to edit.
    if (!hidden && note.size() > roster::EditableFieldLength && note.size() > row(r).note.size())
        return CommandResult::refused(
            QStringLiteral("%1: the note would be too long to edit with the tag %2. Nothing was changed.")
                .arg(rowLabel(r), combat::HiddenTag),
            roster::FieldLocation{r, roster::Field::Note});
    return commitFight(std::move(next), (hidden ? QStringLiteral("Reveal ") : QStringLiteral("Hide ")) + rowLabel(r));
}

CommandResult CombatDocument::undo()
{
    if (!m_history.canUndo())
        return CommandResult::refused(QStringLiteral("There is nothing to undo."));
    show(m_history.undo());
    return CommandResult::done();
}

CommandResult CombatDocument::redo()
{
    if (!m_history.canRedo())
        return CommandResult::refused(QStringLiteral("There is nothing to redo."));
    show(m_history.redo());
    return CommandResult::done();
}
