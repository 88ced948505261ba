#include "combat/FightingOrder.h"

#include "combat/DownRow.h"
#include "combat/RowErrors.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace combat {
namespace {

struct Entry
{
    double initiative;
    QString text;
    int rowIndex;
};

// Descending everywhere; the row index last so that the order never depends on the sort.
bool comesFirst(const Entry &a, const Entry &b)
{
    if (a.initiative != b.initiative)
        return a.initiative > b.initiative;
    if (const int c = QString::compare(a.text, b.text, Qt::CaseInsensitive); c != 0)
        return c > 0;
    if (const int c = QString::compare(a.text, b.text, Qt::CaseSensitive); c != 0)
        return c > 0;
    return a.rowIndex < b.rowIndex;
}

} // namespace

QString orderItemText(double initiative, const QString &name)
{
    QString text;
    if (initiative >= 0.0 && initiative <= 9.0)
        text += u'0';
    text += roster::numberToText(initiative);
    text += QLatin1String(" - ");
    text += name;
    return text;
}

bool takesPart(const roster::Row &row)
{
    return row.check != 0 && !row.down && !row.name.isEmpty();
}

QList<OrderEntry> fightingOrderEntries(const roster::Roster &roster)
{
    std::vector<Entry> entries;
    entries.reserve(roster::RowCount);
    for (int i = 0; i < roster::RowCount; ++i) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(i)];
        if (!takesPart(row))
            continue;
        double initiative = 0.0;
        try {
            initiative = roster::textToNumber(row.ini);
        } catch (const roster::FieldError &) {
            throw initiativeOutOfRange(i, row.name, row.ini);
        }
        entries.push_back({initiative, orderItemText(initiative, row.name), i});
    }

    std::sort(entries.begin(), entries.end(), comesFirst);

    QList<OrderEntry> order;
    order.reserve(static_cast<qsizetype>(entries.size()));
    for (Entry &entry : entries) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(entry.rowIndex)];
        order.append({entry.rowIndex, std::move(entry.text), row.name, row.serial, hitPoints(row)});
    }
    return order;
}

} // namespace combat
