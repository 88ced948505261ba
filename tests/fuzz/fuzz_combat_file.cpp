// libFuzzer target: any bytes through the profile reader, the combat loader, the
// cut-off rule and the conditions' tick. Besides crashes and sanitizer reports it
// stops on a broken promise: a load that did not complete changes nothing, every
// loaded row's flag follows its down state, what was loaded saves and loads back
// the same, a saved file cut anywhere keeps the rows before the cut, and a tick
// taken back gives the note back.

#include "combat/Conditions.h"
#include "combat/Initiative.h"
#include "combat/Rolls.h"
#include "files/CombatFormat.h"
#include "files/CombatLoader.h"
#include "files/CombatWriter.h"
#include "files/CutOffFile.h"
#include "files/FightSection.h"
#include "files/ProfileReader.h"
#include "files/TextEncoding.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/Fields.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

bool hitPointsAllUsable(const roster::Roster &roster)
{
    try {
        for (const roster::Row &row : roster.rows)
            (void)roster::textToNumber(row.hp);
    } catch (const roster::FieldError &) {
        return false;
    }
    return true;
}

// LF, or a CR that is not the first half of a CR LF cut off: a file whose lines end in CR LF
// and that ends in a lone CR was cut between the two.
bool endsWithLineEnd(const QByteArray &bytes)
{
    return bytes.endsWith('\n') || (bytes.endsWith('\r') && !bytes.chopped(1).contains("\r\n"));
}

// The cut-off rule on any bytes: only a last line without a line end is a cut, the
// rows it names exist, and the notice names the file.
void checkCutOff(const QByteArray &bytes, const files::ProfileReader &reader, const files::LoadOutcome &outcome)
{
    const std::optional<files::CutOff> cut = files::findCutOff(reader);
    if (!cut)
        return;
    require(!bytes.isEmpty() && !endsWithLineEnd(bytes), "a cut where the last line ends");
    require(cut->row >= -1 && cut->row < roster::RowCount, "cut row out of range");
    require(files::cutOffNotice(*cut, reader, QStringLiteral("/f.ini")).startsWith(QStringLiteral("The file \"/f.ini\"")),
            "a notice without the file");
    if (outcome.oldVersionRow)
        (void)files::checkLostToCut(*cut, reader, *outcome.oldVersionRow);
}

// A file this writer saved, cut short at `length` bytes: what came before the cut
// loads as saved, what came after is empty, and an old-version warning comes only
// from the cut, so that the notice takes its place.
void checkSavedFileCut(const QByteArray &saved, qsizetype length, const roster::Roster &roster,
                       const roster::Roster &current)
{
    const QByteArray bytes = saved.first(length);
    const files::ProfileReader reader(bytes);
    const files::LoadOutcome outcome = files::loadCombat(reader, current);
    const std::optional<files::CutOff> cut = files::findCutOff(reader);
    require(outcome.status == files::LoadOutcome::Status::Loaded, "a cut saved file did not load");
    require(cut.has_value() == !endsWithLineEnd(bytes), "a cut not found, or found at a line end");
    if (!cut)
        return;
    require(cut->row >= 0, "a cut saved file cut in no row");
    // Windows-1252 bytes before a cut that look like UTF-8 but for a half character
    // at the cut read as UTF-8; no rule can tell those apart.
    if (!files::decodeCombatText(saved).startsWith(files::decodeCombatText(bytes)))
        return;
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = outcome.roster.rows[static_cast<std::size_t>(r)];
        if (r < cut->row)
            require(row == roster.rows[static_cast<std::size_t>(r)], "a row before the cut loaded different");
        for (const roster::FieldInfo &field : roster::RowFields)
            require(r <= cut->row || (row.*field.text).isEmpty(), "a row after the cut holds text");
    }
    require(!outcome.oldVersionRow || files::checkLostToCut(*cut, reader, *outcome.oldVersionRow),
            "the cut of a saved file left an old-version warning standing");
}

// Taking a tick back gives the note back, whatever the note holds.
void checkConditionTick(const QString &note)
{
    const combat::ConditionTick tick = combat::tickConditions(note);
    require(combat::untickConditions(tick.note, tick.removed) == note, "untick(tick(note)) is not the note");
}

