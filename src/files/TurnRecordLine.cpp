#include "files/TurnRecordLine.h"

#include "combat/Conditions.h"
#include "combat/NoteTags.h"
#include "files/CombatFormat.h"
#include "roster/Roster.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QStringList>

#include <array>
#include <utility>

namespace files {
namespace {

// Separators inside the `others` field, which percent-encoded text cannot hold.
constexpr QChar NoteSeparator = u'/';
constexpr QChar PartSeparator = u'|';

QString removedTexts(const QList<combat::RemovedText> &texts)
{
    QStringList parts;
    for (const combat::RemovedText &text : texts)
        parts.append(QString::number(text.position) + u':' + escapedText(text.text));
    return parts.join(u';');
}

QString names(const QStringList &names)
{
    QStringList escaped;
    for (const QString &name : names)
        escaped.append(escapedText(name));
    return escaped.join(u';');
}

// "" for a turn of an earlier version; "+names" for those it counted, "-names" for all but.
QString countedText(const combat::CountRule &rule)
{
    if (!rule.allSourcesBut && rule.sources.isEmpty())
        return {};
    return (rule.allSourcesBut ? u'-' : u'+') + names(rule.sources);
}

QString othersText(const QList<combat::NoteTick> &others)
{
    QStringList notes;
    for (const combat::NoteTick &other : others)
        notes.append(QStringList{QString::number(other.row), QString::number(other.givenBack ? 1 : 0),
                                 QString::number(other.before, 16), QString::number(other.after, 16),
                                 removedTexts(other.removed), names(other.ended)}
                         .join(PartSeparator));
    return notes.join(NoteSeparator);
}

QStringList split(const QString &text, QChar separator)
{
    return text.isEmpty() ? QStringList() : text.split(separator);
}

QStringList readNames(const QString &text)
{
    QStringList read;
    for (const QString &name : split(text, u';'))
        read.append(unescapedText(name));
    return read;
}

QList<combat::RemovedText> readRemovedTexts(const QString &text, const QString &key)
{
    QList<combat::RemovedText> texts;
    for (const QString &part : split(text, u';')) {
        const qsizetype colon = part.indexOf(u':');
        if (colon < 0)
            throw BadLine{key};
        texts.append({qsizetype(lineNumber(QStringView(part).first(colon), key, 0, MaxCombatFileSize)),
                      unescapedText(QStringView(part).sliced(colon + 1))});
    }
    return texts;
}

// Previous Turn puts a turn's texts back into its notes, so they are read only as the start
// of a turn takes them out: each "[Hidden]" tag as withoutTag takes it, each piece of ended
// conditions as tickConditions takes it (the text alone is taken out whole, in one piece),
// in the order they give them. The ended names, also shown to the players, are those of
// the conditions taken out.
void checkRevealed(const QList<combat::RemovedText> &revealed, const QString &key)
{
    qsizetype last = 0;
    for (const combat::RemovedText &text : revealed) {
        const combat::TagRemoval taken = combat::withoutTag(text.text, combat::HiddenTag);
        if (!taken.note.isEmpty() || taken.removed.size() != 1 || text.position < last)
            throw BadLine{key};
        last = text.position;
    }
}

void checkRemoved(const QList<combat::RemovedText> &removed, const QStringList &ended, const QString &key)
{
    QStringList names;
    qsizetype last = -1;
    for (const combat::RemovedText &text : removed) {
        const combat::ConditionTick taken = combat::tickConditions(text.text, combat::EveryCondition);
        if (!taken.note.isEmpty() || taken.removed.size() != 1 || text.position <= last)
            throw BadLine{key};
        last = text.position;
        names += taken.ended;
    }
    if (names != ended)
        throw BadLine{key};
}

// Names only compared with the combatants', never written into a note: each as a source can
// be written.
combat::CountRule readCounted(const QString &text, const QString &key)
{
    combat::CountRule rule;
    if (text.isEmpty())
        return rule;
    if (text.front() != u'+' && text.front() != u'-')
        throw BadLine{key};
    rule.allSourcesBut = text.front() == u'-';
    rule.sources = readNames(text.sliced(1));
    for (const QString &name : std::as_const(rule.sources)) {
        if (name.isEmpty() || combat::sourceOf(name) != name)
            throw BadLine{key};
    }
    return rule;
}

// The other rows' notes, ascending, the turn's own row not among them.
QList<combat::NoteTick> readOthers(const QString &text, int ownRow, const QString &key)
{
    QList<combat::NoteTick> others;
    int last = -1;
    for (const QString &note : split(text, NoteSeparator)) {
        const QStringList f = note.split(PartSeparator);
        if (f.size() != 6)
            throw BadLine{key};
        combat::NoteTick other;
        other.row = int(lineNumber(f[0], key, 0, roster::RowCount - 1));
        if (other.row <= last || other.row == ownRow)
            throw BadLine{key};
        last = other.row;
        other.givenBack = lineNumber(f[1], key, 0, 1) == 1;
        other.before = lineFingerprint(f[2], key);
        other.after = lineFingerprint(f[3], key);
        other.removed = readRemovedTexts(f[4], key);
        other.ended = readNames(f[5]);
        checkRemoved(other.removed, other.ended, key);
        others.append(std::move(other));
    }
    return others;
}

// How a turn was taken, as its line names it.
const std::array<std::pair<combat::TurnKind, QLatin1StringView>, 5> KindNames{{
    {combat::TurnKind::Turn, QLatin1StringView("turn")},
    {combat::TurnKind::Delayed, QLatin1StringView("delay")},
    {combat::TurnKind::Readied, QLatin1StringView("ready")},
    {combat::TurnKind::ActNow, QLatin1StringView("act")},
    {combat::TurnKind::Resumed, QLatin1StringView("resume")},
}};

QString kindName(combat::TurnKind kind)
{
    for (const auto &[each, name] : KindNames) {
        if (each == kind)
            return name;
    }
    return {};
}

combat::TurnKind readKind(const QString &text, const QString &key)
{
    for (const auto &[kind, name] : KindNames) {
        if (text == name)
            return kind;
    }
    throw BadLine{key};
}

} // namespace

QString escapedText(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

QString unescapedText(QStringView value)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toLatin1()));
}

