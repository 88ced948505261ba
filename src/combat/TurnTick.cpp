#include "combat/TurnTick.h"

#include "combat/Fingerprint.h"
#include "combat/NoteTags.h"

#include <algorithm>
#include <optional>

namespace combat {
namespace {

QString &noteOf(roster::Roster &roster, int row)
{
    return roster.rows[static_cast<std::size_t>(row)].note;
}

// In the other notes a turn counts only the conditions of its sources.
CountRule othersRule(CountRule rule)
{
    rule.unsourced = false;
    return rule;
}

bool countsElsewhere(const CountRule &rule)
{
    return rule.allSourcesBut || !rule.sources.isEmpty();
}

// The tick of another row's note, when it counted something there.
std::optional<NoteTick> tickNote(QString &note, int row, const CountRule &rule)
{
    ConditionTick counted = tickConditions(note, rule);
    if (counted.note.constData() == note.constData())
        return std::nullopt; // nothing of the rule's in it: the note came back shared
    const quint64 before = textFingerprint(note);
    note = std::move(counted.note);
    return NoteTick{row, std::move(counted.removed), std::move(counted.ended), before, textFingerprint(note), false};
}

bool splitsCharacter(const QString &text, const QList<RemovedText> &removed)
{
    return std::any_of(removed.begin(), removed.end(), [&](const RemovedText &r) {
        return r.position > 0 && r.position < text.size() && text[r.position - 1].isHighSurrogate()
            && text[r.position].isLowSurrogate();
    });
}

// The note as it was before the tick, when the tick fits `note`: the note given back ticks to
// this very note and record, and no text goes in between the halves of a character. A record
// read from a file may say anything; none puts text into a note where no tick took it out.
std::optional<QString> untick(const TurnTick &tick, const QString &note)
{
    const QString counted = untickConditions(note, tick.removed, tick.counted);
    QString restored = restoreText(counted, tick.revealed);
    const TagRemoval revealed = tick.revealed.isEmpty() ? TagRemoval{restored, {}} : withoutTag(restored, HiddenTag);
    const ConditionTick again = tickConditions(revealed.note, tick.counted);
    if (again.note != note || again.removed != tick.removed || again.ended != tick.ended
        || revealed.removed != tick.revealed || splitsCharacter(note, tick.removed)
        || splitsCharacter(counted, tick.revealed))
        return std::nullopt;
    return restored;
}

std::optional<QString> untickOther(const NoteTick &tick, const QString &note, const CountRule &rule)
{
    QString restored = untickConditions(note, tick.removed, rule);
    const ConditionTick again = tickConditions(restored, rule);
    if (again.note != note || again.removed != tick.removed || again.ended != tick.ended
        || splitsCharacter(note, tick.removed))
        return std::nullopt;
    return restored;
}

void giveBackOwn(TurnTick &tick, int row, roster::Roster &roster, NotePrints &prints)
{
    QString &note = noteOf(roster, row);
    const bool fits = prints.of(roster, row) == tick.after;
    // A tick that changed nothing gives nothing back: the note stays as it is.
    if (tick.before == tick.after && tick.removed.isEmpty() && tick.revealed.isEmpty() && tick.ended.isEmpty()) {
        tick.givenBack = fits;
        return;
    }
    std::optional<QString> before;
    if (fits && prints.budget.spend(note.size()))
        before = untick(tick, note);
    tick.givenBack = before.has_value();
    if (!before)
        return;
    note = std::move(*before);
    prints.forget(row);
}

qsizetype textsBytes(const QList<RemovedText> &texts)
{
    qsizetype bytes = 0;
    for (const RemovedText &text : texts)
        bytes += qsizetype(sizeof(RemovedText)) + 2 * text.text.size();
    return bytes;
}

qsizetype namesBytes(const QStringList &names)
{
    qsizetype bytes = 0;
    for (const QString &name : names)
        bytes += qsizetype(sizeof(QString)) + 2 * name.size();
    return bytes;
}

} // namespace

TurnTick tickOwnNote(QString &note, bool firstTurn, const CountRule &rule)
{
    const quint64 before = textFingerprint(note);
    TagRemoval revealed = firstTurn ? withoutTag(note, HiddenTag) : TagRemoval{note, {}};
    ConditionTick counted = tickConditions(revealed.note, rule);
    note = std::move(counted.note);
    return {std::move(revealed.removed), std::move(counted.removed), std::move(counted.ended), before,
            textFingerprint(note), false, rule, {}};
}

TurnTick tickTurn(roster::Roster &roster, int row, bool firstTurn, const CountRule &rule)
{
    TurnTick tick = tickOwnNote(noteOf(roster, row), firstTurn, rule);
    if (!countsElsewhere(rule))
        return tick;
    const CountRule elsewhere = othersRule(rule);
    for (int other = 0; other < roster::RowCount; ++other) {
        if (other == row)
            continue;
        if (std::optional<NoteTick> counted = tickNote(noteOf(roster, other), other, elsewhere))
            tick.others.append(std::move(*counted));
    }
    return tick;
}

QList<NoteTick> tickOthersAgain(const QList<NoteTick> &others, roster::Roster &roster, const CountRule &rule,
                                TextBudget &budget)
{
    QList<NoteTick> again;
    const CountRule elsewhere = othersRule(rule);
    for (const NoteTick &other : others) {
        QString &note = noteOf(roster, other.row);
        if (!budget.spend(note.size()))
            continue; // past the budget a turn comes back without what it did elsewhere
        const quint64 print = textFingerprint(note);
        if (other.givenBack) {
            if (print != other.before)
                continue;
            if (std::optional<NoteTick> counted = tickNote(note, other.row, elsewhere))
                again.append(std::move(*counted));
        } else if (print != other.after) {
            again.append(other);
        }
    }
    return again;
}

void giveBack(TurnTick &tick, int row, roster::Roster &roster, NotePrints &prints)
{
    giveBackOwn(tick, row, roster, prints);
    const CountRule elsewhere = othersRule(tick.counted);
    for (NoteTick &other : tick.others) {
        QString &note = noteOf(roster, other.row);
        std::optional<QString> before;
        if (prints.of(roster, other.row) == other.after && prints.budget.spend(note.size()))
            before = untickOther(other, note, elsewhere);
        other.givenBack = before.has_value();
        if (!before)
            continue;
        note = std::move(*before);
        prints.forget(other.row);
    }
}

qsizetype tickBytes(const TurnTick &tick)
{
    qsizetype bytes = textsBytes(tick.revealed) + textsBytes(tick.removed) + namesBytes(tick.ended)
        + namesBytes(tick.counted.sources);
    for (const NoteTick &other : tick.others)
        bytes += qsizetype(sizeof(NoteTick)) + textsBytes(other.removed) + namesBytes(other.ended);
    return bytes;
}

} // namespace combat
