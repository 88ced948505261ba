#include "files/CombatLoader.h"

#include "combat/DownRow.h"
#include "files/CombatFormat.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace files {
namespace {

using roster::FieldError;

// A value quoted in a message; a huge one would drown the sentence.
QString quoted(const QString &value)
{
    constexpr qsizetype Longest = 40;
    if (value.size() <= Longest)
        return u'"' + value + u'"';
    const qsizetype cut = value.at(Longest - 1).isHighSurrogate() ? Longest - 1 : Longest;
    return u'"' + value.first(cut) + QStringLiteral("…\"");
}

QString rowPlace(int row)
{
    return QStringLiteral("Row %1 (section [%2])").arg(row + 1).arg(rowSectionName(row));
}

// The include flag a file gives a row: a 16-bit integer the check box takes.
qint16 checkValue(const QString &text, int row)
{
    qint16 value = 0;
    try {
        value = roster::textToInteger(text);
    } catch (const FieldError &e) {
        if (e.kind() != FieldError::Kind::Overflow)
            throw;
        throw FieldError(FieldError::Kind::Overflow,
                         QStringLiteral("%1 has the check value %2, which is out of range; it must be 0, 1 or 2.")
                             .arg(rowPlace(row), quoted(text)));
    }
    if (value < 0 || value > 2)
        throw FieldError(FieldError::Kind::InvalidValue,
                         QStringLiteral("%1 has the check value %2, which is not 0, 1 or 2.")
                             .arg(rowPlace(row), quoted(text)));
    return value;
}

bool isDown(const QString &hp, int row)
{
    try {
        return combat::isDownHitPoints(hp);
    } catch (const FieldError &e) {
        throw FieldError(e.kind(), QStringLiteral("%1 has the hit points %2, a number too large to use.")
                                       .arg(rowPlace(row), quoted(hp)));
    }
}

void setDown(roster::Row &row, bool down)
{
    row.down = down;
    row.check = down ? 0 : 1;
}

LoadOutcome refused(const roster::Roster &current, const QString &message)
{
    return {LoadOutcome::Status::Refused, current, std::nullopt, message};
}

} // namespace

LoadOutcome loadCombat(const QByteArray &bytes, const roster::Roster &current)
{
    return loadCombat(ProfileReader(bytes), current);
}

LoadOutcome loadCombat(const ProfileReader &file, const roster::Roster &current)
{
    LoadOutcome outcome{LoadOutcome::Status::Loaded, current, std::nullopt, QString()};
    // Until the first old-version warning a failure ends the load; after it every
    // failure is passed over, as a file of an earlier version needs.
    bool ignoring = false;
    QString lastStoredNote;

    for (int r = 0; r < roster::RowCount; ++r) {
        const QString section = rowSectionName(r);
        auto read = [&](const char *key) { return file.ReadIniValue(section, QLatin1StringView(key)); };
        roster::Row &row = outcome.roster.rows[static_cast<std::size_t>(r)];
        row.name = read("Name");
        row.hp = read("HP");
        row.ac = read("AC");
        row.note = read("Note");
        row.ini = read("Ini");
        row.fort = read("Fort");
        row.rex = read("Rex");
        row.will = read("Will");
        row.attack = read("Attack");
        row.damage = read("Damage");
        try {
            row.check = checkValue(read("Check"), r);
        } catch (const FieldError &e) {
            if (!ignoring && e.kind() == FieldError::Kind::TypeMismatch) {
                outcome.oldVersionRow = r;
                ignoring = true;
            } else if (!ignoring) {
                return {LoadOutcome::Status::Failed, current, std::nullopt, e.message()};
            }
        }
        // Every section carries the same note as a rule; decode it only when it differs.
        if (const QString stored = read("GeneralNote"); r == 0 || stored != lastStoredNote) {
            outcome.roster.generalNote = decodeGeneralNote(stored);
            lastStoredNote = stored;
        }
        try {
            setDown(row, isDown(row.hp, r));
        } catch (const FieldError &e) {
            if (!ignoring)
                return {LoadOutcome::Status::Failed, current, std::nullopt, e.message()};
            setDown(row, true); // the step after a failed test is the down branch
        }
    }
    return outcome;
}

LoadOutcome loadCombatFile(const QString &path, const roster::Roster &current)
{
    if (path.isEmpty())
        return refused(current, QStringLiteral("No combat file was named."));
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return refused(current, QStringLiteral("The file \"%1\" does not exist.").arg(shown));
    if (info.isDir())
        return refused(current, QStringLiteral("\"%1\" is a folder, not a combat file.").arg(shown));
    if (!info.isFile())
        return refused(current, QStringLiteral("\"%1\" is not an ordinary file.").arg(shown));

    const QString tooLarge =
        QStringLiteral("The file \"%1\" is too large for a combat file (over 16 MiB).").arg(shown);
    if (info.size() > MaxCombatFileSize)
        return refused(current, tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(current, QStringLiteral("The file \"%1\" cannot be read: %2.").arg(shown, file.errorString()));
    const QByteArray bytes = file.read(MaxCombatFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(current, QStringLiteral("The file \"%1\" cannot be read: %2.").arg(shown, file.errorString()));
    if (bytes.size() > MaxCombatFileSize)
        return refused(current, tooLarge);

    const ProfileReader reader(bytes);
    bool anyRow = false;
    for (int r = 0; r < roster::RowCount && !anyRow; ++r)
        anyRow = reader.hasSection(rowSectionName(r));
    if (!anyRow)
        return refused(current, QStringLiteral("The file \"%1\" is not a combat file: it has none of the "
                                               "sections [Info0] to [Info18].")
                                    .arg(shown));
    return loadCombat(reader, current);
}

QString oldVersionWarningText(const QString &verTxt)
{
    return QStringLiteral("You are loading a combat prior to ") + verTxt
        + QStringLiteral(", there may be some errors");
}

QString unknownErrorTitle(const QString &message)
{
    return QStringLiteral("Unknown Error. Contact Vesmar:") + QStringLiteral("\r\n") + message;
}

} // namespace files
