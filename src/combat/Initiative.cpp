#include "combat/Initiative.h"

#include "combat/FightingOrder.h"
#include "combat/NoteTags.h"
#include "roster/RowLabels.h"

#include <QRegularExpression>

namespace combat {
namespace {

// A sign and up to four digits, then words or nothing: "+3", "-1", "+3 dex".
const QRegularExpression Modifier(QStringLiteral(R"(^\s*([+\-−])\s*([0-9]{1,4})(?![0-9.,])(\D.*)?$)"),
                                  QRegularExpression::DotMatchesEverythingOption);
// A total with its modifier in brackets: "17 (+3)", "13 (+3 (dex))".
const QRegularExpression RolledTotal(QStringLiteral(R"(^\s*-?[0-9]{1,6}\s*\((.*)\)\s*$)"));

// A modifier is a short text; a field longer than this holds something else.
constexpr qsizetype LongestModifierField = 120;

} // namespace

std::optional<InitiativeModifier> initiativeModifier(const QString &fieldText)
{
    if (fieldText.trimmed().isEmpty())
        return InitiativeModifier{QStringLiteral("+0"), 0};
    if (fieldText.size() > LongestModifierField)
        return std::nullopt;
    const QRegularExpressionMatch rolled = RolledTotal.match(fieldText);
    const QString text = rolled.hasMatch() ? rolled.captured(1) : fieldText;
    const QRegularExpressionMatch m = Modifier.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int size = m.captured(2).toInt();
    return InitiativeModifier{text.trimmed(), m.captured(1) == u'+' ? size : -size};
}

QString rolledInitiative(int total, const InitiativeModifier &modifier)
{
    return QStringLiteral("%1 (%2)").arg(total).arg(modifier.text);
}

InitiativeRolls rollInitiative(const roster::Roster &roster, Dice &dice, bool monstersOnly)
{
    InitiativeRolls rolls{roster, {}};
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = rolls.roster.rows[static_cast<std::size_t>(r)];
        if (!takesPart(row) || (monstersOnly && hasTag(row.note, PlayerTag)))
            continue;
        const std::optional<InitiativeModifier> modifier = initiativeModifier(row.ini);
        if (!modifier) {
            // A number of the player's own stays without a word; anything else is told.
            const QString start = row.ini.left(LongestModifierField).trimmed();
            const bool number = !start.isEmpty() && ((start.front() >= u'0' && start.front() <= u'9') || start.front() == u'.');
            if (!start.isEmpty() && !number)
                rolls.records.append(notRolled(RollKind::Initiative, roster::nameOrRowLabel(row, r), start,
                                               QStringLiteral("not a number or a modifier, left as it is")));
            continue;
        }
        int total = 0;
        RollRecord record = rollInitiativeCheck(roster::nameOrRowLabel(row, r), modifier->text, modifier->value, dice, &total);
        row.ini = rolledInitiative(total, *modifier);
        rolls.records.append(record);
    }
    if (rolls.records.isEmpty())
        rolls.records.append(notRolled(RollKind::Initiative, QString(), QString(),
                                       monstersOnly ? QStringLiteral("no monster in the fight to roll for")
                                                    : QStringLiteral("nobody in the fight to roll for")));
    return rolls;
}

} // namespace combat
