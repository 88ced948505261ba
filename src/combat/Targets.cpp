#include "combat/Targets.h"

#include "combat/Turns.h"

#include <QRegularExpression>

#include <algorithm>

#include <cmath>

namespace combat {

namespace {

// The part of a name typed letters are looked for in: more than any window shows of it, and
// short enough that a megabyte-long name does not slow each key.
constexpr qsizetype SearchedLength = 256;

const roster::Row &rowAt(const roster::Roster &roster, int index)
{
    return roster.rows[static_cast<std::size_t>(index)];
}

QStringView searched(const roster::Roster &roster, int index)
{
    const QString &name = rowAt(roster, index).name;
    return QStringView(name).first(std::min(name.size(), SearchedLength));
}

// The letters of `typed` appear in `name` in this order, others between them.
bool holdsInOrder(QStringView name, const QString &typed)
{
    qsizetype at = 0;
    for (const QChar c : typed) {
        if (c.isSpace())
            continue;
        at = name.indexOf(c, at, Qt::CaseInsensitive);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

} // namespace

QList<int> targetRows(const QList<OrderEntry> &order, const roster::Roster &roster)
{
    QList<int> rows;
    QList<int> listed; // rows whose combatant has an item, in the fight or not
    for (const OrderEntry &item : order) {
        if (!holdsCombatant(item, roster))
            continue;
        listed.append(item.row);
        if (isInFight(item, roster))
            rows.append(item.row);
    }
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = rowAt(roster, r);
        if (!row.name.isEmpty() && !row.down && row.check != 0 && !listed.contains(r))
            rows.append(r);
    }
    return rows;
}

int findTarget(const QList<int> &rows, const roster::Roster &roster, const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return -1;
    if (text.startsWith(u'#')) {
        bool number = false;
        const int row = text.mid(1).trimmed().toInt(&number) - 1;
        return number && rows.contains(row) ? row : -1;
    }
    int best = -1;
    int bestKind = NameMatchKinds;
    for (const int r : rows) {
        const int kind = nameMatch(rowAt(roster, r).name, text);
        if (kind >= 0 && kind < bestKind) {
            best = r;
            bestKind = kind;
        }
    }
    return best;
}

int nameMatch(QStringView name, const QString &text)
{
    const QStringView part = name.first(std::min(name.size(), SearchedLength));
    if (part.trimmed().compare(text, Qt::CaseInsensitive) == 0)
        return 0;
    if (part.trimmed().startsWith(text, Qt::CaseInsensitive))
        return 1;
    if (part.contains(text, Qt::CaseInsensitive))
        return 2;
    return holdsInOrder(part, text) ? 3 : -1;
}

bool continuesSomeName(const QList<int> &rows, const roster::Roster &roster, const QString &typed)
{
    const QString text = typed.trimmed() + u' ';
    return std::any_of(rows.begin(), rows.end(), [&](int r) {
        return searched(roster, r).trimmed().contains(text, Qt::CaseInsensitive);
    });
}

} // namespace combat
