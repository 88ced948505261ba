#include "combat/StateWords.h"

#include "combat/Conditions.h"
#include "combat/DownRow.h"
#include "combat/HitPointTags.h"
#include "combat/HitPoints.h"
#include "combat/NoteTags.h"

namespace combat {

QStringList stateWords(const roster::Row &row, Viewers viewers, bool conditions, const QString &healthWord,
                       Wait wait)
{
    QStringList words;
    if (!healthWord.isEmpty())
        words << healthWord;
    else if (row.down)
        words << QStringLiteral("down");
    else if (isDying(row))
        words << QStringLiteral("dying");
    else if (const NonlethalState nonlethal = nonlethalState(row); nonlethal != NonlethalState::None)
        words << (nonlethal == NonlethalState::Unconscious ? QStringLiteral("unconscious") : QStringLiteral("staggered"));
    if (wait != Wait::None) {
        const bool players = viewers == Viewers::Players;
        if (wait == Wait::Delaying)
            words << (players ? QStringLiteral("Delaying") : QStringLiteral("delaying"));
        else
            words << (players ? QStringLiteral("Ready") : QStringLiteral("ready"));
    }
    if (viewers == Viewers::GameMaster && hasTag(row.note, HiddenTag))
        words << QStringLiteral("hidden");
    if (const int temporary = tagValue(row.note, TemporaryTagName); viewers == Viewers::GameMaster && temporary > 0)
        words << QStringLiteral("temp %1").arg(temporary);
    if (conditions) {
        if (const QString timed = conditionsText(row.note); !timed.isEmpty())
            words << timed;
    }
    return words;
}

} // namespace combat
