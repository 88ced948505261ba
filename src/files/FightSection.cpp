#include "files/FightSection.h"

#include "combat/Conditions.h"
#include "combat/Fingerprint.h"
#include "combat/NoteTags.h"
#include "files/CombatFormat.h"
#include "files/CombatWriter.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QByteArray>
#include <QStringList>

#include <cmath>
#include <limits>

namespace files {
namespace {

constexpr int FormatVersion = 1;
// More combatants than a row holds in any fight; a larger age is no save of ours.
constexpr qint64 OldestAge = 1000000;
// Far beyond any fight (a turn a second for a day), and short enough to read at once.
constexpr int MostRecords = 100000;

struct BadLine
{
    QString key;
};

// Free text as ASCII that no separator of the section can occur in.
QString escaped(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

QString unescaped(QStringView value)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value.toLatin1()));
}

// The rows as the file holds them, without the include flags, which a load sets anew from
// the hit points: the fight belongs to these rows and no others.
quint64 rowsFingerprint(const roster::Roster &roster)
{
    roster::Roster rows = roster;
    for (roster::Row &row : rows.rows)
        row.check = 0;
    return combat::textFingerprint(combatFileText(rows));
}

quint32 ageOf(const roster::Roster &roster, const combat::Combatant &who)
{
    return roster.rows[static_cast<std::size_t>(who.row)].serial - who.serial;
}

QString removedTexts(const QList<combat::RemovedText> &texts)
{
    QStringList parts;
    for (const combat::RemovedText &text : texts)
        parts.append(QString::number(text.position) + u':' + escaped(text.text));
    return parts.join(u';');
}

QString recordLine(const roster::Roster &roster, const combat::TurnRecord &record)
{
    QStringList ended;
    for (const QString &name : record.tick.ended)
        ended.append(escaped(name));
    return QStringList{QString::number(record.who.row), QString::number(ageOf(roster, record.who)),
                       QString::number(record.round), QString::number(record.tick.givenBack ? 1 : 0),
                       QString::number(record.tick.before, 16), QString::number(record.tick.after, 16),
                       removedTexts(record.tick.revealed), removedTexts(record.tick.removed), ended.join(u';')}
        .join(u',');
}

// Oldest first, as they were pushed.
QList<combat::TurnRecord> bottomUp(const combat::SharedStack<combat::TurnRecord> &stack)
{
    QList<combat::TurnRecord> records;
    stack.walk([&](const combat::TurnRecord &record) {
        records.prepend(record);
        return true;
    });
    return records;
}

void appendLine(QString &out, const QString &key, const QString &value)
{
    out += key + u'=' + value + QLatin1StringView(LineEnd);
}

void appendRecords(QString &out, const roster::Roster &roster, const QString &key,
                   const combat::SharedStack<combat::TurnRecord> &stack)
{
    QList<combat::TurnRecord> records = bottomUp(stack);
    // As many as a load reads; the oldest go, which only tell who acted rounds ago.
    if (records.size() > MostRecords)
        records = records.last(MostRecords);
    appendLine(out, key, QString::number(records.size()));
    for (qsizetype i = 0; i < records.size(); ++i)
        appendLine(out, key + QString::number(i + 1), recordLine(roster, records[i]));
}

// Reading: each function throws BadLine naming the key whose value is not as written.
class SectionReader
{
public:
    explicit SectionReader(const ProfileReader &file)
        : m_file(file)
    {
    }

    QString value(const QString &key) const
    {
        if (!m_file.hasKey(FightSectionName, key))
            throw BadLine{key};
        return m_file.ReadIniValue(FightSectionName, key);
    }

    qint64 number(const QString &key, qint64 lowest, qint64 highest) const { return number(value(key), key, lowest, highest); }

