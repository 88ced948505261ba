#include "combat/Damage.h"

#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <cmath>

namespace combat {

Subtracted subtractDamage(roster::Row &row, Dice &dice, DownRule rule)
{
    Subtracted done;
    done.typed = row.amount;
    Amount::Kind kind = Amount::Kind::Hit;
    if (const std::optional<Amount> amount = parseAmount(row.amount)) {
        kind = amount->kind;
        done.rolled = rollAmount(*amount, dice);
        if (std::abs(done.rolled.total) > MaximumBlow) {
            done.refused = blowTooLarge(done.rolled.total);
            return done;
        }
    } else if (looksLikeAmount(row.amount)) {
        done.refused = notAnAmount(row.amount.trimmed());
        return done;
    } else {
        try {
            done.rolled.total = roster::textToNumber(row.amount);
        } catch (const roster::FieldError &) {
            // Beyond a double: the hit points stay as typed.
        }
    }
    row.amount.clear();
    // An amount of 0 still applies the down rule, as Substract always has; hit points that
    // cannot take the amount stay as typed, and the rule runs all the same.
    done.change = changeHitPoints(row, kind, done.rolled.total, rule);
    if (done.change.refusal == HitPointChange::Refusal::HitPoints) {
        try {
            applyDownRowRule(row, rule);
        } catch (const roster::FieldError &) {
            // A hit-point text beyond a double: the row keeps its state.
        }
    }
    if (done.change.refusal == HitPointChange::Refusal::NoteTooLong)
        row.amount = done.typed;
    return done;
}

} // namespace combat
