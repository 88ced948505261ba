#include "combat/Damage.h"

#include "combat/DownRow.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <cmath>

namespace combat {

void subtractDamage(roster::Row &row)
{
    try {
        const double amount = roster::textToNumber(row.amount);
        const double hp = roster::textToNumber(row.hp);
        const double result = hp - amount;
        if (std::isfinite(result))
            row.hp = roster::numberToText(result);
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

} // namespace combat