    static qint64 number(QStringView text, const QString &key, qint64 lowest, qint64 highest)
    {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok || n < lowest || n > highest)
            throw BadLine{key};
        return n;
    }

    static QStringList fields(const QString &line, const QString &key, qsizetype count)
    {
        QStringList parts = line.split(u',');
        if (parts.size() != count)
            throw BadLine{key};
        return parts;
    }

    combat::Combatant combatant(QStringView row, QStringView age, const QString &key) const
    {
        return {int(number(row, key, 0, roster::RowCount - 1)), quint32(number(age, key, 0, OldestAge))};
    }

    static QList<combat::RemovedText> removedTexts(const QString &text, const QString &key)
    {
        QList<combat::RemovedText> texts;
        if (text.isEmpty())
            return texts;
        for (const QString &part : text.split(u';')) {
            const qsizetype colon = part.indexOf(u':');
            if (colon < 0)
                throw BadLine{key};
            texts.append({qsizetype(number(QStringView(part).first(colon), key, 0, MaxCombatFileSize)),
                          unescaped(QStringView(part).sliced(colon + 1))});
        }
        return texts;
    }

    // Previous Turn puts a turn's texts back into its note, so they are read only as the start
    // of a turn takes them out: each "[Hidden]" tag as withoutTag takes it, each piece of ended
    // conditions as tickConditions takes it (the text alone is taken out whole, in one piece),
    // in the order they give them. The ended names, also shown to the players, are those of
    // the conditions taken out.
    static void checkTick(const combat::TurnTick &tick, const QString &key)
    {
        qsizetype last = 0;
        for (const combat::RemovedText &text : tick.revealed) {
            const combat::TagRemoval taken = combat::withoutTag(text.text, combat::HiddenTag);
            if (!taken.note.isEmpty() || taken.removed.size() != 1 || text.position < last)
                throw BadLine{key};
            last = text.position;
        }
        QStringList ended;
        last = -1;
        for (const combat::RemovedText &text : tick.removed) {
            const combat::ConditionTick taken = combat::tickConditions(text.text);
            if (!taken.note.isEmpty() || taken.removed.size() != 1 || text.position <= last)
                throw BadLine{key};
            last = text.position;
            ended += taken.ended;
        }
        if (ended != tick.ended)
            throw BadLine{key};
    }

    static quint64 fingerprint(const QString &text, const QString &key)
    {
        bool ok = false;
        const quint64 value = text.toULongLong(&ok, 16);
        if (!ok)
            throw BadLine{key};
        return value;
    }

    combat::TurnRecord record(const QString &key) const
    {
        const QStringList f = fields(value(key), key, 9);
        combat::TurnRecord record;
        record.who = combatant(f[0], f[1], key);
        record.round = int(number(f[2], key, 1, combat::LastRound));
        record.tick.givenBack = number(f[3], key, 0, 1) == 1;
        record.tick.before = fingerprint(f[4], key);
        record.tick.after = fingerprint(f[5], key);
        record.tick.revealed = removedTexts(f[6], key);
        record.tick.removed = removedTexts(f[7], key);
        if (!f[8].isEmpty()) {
            for (const QString &name : f[8].split(u';'))
                record.tick.ended.append(unescaped(name));
        }
        checkTick(record.tick, key);
        return record;
    }

    combat::SharedStack<combat::TurnRecord> records(const QString &key) const
    {
        combat::SharedStack<combat::TurnRecord> stack;
        const qint64 count = number(key, 0, MostRecords);
        for (qint64 i = 1; i <= count; ++i)
            stack.push(record(key + QString::number(i)));
        return stack;
    }

    combat::OrderEntry item(const QString &key) const
    {
        const QStringList f = fields(value(key), key, 5);
        const combat::Combatant who = combatant(f[0], f[1], key);
        bool ok = false;
        const double highest = f[2].toDouble(&ok);
        if (!ok || !std::isfinite(highest))
            throw BadLine{key};
        return {who.row, unescaped(f[4]), unescaped(f[3]), who.serial, highest};
    }

    // What places the items among equals. A file of an earlier version has none: each item
    // then stands as its row does now, and no place is settled.
    void ties(QList<combat::OrderEntry> &order, const roster::Roster &roster) const
    {
        const QString key = QStringLiteral("Ties");
        if (!m_file.hasKey(FightSectionName, key)) {
            for (combat::OrderEntry &item : order) {
                const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
                try {
                    item.initiative = roster::textToNumber(row.ini);
                } catch (const roster::FieldError &) {
                    item.initiative = 0; // a row beyond a double never takes part again
                }
                item.modifier = combat::tieModifier(row.ini);
            }
            return;
        }
        const QString line = value(key);
        const QStringList parts = line.isEmpty() ? QStringList() : line.split(u';');
        if (parts.size() != order.size())
            throw BadLine{key};
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QStringList f = parts[i].split(u':');
            bool ok = f.size() == 3;
            const double initiative = ok ? f[0].toDouble(&ok) : 0;
            if (!ok || !std::isfinite(initiative))
                throw BadLine{key};
            order[i].initiative = initiative;
            order[i].modifier = int(number(f[1], key, -9999, 9999));
            order[i].settled = int(number(f[2], key, 0, roster::RowCount));
        }
    }

private:
    const ProfileReader &m_file;
};

QString droppedBecause(const QString &reason)
{
    return QStringLiteral("The fight saved with this combat was not loaded: %1. The rows were loaded; "
                          "calculate the fighting order to go on.")
        .arg(reason);
}

} // namespace

