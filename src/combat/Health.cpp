#include "combat/Health.h"

#include "combat/DownRow.h"
#include "combat/HitPoints.h"
#include "roster/FieldError.h"
#include "combat/Turns.h"

#include <utility>

namespace combat {

Health healthOf(const OrderEntry &item, const roster::Roster &roster)
{
    const roster::Row &row = roster.rows[static_cast<std::size_t>(item.row)];
    if (row.down)
        return Health::Down;
    const double hp = hitPoints(row);
    if (hp < 0.0)
        return Health::Dying;
    switch (nonlethalState(row)) {
    case NonlethalState::Unconscious: return Health::Unconscious;
    case NonlethalState::Staggered: return Health::Staggered;
    case NonlethalState::None: break;
    }
    if (hp == 0.0)
        return Health::Disabled;
    // Measured against the maximum where the field has one, else the most since joining.
    double top = item.highest;
    try {
        top = readHitPoints(row.hp).maximum.value_or(item.highest);
    } catch (const roster::FieldError &) {
    }
    if (hp >= top)
        return Health::Unhurt;
    return hp <= top / 2.0 ? Health::Bloodied : Health::Hurt;
}

QString healthWord(Health health)
{
    switch (health) {
    case Health::Unhurt: return QStringLiteral("Unhurt");
    case Health::Hurt: return QStringLiteral("Hurt");
    case Health::Bloodied: return QStringLiteral("Bloodied");
    case Health::Staggered: return QStringLiteral("Staggered");
    case Health::Disabled: return QStringLiteral("Disabled");
    case Health::Unconscious: return QStringLiteral("Unconscious");
    case Health::Dying: return QStringLiteral("Dying");
    case Health::Down: return QStringLiteral("Down");
    }
    return QString();
}

void followHitPoints(QList<OrderEntry> &order, const roster::Roster &roster)
{
    for (qsizetype i = 0; i < order.size(); ++i) {
        const OrderEntry &item = std::as_const(order)[i]; // read without detaching the list
        if (!holdsCombatant(item, roster))
            continue;
        const double hp = hitPoints(roster.rows[static_cast<std::size_t>(item.row)]);
        if (hp > item.highest)
            order[i].highest = hp;
    }
}

} // namespace combat
