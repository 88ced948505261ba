#include "combat/FightingOrder.h"

#include "combat/DownRow.h"
#include "combat/Initiative.h"
#include "combat/RowErrors.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <algorithm>
#include <limits>

namespace combat {
namespace {

// Descending everywhere but the settled places; the row last so that the order never
// depends on the sort.
bool comesFirst(const OrderEntry &a, const OrderEntry &b)
{
    if (a.initiative != b.initiative)
        return a.initiative > b.initiative;
    if (a.modifier != b.modifier)
        return a.modifier > b.modifier;
    // Places the game master settled come first among equals, in their order.
    const int placeA = a.settled > 0 ? a.settled : std::numeric_limits<int>::max();
    const int placeB = b.settled > 0 ? b.settled : std::numeric_limits<int>::max();
    if (placeA != placeB)
        return placeA < placeB;
    if (const int c = QString::compare(a.text, b.text, Qt::CaseInsensitive); c != 0)
        return c > 0;
    if (const int c = QString::compare(a.text, b.text, Qt::CaseSensitive); c != 0)
        return c > 0;
    return a.row < b.row;
}

// The place a move settled for the combatant in `before`, while it stands as it stood then.
int settledPlace(const OrderEntry &entry, const QList<OrderEntry> &before)
{
    for (const OrderEntry &was : before) {
        if (was.row == entry.row && was.serial == entry.serial)
            return tied(was, entry) ? was.settled : 0;
    }
    return 0;
}

// The combatant the item acted before in `before`, while its initiative and modifier stay.
Combatant actedBefore(const OrderEntry &entry, const QList<OrderEntry> &before)
{
    for (const OrderEntry &was : before) {
        if (was.row == entry.row && was.serial == entry.serial)
            return tied(was, entry) ? was.actsBefore : Combatant{};
    }
    return {};
}

qsizetype placeOf(const QList<OrderEntry> &order, const Combatant &who)
{
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order[i].row == who.row && order[i].serial == who.serial)
            return i;
    }
    return -1;
}

// Standing just before the one it acted before, or before others who precede that same one.
bool inActingPlace(const QList<OrderEntry> &order, qsizetype item)
{
    const Combatant anchor = order[item].actsBefore;
    qsizetype next = item + 1;
    while (next < order.size() && order[next].actsBefore == anchor)
        ++next;
    return next < order.size() && order[next].row == anchor.row && order[next].serial == anchor.serial;
}

// Each item that acted before another out of turn goes just before it; those before the same
// one keep their order among themselves. A chain (one before another that acted before a third)
// settles in a few passes; a loop that a crafted file could hold stops after as many as items.
void keepActingPlaces(QList<OrderEntry> &order)
{
    for (OrderEntry &item : order) {
        if (placeOf(order, item.actsBefore) < 0)
            item.actsBefore = {}; // the one it acted before left the list
    }
    for (qsizetype pass = 0; pass < order.size(); ++pass) {
        bool moved = false;
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (order[i].actsBefore.isNobody() || inActingPlace(order, i))
                continue;
            OrderEntry item = order.takeAt(i);
            order.insert(placeOf(order, item.actsBefore), std::move(item));
            moved = true;
        }
        if (!moved)
            return;
    }
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

int tieModifier(const QString &initiativeField)
{
    return initiativeModifier(initiativeField).value_or(InitiativeModifier{}).value;
}

bool tied(const OrderEntry &a, const OrderEntry &b)
{
    return a.initiative == b.initiative && a.modifier == b.modifier;
}

bool takesPart(const roster::Row &row)
{
    return row.check != 0 && !row.down && !row.name.isEmpty();
}

QList<OrderEntry> fightingOrderEntries(const roster::Roster &roster, const QList<OrderEntry> &before)
{
    QList<OrderEntry> order;
    order.reserve(roster::RowCount);
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
        OrderEntry entry{i, orderItemText(initiative, row.name), row.name, row.serial, hitPoints(row),
                         initiative, tieModifier(row.ini)};
        entry.settled = settledPlace(entry, before);
        entry.actsBefore = actedBefore(entry, before);
        order.append(std::move(entry));
    }
    std::sort(order.begin(), order.end(), comesFirst);
    keepActingPlaces(order);
    return order;
}

bool moveItem(QList<OrderEntry> &order, int item, int step)
{
    const int other = item + step;
    if (item < 0 || item >= order.size() || other < 0 || other >= order.size() || other == item)
        return false;
    order.swapItemsAt(item, other);
    order[item].actsBefore = order[other].actsBefore = {};
    if (!tied(order[item], order[other]))
        return true;
    qsizetype first = std::min(item, other);
    while (first > 0 && tied(order[first - 1], order[first]))
        --first;
    int place = 1;
    for (qsizetype i = first; i < order.size() && tied(order[i], order[first]); ++i)
        order[i].settled = place++;
    return true;
}

} // namespace combat
