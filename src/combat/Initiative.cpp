#include "combat/Initiative.h"

#include "combat/FightingOrder.h"
#include "combat/NoteTags.h"

#include <QRegularExpression>

namespace combat {
namespace {

// A sign and up to four digits, then words or nothing: "+3", "-1", "+3 dex".
const QRegularExpression Modifier(QStringLiteral(R"(^\s*([+\-−])\s*(\d{1,4})(?![\d.,])(\D.*)?$)"),
                                  QRegularExpression::DotMatchesEverythingOption);
// A total with its modifier in brackets: "17 (+3)".
const QRegularExpression RolledTotal(QStringLiteral(R"(^\s*-?\d{1,6}\s*\(([^()]*)\)\s*$)"));

constexpr qsizetype LongestField = 32767; // what a field can hold for editing

} // namespace

std::optional<InitiativeModifier> initiativeModifier(const QString &fieldText)
{
    if (fieldText.trimmed().isEmpty())
        return InitiativeModifier{QStringLiteral("+0"), 0};
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
    for (roster::Row &row : rolls.roster.rows) {
        if (!takesPart(row) || (monstersOnly && hasTag(row.note, PlayerTag)))
            continue;
        const std::optional<InitiativeModifier> modifier = initiativeModifier(row.ini);
        if (!modifier) {
            // A number of the player's own stays without a word; anything else is told.
            const QString start = row.ini.trimmed();
            if (!start.isEmpty() && !start.front().isDigit())
                rolls.records.append(notRolled(RollKind::Initiative, row.name, row.ini,
                                               QStringLiteral("not a number or a modifier, left as it is")));
            continue;
        }
        int total = 0;
        RollRecord record = rollInitiativeCheck(row.name, modifier->text, modifier->value, dice, &total);
        const QString text = rolledInitiative(total, *modifier);
        if (text.size() > LongestField) {
            rolls.records.append(notRolled(RollKind::Initiative, row.name, modifier->text,
                                           QStringLiteral("the total and the modifier would not fit the field")));
            continue;
        }
        row.ini = text;
        rolls.records.append(record);
    }
    if (rolls.records.isEmpty())
        rolls.records.append(notRolled(RollKind::Initiative, QString(), QString(),
                                       monstersOnly ? QStringLiteral("no monster in the fight to roll for")
                                                    : QStringLiteral("nobody in the fight to roll for")));
    return rolls;
}

} // namespace combat
