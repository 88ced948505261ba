#include "combat/Damage.h"

#include "combat/DownRow.h"
#include "combat/HitPoints.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <cmath>

namespace combat {

namespace {

// hp - amount written back, what follows the number kept and healing stopped at the maximum;
// false when either side cannot be a double.
bool subtractFromHitPoints(roster::Row &row, double amount)
{
    const std::optional<QString> changed = changedHitPoints(row.hp, -amount);
    if (!changed)
        return false;
    row.hp = *changed;
    return true;
}

} // namespace

void subtractDamage(roster::Row &row)
{
    try {
        subtractFromHitPoints(row, roster::textToNumber(row.amount));
    } catch (const roster::FieldError &) {
        // The hit points stay as typed; the amount is still emptied below.
    }

    row.amount.clear();

    try {
        applyDownRowRule(row);
    } catch (const roster::FieldError &) {
        // A hit-point text beyond a double: the row keeps its state.
    }
}

bool takeBlow(roster::Row &row, double amount)
{
    roster::Row next = row;
    if (!subtractFromHitPoints(next, amount))
        return false;
    applyDownRowRule(next); // the hit points are a number now: nothing to throw
    row = std::move(next);
    return true;
}

} // namespace combat
