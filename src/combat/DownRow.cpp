#include "combat/DownRow.h"

#include "roster/FieldText.h"

namespace combat {

namespace {
constexpr double DownThreshold = -10.0;
}

bool isDownHitPoints(const QString &hpText)
{
    return roster::textToNumber(hpText) <= DownThreshold;
}

void applyDownRowRule(roster::Row &row)
{
    setDownState(row, isDownHitPoints(row.hp)); // may throw; nothing written before it
}

void setDownState(roster::Row &row, bool down)
{
    row.down = down;
    row.check = down ? 0 : 1;
}

} // namespace combat