// Counts the dice a roll throws; every face is the die's highest.
struct CountingDice : combat::Dice
{
    int thrown = 0;
    int roll(int sides) override
    {
        ++thrown;
        return sides;
    }
};

// Rolls stay within their limits and a line within its length; a rolled initiative
// reads back the modifier it was rolled with.
void checkDice(const roster::Roster &roster)
{
    for (const roster::Row &row : roster.rows) {
        CountingDice dice;
        const combat::RollRecord attack = combat::rollAttack(row.name, row.attack, dice);
        require(dice.thrown <= 2 * combat::MaxAttackRolls, "an attack threw too many d20");
        require(attack.rolled || attack.marks.isEmpty(), "marks on a roll that was not made");
        CountingDice damage;
        const QString line = combat::rollLine(combat::rollDamage(row.name, row.damage, row.attack, damage));
        require(damage.thrown <= combat::MaxDice, "a damage roll threw too many dice");
        require(line.size() < 700, "a roll's line too long to read");
        if (const auto modifier = combat::initiativeModifier(row.ini)) {
            const auto again = combat::initiativeModifier(combat::rolledInitiative(20 + modifier->value, *modifier));
            require(again && again->text == modifier->text && again->value == modifier->value,
                    "a rolled initiative does not read back its modifier");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const files::ProfileReader reader(bytes);
    const QString name = reader.ReadIniValue(QStringLiteral("Info0"), QStringLiteral("Name"));
    require(!name.contains(u'\n') && !name.contains(u'\r'), "a value holds a line break");
    require(reader.hasSection(QStringLiteral(" info0 ")) == reader.hasSection(QStringLiteral("INFO0")),
            "section names differ by case or blanks");

    roster::Roster current;
    current.rows[3].name = QStringLiteral("kept");
    current.rows[3].amount = QStringLiteral("5");
    current.generalNote = QStringLiteral("kept note");
    const files::LoadOutcome outcome = files::loadCombat(reader, current);
    checkCutOff(bytes, reader, outcome);
    checkConditionTick(files::decodeCombatText(bytes));
    checkDice(outcome.roster);

    using Status = files::LoadOutcome::Status;
    require(outcome.status != Status::Refused, "the byte loader refused");
    if (outcome.status == Status::Failed) {
        require(outcome.roster == current, "a failed load changed the roster");
        require(!outcome.message.isEmpty(), "a failure without a message");
        require(!outcome.oldVersionRow, "a failure after the old-version warning");
        return 0;
    }
    require(!outcome.oldVersionRow || (*outcome.oldVersionRow >= 0 && *outcome.oldVersionRow < roster::RowCount),
            "warning row out of range");
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = outcome.roster.rows[static_cast<std::size_t>(r)];
        require(row.check == (row.down ? 0 : 1), "flag does not follow the down state");
        require(row.amount == current.rows[static_cast<std::size_t>(r)].amount, "an amount was loaded");
    }

    // A fight section that reads is written back as one that reads the same.
    files::FightRead fight = files::readFightSection(reader, outcome.roster);
    require(fight.fight.has_value() == fight.problem.isEmpty() || !reader.hasSection(files::FightSectionName),
            "a fight section neither read nor refused");
    if (fight.fight) {
        roster::Roster bound = outcome.roster;
        files::bindFight(*fight.fight, bound);
        const QString text = files::fightSectionText(bound, fight.fight->order, fight.fight->turn);
        if (!text.isEmpty()) {
            const files::ProfileReader written(files::combatFileBytes(bound) + text.toLatin1());
            const files::FightRead again = files::readFightSection(written, bound);
            require(again.fight && again.fight->order.size() == fight.fight->order.size()
                        && again.fight->turn.taken.size() == fight.fight->turn.taken.size(),
                    "a written fight section reads back different");
        }
    }

    if (!hitPointsAllUsable(outcome.roster))
        return 0; // only an old-version load passes over such hit points
    const QByteArray saved = files::combatFileBytes(outcome.roster);
    const files::LoadOutcome again = files::loadCombat(saved, current);
    require(again.status == Status::Loaded && !again.oldVersionRow, "a saved load does not load cleanly");
    require(again.roster == outcome.roster, "a saved load reads back different");
    checkSavedFileCut(saved, static_cast<qsizetype>(qHashBits(data, size) % std::size_t(saved.size())) + 1,
                      outcome.roster, current);
    return 0;
}
