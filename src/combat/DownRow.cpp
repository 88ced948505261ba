#include "combat/DownRow.h"

#include "combat/NoteTags.h"
#include "combat/RowErrors.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

namespace combat {

namespace {
constexpr double DownThreshold = -10.0;
}

bool isDownHitPoints(const QString &hpText)
{
    return roster::textToNumber(hpText) <= DownThreshold;
}

void applyDownRowRule(roster::Row &row, DownRule rule)
{
    const double hp = roster::textToNumber(row.hp); // may throw; nothing written before it
    const bool monster = !hasTag(row.note, PlayerTag);
    setDownState(row, hp <= DownThreshold || (rule.monstersAtZero && monster && hp <= 0.0));
}

void applyDownRowRule(roster::Row &row, int rowIndex, DownRule rule)
{
    try {
        applyDownRowRule(row, rule);
    } catch (const roster::FieldError &) {
        throw hitPointsOutOfRange(rowIndex, row.name, row.hp);
    }
}

double hitPoints(const roster::Row &row)
{
    try {
        return roster::textToNumber(row.hp);
    } catch (const roster::FieldError &) {
        return 0.0;
    }
}

bool isDying(const roster::Row &row)
{
    const double hp = hitPoints(row);
    return !row.down && hp < 0.0 && hp > DownThreshold;
}

void setDownState(roster::Row &row, bool down)
{
    row.down = down;
    row.check = down ? 0 : 1;
}

} // namespace combat
