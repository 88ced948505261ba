#include "combat/Initiative.h"

#include "combat/FightingOrder.h"
#include "combat/NoteTags.h"
#include "combat/NumberedNames.h"
#include "roster/RowLabels.h"

#include <QHash>
#include <QRegularExpression>

namespace combat {
namespace {

// A sign and up to four digits, then words or nothing: "+3", "-1", "+3 dex".
const QRegularExpression Modifier(QStringLiteral(R"(^\s*([+\-−])\s*([0-9]{1,4})(?![0-9.,])(\D.*)?$)"),
                                  QRegularExpression::DotMatchesEverythingOption);
// A total with its modifier in brackets: "17 (+3)", "13 (+3 (dex))".
const QRegularExpression RolledTotal(QStringLiteral(R"(^\s*(-?[0-9]{1,6})\s*\((.*)\)\s*$)"));

// A modifier is a short text; a field longer than this holds something else.
constexpr qsizetype LongestModifierField = 120;

bool rollsFor(const roster::Row &row, const InitiativeChoice &choice)
{
    return takesPart(row) && !(choice.monstersOnly && hasTag(row.note, PlayerTag));
}

// A group's one d20, and who rolled it when that was before this roll.
struct GroupRoll
{
    int natural = 0;
    QString rolledBy;
};

// The d20s of the groups whose members keep a rolled total: a newcomer that Add Combatants
// numbered into a pack that has rolled acts with it.
QHash<QString, GroupRoll> keptGroupRolls(const roster::Roster &roster, const InitiativeChoice &choice)
{
    QHash<QString, GroupRoll> kept;
    for (int r = 0; r < roster::RowCount && !choice.again; ++r) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        const QString group = groupKey(row.name);
        const std::optional<InitiativeModifier> modifier = initiativeModifier(row.ini);
        if (!rollsFor(row, choice) || group.isEmpty() || kept.contains(group) || !modifier || !modifier->rolledTotal)
            continue;
        const int natural = *modifier->rolledTotal - modifier->value;
        if (natural >= 1 && natural <= 20) // else the total was changed by hand: no d20 to share
            kept.insert(group, {natural, roster::nameOrRowLabel(row, r)});
    }
    return kept;
}

} // namespace

std::optional<InitiativeModifier> initiativeModifier(const QString &fieldText)
{
    if (fieldText.trimmed().isEmpty())
        return InitiativeModifier{QStringLiteral("+0"), 0, std::nullopt};
    // A rolled total takes a modifier with room for its number and brackets ("-99999 (…)").
    if (fieldText.size() > LongestModifierField + 16)
        return std::nullopt;
    const QRegularExpressionMatch rolled = RolledTotal.match(fieldText);
    const QString text = rolled.hasMatch() ? rolled.captured(2) : fieldText;
    if (text.size() > LongestModifierField)
        return std::nullopt;
    const QRegularExpressionMatch m = Modifier.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const int size = m.captured(2).toInt();
    std::optional<int> total;
    if (rolled.hasMatch())
        total = rolled.captured(1).toInt();
    return InitiativeModifier{text.trimmed(), m.captured(1) == u'+' ? size : -size, total};
}

QString rolledInitiative(int total, const InitiativeModifier &modifier)
{
    return QStringLiteral("%1 (%2)").arg(total).arg(modifier.text);
}

bool awaitsInitiative(const roster::Row &row)
{
    const std::optional<InitiativeModifier> modifier = initiativeModifier(row.ini);
    return takesPart(row) && modifier && !modifier->rolledTotal;
}

std::optional<QString> typedInitiative(const QString &field, const QString &typed)
{
    bool whole = false;
    const int total = typed.trimmed().toInt(&whole);
    if (!whole || total < -999999 || total > 999999)
        return std::nullopt;
    const std::optional<InitiativeModifier> modifier = initiativeModifier(field);
    if (!modifier || field.trimmed().isEmpty())
        return QString::number(total);
    return rolledInitiative(total, *modifier);
}

InitiativeRolls rollInitiative(const roster::Roster &roster, Dice &dice, const InitiativeChoice &choice)
{
    // Group initiative as d20 game masters play it: the group rolls one d20 and each member
    // adds its own modifier. Members of one stat block share their modifier, so they share
    // the total and act one after another; one line of the Rolls list names them all.
    QHash<QString, GroupRoll> groupRolls = choice.groups ? keptGroupRolls(roster, choice) : QHash<QString, GroupRoll>();
    QHash<QString, qsizetype> groupLines; // a group's line for each modifier
    InitiativeRolls rolls{roster, {}};
    bool kept = false; // someone in the fight keeps an initiative of their own
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = rolls.roster.rows[static_cast<std::size_t>(r)];
        if (!rollsFor(row, choice) || (!choice.rows.isEmpty() && !choice.rows.contains(r)))
            continue;
        const std::optional<InitiativeModifier> modifier = initiativeModifier(row.ini);
        if (!modifier) {
            // A number of the player's own stays without a word; anything else is told.
            const QString start = row.ini.left(LongestModifierField).trimmed();
            const bool number = !start.isEmpty() && ((start.front() >= u'0' && start.front() <= u'9') || start.front() == u'.');
            if (!start.isEmpty() && !number)
                rolls.records.append(notRolled(RollKind::Initiative, roster::nameOrRowLabel(row, r), start,
                                               QStringLiteral("not a number or a modifier, left as it is")));
            kept = kept || number;
            continue;
        }
        if (modifier->rolledTotal && !choice.again) {
            kept = true;
            continue;
        }
        const QString who = roster::nameOrRowLabel(row, r);
        const QString group = choice.groups ? groupKey(row.name) : QString();
        int total = 0;
        if (group.isEmpty()) {
            rolls.records.append(rollInitiativeCheck(who, modifier->text, modifier->value, dice, &total));
        } else {
            auto groupRoll = groupRolls.find(group);
            if (groupRoll == groupRolls.end())
                groupRoll = groupRolls.insert(group, {dice.roll(20), QString()});
            total = groupRoll->natural + modifier->value;
            const QString lineKey = group + u'\n' + modifier->text;
            if (const auto line = groupLines.constFind(lineKey); line != groupLines.cend()) {
                rolls.records[*line].others << who;
            } else {
                groupLines.insert(lineKey, rolls.records.size());
                RollRecord record = initiativeCheck(who, modifier->text, modifier->value, groupRoll->natural);
                if (!groupRoll->rolledBy.isEmpty())
                    record.result += QStringLiteral(", as %1 rolled").arg(groupRoll->rolledBy);
                rolls.records.append(record);
            }
        }
        row.ini = rolledInitiative(total, *modifier);
    }
    if (rolls.records.isEmpty()) {
        const QString why = kept ? (choice.monstersOnly ? QStringLiteral("every monster in the fight has its initiative")
                                                        : QStringLiteral("everyone in the fight has an initiative"))
                                       + QStringLiteral("; Roll Initiative Again rolls anew")
                                 : (choice.monstersOnly ? QStringLiteral("no monster in the fight to roll for")
                                                        : QStringLiteral("nobody in the fight to roll for"));
        rolls.records.append(notRolled(RollKind::Initiative, QString(), QString(), why));
    }
    return rolls;
}

} // namespace combat
