// libFuzzer target: any bytes through the profile reader and the combat loader.
// Besides crashes and sanitizer reports it stops on a broken promise of the
// loader: a load that did not complete changes nothing, every loaded row's flag
// follows its down state, and what was loaded saves and loads back the same.

#include "files/CombatLoader.h"
#include "files/CombatWriter.h"
#include "files/ProfileReader.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

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

    if (!hitPointsAllUsable(outcome.roster))
        return 0; // only an old-version load passes over such hit points
    const files::LoadOutcome again = files::loadCombat(files::combatFileBytes(outcome.roster), current);
    require(again.status == Status::Loaded && !again.oldVersionRow, "a saved load does not load cleanly");
    require(again.roster == outcome.roster, "a saved load reads back different");
    return 0;
}
