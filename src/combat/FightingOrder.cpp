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

// No item may come back to itself by the ones it acted before (only a crafted file holds
// such a loop): the first of a loop forgets its place.
void breakLoops(QList<OrderEntry> &order)
{
    for (OrderEntry &item : order) {
        Combatant at = item.actsBefore;
        for (qsizetype step = 0; !at.isNobody() && step < order.size(); ++step) {
            if (at == combatantOf(item)) {
                item.actsBefore = {};
                break;
            }
            at = order[itemOf(order, at)].actsBefore;
        }
    }
}

// Each item that acted before another out of turn goes just before it, in the order those
// items stood in `before`, so that two who acted before the same one keep theirs; one before
// another that acted out of turn follows it to its place.
void keepActingPlaces(QList<OrderEntry> &order, const QList<OrderEntry> &before)
{
    for (OrderEntry &item : order) {
        if (itemOf(order, item.actsBefore) < 0)
            item.actsBefore = {}; // the one it acted before left the list
    }
    breakLoops(order);
    QList<OrderEntry> moving;
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
        if (!order[i].actsBefore.isNobody())
            moving.prepend(order.takeAt(i));
    }
    std::stable_sort(moving.begin(), moving.end(), [&before](const OrderEntry &a, const OrderEntry &b) {
        return itemOf(before, combatantOf(a)) < itemOf(before, combatantOf(b));
    });
    // Those whose place is in the list go there; the rest wait for theirs, a chain at a time.
    while (!moving.isEmpty()) {
        const qsizetype waiting = moving.size();
        for (qsizetype i = 0; i < moving.size();) {
            const qsizetype place = itemOf(order, moving[i].actsBefore);
            if (place < 0)
                ++i;
            else
                order.insert(place, moving.takeAt(i));
        }
        if (moving.size() == waiting)
            break; // cannot be, with no loop left: never a hang
    }
    order.append(moving);
}

} // namespace

Combatant combatantOf(const OrderEntry &item)
{
    return {item.row, item.serial};
}

int itemOf(const QList<OrderEntry> &order, const Combatant &combatant)
{
    if (combatant.isNobody())
        return -1;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (combatantOf(order[i]) == combatant)
            return int(i);
    }
    return -1;
}

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
    keepActingPlaces(order, before);
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