QString fightSectionText(const roster::Roster &roster, const QList<combat::OrderEntry> &order,
                         const combat::FightRecord &turn)
{
    const bool runs = std::any_of(order.begin(), order.end(), [&](const combat::OrderEntry &item) {
        return combat::holdsCombatant(item, roster);
    });
    if (!runs)
        return {};
    QString out = u'[' + FightSectionName + u']' + QLatin1StringView(LineEnd);
    appendLine(out, QStringLiteral("Format"), QString::number(FormatVersion));
    appendLine(out, QStringLiteral("Rows"), QString::number(rowsFingerprint(roster), 16));
    appendLine(out, QStringLiteral("Items"), QString::number(order.size()));
    for (qsizetype i = 0; i < order.size(); ++i) {
        const combat::OrderEntry &item = order[i];
        appendLine(out, QStringLiteral("Item%1").arg(i + 1),
                   QStringList{QString::number(item.row), QString::number(ageOf(roster, combat::combatantOf(item))),
                               QString::number(item.highest, 'g', 17), escaped(item.name), escaped(item.text)}
                       .join(u','));
    }
    QStringList ties;
    for (const combat::OrderEntry &item : order)
        ties.append(QStringLiteral("%1:%2:%3").arg(QString::number(item.initiative, 'g', 17)).arg(item.modifier).arg(item.settled));
    appendLine(out, QStringLiteral("Ties"), ties.join(u';'));
    appendRecords(out, roster, QStringLiteral("Taken"), turn.taken);
    appendRecords(out, roster, QStringLiteral("TakenBack"), turn.takenBack);
    appendLine(out, QStringLiteral("Waiting"), QString::number(turn.waiting.size()));
    for (qsizetype i = 0; i < turn.waiting.size(); ++i) {
        const combat::Waiting &waiting = turn.waiting[i];
        appendLine(out, QStringLiteral("Waiting%1").arg(i + 1),
                   QStringLiteral("%1,%2,%3").arg(waiting.who.row).arg(ageOf(roster, waiting.who)).arg(waiting.round));
    }
    appendLine(out, QStringLiteral("End"), QStringLiteral("1"));
    return out;
}

FightRead readFightSection(const ProfileReader &file, const roster::Roster &roster)
{
    if (!file.hasSection(FightSectionName))
        return {};
    const SectionReader read(file);
    try {
        if (read.number(QStringLiteral("Format"), 1, std::numeric_limits<int>::max()) != FormatVersion)
            return {std::nullopt, droppedBecause(QStringLiteral("it was written by a newer version of Fraymark"))};
        if (!file.hasKey(FightSectionName, QStringLiteral("End")))
            return {std::nullopt, droppedBecause(QStringLiteral("the file ends before the fight does"))};
        if (SectionReader::fingerprint(read.value(QStringLiteral("Rows")), QStringLiteral("Rows"))
            != rowsFingerprint(roster))
            return {std::nullopt, droppedBecause(QStringLiteral("the rows were changed after it was saved"))};
        SavedFight fight;
        const qint64 items = read.number(QStringLiteral("Items"), 0, roster::RowCount);
        for (qint64 i = 1; i <= items; ++i) {
            const QString key = QStringLiteral("Item%1").arg(i);
            const combat::OrderEntry item = read.item(key);
            // One item a row, as the order is calculated.
            if (std::any_of(fight.order.begin(), fight.order.end(),
                            [&](const combat::OrderEntry &other) { return other.row == item.row; }))
                throw BadLine{key};
            fight.order.append(item);
        }
        read.ties(fight.order, roster);
        fight.turn.taken = read.records(QStringLiteral("Taken"));
        fight.turn.takenBack = read.records(QStringLiteral("TakenBack"));
        const qint64 waiting = read.number(QStringLiteral("Waiting"), 0, MostRecords);
        for (qint64 i = 1; i <= waiting; ++i) {
            const QString key = QStringLiteral("Waiting%1").arg(i);
            const QStringList f = SectionReader::fields(read.value(key), key, 3);
            fight.turn.waiting.append(
                {read.combatant(f[0], f[1], key), int(SectionReader::number(f[2], key, 1, combat::LastRound))});
        }
        return {std::move(fight), {}};
    } catch (const BadLine &bad) {
        return {std::nullopt, droppedBecause(QStringLiteral("its line \"%1\" is damaged").arg(bad.key))};
    }
}

void bindFight(SavedFight &fight, roster::Roster &roster)
{
    // Past combatants are below the row's serial, never at or above it: a serial too small
    // for the ages of the fight is raised first.
    auto makeRoom = [&](const combat::Combatant &who) {
        quint32 &serial = roster.rows[static_cast<std::size_t>(who.row)].serial;
        serial = std::max(serial, who.serial + 1);
    };
    for (const combat::OrderEntry &item : fight.order)
        makeRoom(combat::combatantOf(item));
    fight.turn.taken.walk([&](const combat::TurnRecord &record) { makeRoom(record.who); return true; });
    fight.turn.takenBack.walk([&](const combat::TurnRecord &record) { makeRoom(record.who); return true; });
    for (const combat::Waiting &waiting : fight.turn.waiting)
        makeRoom(waiting.who);

    auto bind = [&](combat::Combatant &who) {
        who.serial = roster.rows[static_cast<std::size_t>(who.row)].serial - who.serial;
    };
    auto bindStack = [&](combat::SharedStack<combat::TurnRecord> &stack) {
        QList<combat::TurnRecord> records = bottomUp(stack);
        stack.clear();
        for (combat::TurnRecord &record : records) {
            bind(record.who);
            stack.push(std::move(record));
        }
    };
    for (combat::OrderEntry &item : fight.order) {
        combat::Combatant who = combat::combatantOf(item);
        bind(who);
        item.serial = who.serial;
    }
    bindStack(fight.turn.taken);
    bindStack(fight.turn.takenBack);
    for (combat::Waiting &waiting : fight.turn.waiting)
        bind(waiting.who);
}

} // namespace files
