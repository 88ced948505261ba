#include "files/CutOffFile.h"

#include "combat/RowErrors.h"
#include "files/CombatFormat.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"
#include "roster/Fields.h"
#include "roster/Roster.h"

#include <array>

namespace files {
namespace {

// The key lines of a row section in the order the writer puts them: the ten fields, then
// the check value and the general note.
constexpr std::array<const char *, roster::FieldCount + 2> WrittenKeys = [] {
    std::array<const char *, roster::FieldCount + 2> keys{};
    for (std::size_t i = 0; i < roster::RowFields.size(); ++i)
        keys[i] = roster::RowFields[i].fileKey;
    keys[roster::FieldCount] = "Check";
    keys[roster::FieldCount + 1] = "GeneralNote";
    return keys;
}();

// A number the text-to-integer rule reads, too large ones included; an earlier
// version wrote none.
bool isCheckValue(const QString &text)
{
    try {
        roster::textToInteger(text);
    } catch (const roster::FieldError &e) {
        return e.kind() != roster::FieldError::Kind::TypeMismatch;
    }
    return true;
}

} // namespace

QString endsEarlyReason(const ProfileReader &file)
{
    int last = roster::RowCount - 1;
    while (last >= 0 && !file.hasSection(rowSectionName(last)))
        --last;
    if (last < 0)
        return QString();
    bool checked = false;
    for (int r = 0; r <= last && !checked; ++r)
        checked = isCheckValue(file.ReadIniValue(rowSectionName(r), QStringLiteral("Check")));
    if (!checked)
        return QString();

    const QString section = rowSectionName(last);
    // The key lines missing at the end of the last section: where a cut came.
    std::size_t held = WrittenKeys.size();
    while (held > 0 && !file.hasKey(section, QLatin1StringView(WrittenKeys[held - 1])))
        --held;
    const bool cutInside = held < WrittenKeys.size();
    if (!cutInside && last == roster::RowCount - 1)
        return QString();

    QString reason = QStringLiteral("The file \"%1\" ends early: its last row is ")
        + combat::rowPlace(last, file.ReadIniValue(section, QLatin1StringView(roster::fieldInfo(roster::Field::Name).fileKey)),
                           QStringLiteral("section [%1]").arg(section));
    if (cutInside)
        reason += QStringLiteral(", which stops before its \"%1\" line").arg(QLatin1StringView(WrittenKeys[held]));
    const int firstMissing = last + 1;
    const int lastRow = roster::RowCount - 1;
    if (firstMissing == lastRow)
        reason += QStringLiteral(", and Row %1 (section [%2]) is missing").arg(firstMissing + 1).arg(rowSectionName(lastRow));
    else if (firstMissing < lastRow)
        reason += QStringLiteral(", and Rows %1 to %2 (sections [%3] to [%4]) are missing")
                      .arg(firstMissing + 1)
                      .arg(lastRow + 1)
                      .arg(rowSectionName(firstMissing), rowSectionName(lastRow));
    return reason + u'.';
}

} // namespace files
