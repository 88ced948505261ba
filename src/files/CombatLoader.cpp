#include "files/CombatLoader.h"

#include "combat/DownRow.h"
#include "combat/RowErrors.h"
#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CutOffFile.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/Fields.h"

#include <QDir>

namespace files {
namespace {

using roster::FieldError;

// "Row 5 (Goblin, section [Info4])": where a failure is, as the user and the file see it.
QString sectionPlace(int row, const QString &name)
{
    return combat::rowPlace(row, name, QStringLiteral("section [%1]").arg(rowSectionName(row)));
}

// The include flag a file gives a row: a 16-bit integer the check box takes.
qint16 checkValue(const QString &text, int row, const QString &name)
{
    qint16 value = 0;
    try {
        value = roster::textToInteger(text);
    } catch (const FieldError &e) {
        if (e.kind() != FieldError::Kind::Overflow)
            throw;
        throw FieldError(FieldError::Kind::Overflow,
                         QStringLiteral("%1 has the check value %2, which is out of range; it must be 0, 1 or 2.")
                             .arg(sectionPlace(row, name), combat::quotedValue(text)));
    }
    if (value < 0 || value > 2)
        throw FieldError(FieldError::Kind::InvalidValue,
                         QStringLiteral("%1 has the check value %2, which is not 0, 1 or 2.")
                             .arg(sectionPlace(row, name), combat::quotedValue(text)));
    return value;
}

// The down-row rule on a loaded row. Hit points too large to use cost the file no other
// row: the row loads, down only for a negative number, and `notice` says so.
void applyDownRowRuleToLoadedRow(roster::Row &row, int index, QString &notice)
{
    try {
        combat::applyDownRowRule(row);
    } catch (const FieldError &) {
        const QString hp = row.hp.trimmed();
        combat::setDownState(row, hp.startsWith(u'-') || hp.startsWith(u'\u2212'));
        notice += (notice.isEmpty() ? QString() : QStringLiteral(" "))
            + QStringLiteral("%1 has the hit points %2, a number too large to use; the row is loaded as it is, %3.")
                  .arg(sectionPlace(index, row.name), combat::quotedValue(row.hp),
                       row.down ? QStringLiteral("down") : QStringLiteral("not down"));
    }
}

LoadOutcome refused(const roster::Roster &current, const QString &message)
{
    return {LoadOutcome::Status::Refused, current, std::nullopt, message, {}, {}, {}, {}, {}};
}

LoadOutcome failed(const roster::Roster &current, const QString &message)
{
    return {LoadOutcome::Status::Failed, current, std::nullopt,
            message + QStringLiteral(" Nothing was loaded; the combat on screen is unchanged."), {}, {}, {}, {}, {}};
}

// A text saved as UTF-16: a byte-order mark, or every other byte of its start a NUL.
bool looksLikeUtf16(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    const qsizetype start = qMin(bytes.size(), qsizetype(512)) & ~qsizetype(1);
    if (start < 4)
        return false;
    bool evenNul = true;
    bool oddNul = true;
    bool anyText = false;
    for (qsizetype i = 0; i < start; i += 2) {
        evenNul = evenNul && bytes.at(i) == 0;
        oddNul = oddNul && bytes.at(i + 1) == 0;
        anyText = anyText || bytes.at(i) != 0 || bytes.at(i + 1) != 0;
    }
    return anyText && (evenNul || oddNul);
}

} // namespace

LoadOutcome loadCombat(const QByteArray &bytes, const roster::Roster &current)
{
    return loadCombat(ProfileReader(bytes), current);
}

LoadOutcome loadCombat(const ProfileReader &file, const roster::Roster &current)
{
    LoadOutcome outcome{LoadOutcome::Status::Loaded, current, std::nullopt, {}, {}, {}, {}, {}, {}};
    // Until the first old-version warning a failure ends the load; after it every
    // failure is passed over, as a file of an earlier version needs.
    bool ignoring = false;

    for (int r = 0; r < roster::RowCount; ++r) {
        const QString section = rowSectionName(r);
        auto read = [&](const char *key) { return file.ReadIniValue(section, QLatin1StringView(key)); };
        roster::Row &row = outcome.roster.rows[static_cast<std::size_t>(r)];
        for (const roster::FieldInfo &field : roster::RowFields)
            row.*field.text = read(field.fileKey);
        try {
            row.check = checkValue(read("Check"), r, row.name);
        } catch (const FieldError &e) {
            if (!ignoring && e.kind() == FieldError::Kind::TypeMismatch) {
                outcome.oldVersionRow = r;
                ignoring = true;
            } else if (!ignoring) {
                return failed(current, e.message());
            }
        }
        if (ignoring) {
            try {
                combat::applyDownRowRule(row);
            } catch (const FieldError &) {
                combat::setDownState(row, true); // the step after a failed test is the down branch
            }
        } else {
            applyDownRowRuleToLoadedRow(row, r, outcome.numberNotice);
        }
    }
    // Each row reads the general note in turn and the last one read stays.
    outcome.roster.generalNote =
        decodeGeneralNote(file.ReadIniValue(rowSectionName(roster::RowCount - 1), QStringLiteral("GeneralNote")));
    return outcome;
}

LoadOutcome loadCombatWithFight(const ProfileReader &file, const roster::Roster &current)
{
    LoadOutcome outcome = loadCombat(file, current);
    if (outcome.status != LoadOutcome::Status::Loaded)
        return outcome;
    FightRead fight = readFightSection(file, outcome.roster);
    outcome.fight = std::move(fight.fight);
    outcome.fightNotice = std::move(fight.problem);
    return outcome;
}

namespace {

LoadOutcome loadFromFile(const QString &path, const roster::Roster &current)
{
    const QString shown = QDir::toNativeSeparators(path);
    QByteArray bytes;
    if (const QString reason = readCombatFileBytes(path, bytes); !reason.isEmpty())
        return refused(current, reason.arg(shown));

    const ProfileReader reader(bytes);
    bool anyRow = false;
    for (int r = 0; r < roster::RowCount && !anyRow; ++r)
        anyRow = reader.hasSection(rowSectionName(r));
    if (anyRow) {
        LoadOutcome outcome = loadCombatWithFight(reader, current);
        if (outcome.status != LoadOutcome::Status::Loaded)
            return outcome;
        std::optional<CutOff> cut = findCutOff(reader);
        // A cut past the last row's last line took only what follows the rows.
        if (cut && cut->row < 0 && reader.hasKey(rowSectionName(roster::RowCount - 1), QStringLiteral("GeneralNote")))
            cut.reset();
        if (!cut)
            return outcome;
        // What the cut took is said by the notice; the old-version warning stays only
        // for a row the file held whole without a check value.
        outcome.cutNotice = cutOffNotice(*cut, reader, shown);
        if (outcome.oldVersionRow && checkLostToCut(*cut, reader, *outcome.oldVersionRow))
            outcome.oldVersionRow.reset();
        return outcome;
    }
    if (bytes.isEmpty())
        return refused(current, QStringLiteral("The file \"%1\" is empty, not a combat file.").arg(shown));
    if (looksLikeUtf16(bytes))
        return refused(current, QStringLiteral("The file \"%1\" is a UTF-16 text file; combat files are saved as "
                                               "Windows-1252 or UTF-8 text.")
                                    .arg(shown));
    return refused(current, QStringLiteral("The file \"%1\" is not a combat file: it has none of the "
                                           "sections [Info0] to [Info18].")
                                .arg(shown));
}

} // namespace

LoadOutcome loadCombatFile(const QString &path, const roster::Roster &current)
{
    if (path.isEmpty())
        return refused(current, QStringLiteral("No combat file was named."));
    const QString notice = recoverCombatFile(path);
    LoadOutcome outcome = loadFromFile(path, current);
    outcome.notice = notice;
    return outcome;
}

QString oldVersionWarningText(const QString &verTxt)
{
    return QStringLiteral("You are loading a combat prior to ") + verTxt
        + QStringLiteral(", there may be some errors");
}

QString nothingAddedText(const QString &path, int named, int free)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (named == 0)
        return QStringLiteral("The file \"%1\" has no named combatants; nothing was added.").arg(shown);
    return QStringLiteral("The file \"%1\" has %2 named combatants, but only %3 rows are free; nothing was added.")
        .arg(shown, QString::number(named), QString::number(free));
}

QString unknownErrorTitle(const QString &message)
{
    return QStringLiteral("Unknown Error. Contact Vesmar:") + QStringLiteral("\r\n") + message;
}

} // namespace files