qint64 lineNumber(QStringView text, const QString &key, qint64 lowest, qint64 highest)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < lowest || n > highest)
        throw BadLine{key};
    return n;
}

quint64 lineFingerprint(QStringView text, const QString &key)
{
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, 16);
    if (!ok)
        throw BadLine{key};
    return value;
}

QString turnRecordLine(const combat::TurnRecord &record, quint32 age)
{
    const combat::TurnTick &tick = record.tick;
    return QStringList{QString::number(record.who.row), QString::number(age), QString::number(record.round),
                       QString::number(tick.givenBack ? 1 : 0), QString::number(tick.before, 16),
                       QString::number(tick.after, 16), removedTexts(tick.revealed), removedTexts(tick.removed),
                       names(tick.ended), countedText(tick.counted), othersText(tick.others), kindName(record.kind)}
        .join(u',');
}

combat::TurnRecord readTurnRecord(const QString &line, const QString &key, int format)
{
    const QStringList f = line.split(u',');
    if (f.size() != (format == 1 ? 9 : format == 2 ? 11 : 12))
        throw BadLine{key};
    combat::TurnRecord record;
    record.who = {int(lineNumber(f[0], key, 0, roster::RowCount - 1)), quint32(lineNumber(f[1], key, 0, OldestAge))};
    record.round = int(lineNumber(f[2], key, 1, combat::LastRound));
    combat::TurnTick &tick = record.tick;
    tick.givenBack = lineNumber(f[3], key, 0, 1) == 1;
    tick.before = lineFingerprint(f[4], key);
    tick.after = lineFingerprint(f[5], key);
    tick.revealed = readRemovedTexts(f[6], key);
    tick.removed = readRemovedTexts(f[7], key);
    tick.ended = readNames(f[8]);
    checkRevealed(tick.revealed, key);
    checkRemoved(tick.removed, tick.ended, key);
    if (format != 1) {
        tick.counted = readCounted(f[9], key);
        tick.others = readOthers(f[10], record.who.row, key);
    }
    if (format >= 3)
        record.kind = readKind(f[11], key);
    // A turn taken up again starts nothing, so it has nothing to give back.
    if (record.kind == combat::TurnKind::Resumed && !(tick == combat::TurnTick{}))
        throw BadLine{key};
    return record;
}

} // namespace files
