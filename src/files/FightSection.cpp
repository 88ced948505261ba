#include "files/FightSection.h"

#include "combat/Fingerprint.h"
#include "files/CombatFormat.h"
#include "files/CombatWriter.h"
#include "files/TurnRecordLine.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QByteArray>
#include <QStringList>

#include <cmath>
#include <limits>

namespace files {
namespace {

// Far beyond any fight (a turn a second for a day), and short enough to read at once.
constexpr int MostRecords = 100000;

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
        appendLine(out, key + QString::number(i + 1), turnRecordLine(records[i], ageOf(roster, records[i].who)));
}

// Reading: each function throws BadLine naming the key whose value is not as written.
class SectionReader
{
public:
    explicit SectionReader(const ProfileReader &file)
        : m_file(file)
    {
    }

    // The turns are read as lines of this format.
    void setFormat(int format) { m_format = format; }

    QString value(const QString &key) const
    {
        if (!m_file.hasKey(FightSectionName, key))
            throw BadLine{key};
        return m_file.ReadIniValue(FightSectionName, key);
    }

    qint64 number(const QString &key, qint64 lowest, qint64 highest) const { return number(value(key), key, lowest, highest); }

    static qint64 number(QStringView text, const QString &key, qint64 lowest, qint64 highest)
    {
        return lineNumber(text, key, lowest, highest);
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

    combat::SharedStack<combat::TurnRecord> records(const QString &key) const
    {
        combat::SharedStack<combat::TurnRecord> stack;
        const qint64 count = number(key, 0, MostRecords);
        for (qint64 i = 1; i <= count; ++i)
            stack.push(readTurnRecord(value(key + QString::number(i)), key + QString::number(i), m_format));
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
        return {who.row, unescapedText(f[4]), unescapedText(f[3]), who.serial, highest};
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
            bool ok = f.size() == (m_format >= 3 ? 4 : 3);
            const double initiative = ok ? f[0].toDouble(&ok) : 0;
            if (!ok || !std::isfinite(initiative))
                throw BadLine{key};
            order[i].initiative = initiative;
            order[i].modifier = int(number(f[1], key, -9999, 9999));
            order[i].settled = int(number(f[2], key, 0, roster::RowCount));
        }
        // The item each acted before, by its number in the list (0: none); bound as the items
        // are. None comes back to itself by them.
        QList<qint64> before(parts.size(), 0);
        for (qsizetype i = 0; m_format >= 3 && i < parts.size(); ++i)
            before[i] = number(parts[i].split(u':')[3], key, 0, order.size());
        for (qsizetype i = 0; i < parts.size(); ++i) {
            qint64 at = before[i];
            for (qsizetype step = 0; at > 0 && step < parts.size(); ++step) {
                if (at == i + 1)
                    throw BadLine{key};
                at = before[at - 1];
            }
            if (before[i] > 0)
                order[i].actsBefore = combat::combatantOf(order[before[i] - 1]);
        }
    }

private:
    const ProfileReader &m_file;
    int m_format = FightFormat;
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
    appendLine(out, QStringLiteral("Format"), QString::number(FightFormat));
    appendLine(out, QStringLiteral("Rows"), QString::number(rowsFingerprint(roster), 16));
    appendLine(out, QStringLiteral("Items"), QString::number(order.size()));
    for (qsizetype i = 0; i < order.size(); ++i) {
        const combat::OrderEntry &item = order[i];
        appendLine(out, QStringLiteral("Item%1").arg(i + 1),
                   QStringList{QString::number(item.row), QString::number(ageOf(roster, combat::combatantOf(item))),
                               QString::number(item.highest, 'g', 17), escapedText(item.name), escapedText(item.text)}
                       .join(u','));
    }
    QStringList ties;
    for (const combat::OrderEntry &item : order)
        ties.append(QStringLiteral("%1:%2:%3:%4")
                        .arg(QString::number(item.initiative, 'g', 17))
                        .arg(item.modifier)
                        .arg(item.settled)
                        .arg(combat::itemOf(order, item.actsBefore) + 1));
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
    try {
        SectionReader read(file);
        // Any number past ours is a newer version's, however large.
        const qint64 format = read.number(QStringLiteral("Format"), 1, std::numeric_limits<qint64>::max());
        if (format > FightFormat)
            return {std::nullopt, droppedBecause(QStringLiteral("it was written by a newer version of Fraymark"))};
        read.setFormat(int(format));
        if (!file.hasKey(FightSectionName, QStringLiteral("End")))
            return {std::nullopt, droppedBecause(QStringLiteral("the file ends before the fight does"))};
        if (lineFingerprint(read.value(QStringLiteral("Rows")), QStringLiteral("Rows"))
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
        if (!item.actsBefore.isNobody())
            bind(item.actsBefore);
    }
    bindStack(fight.turn.taken);
    bindStack(fight.turn.takenBack);
    for (combat::Waiting &waiting : fight.turn.waiting)
        bind(waiting.who);
}

} // namespace files
