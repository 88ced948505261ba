#include "files/CutOffFile.h"

#include "combat/RowErrors.h"
#include "files/CombatFormat.h"
#include "roster/Fields.h"
#include "roster/RowLabels.h"
#include "roster/Roster.h"

#include <QStringList>

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

const QString CheckKey = QStringLiteral("Check");
const QString GeneralNoteKey = QStringLiteral("GeneralNote");

// Names compared as the reader compares them: blanks and case do not count.
bool sameName(QStringView a, const QString &b)
{
    return ProfileReader::Name(a) == ProfileReader::Name(b);
}

int writtenKeyIndex(QStringView key)
{
    for (std::size_t i = 0; i < WrittenKeys.size(); ++i)
        if (sameName(key, QString::fromLatin1(WrittenKeys[i])))
            return static_cast<int>(i);
    return -1;
}

// The row whose section `name` is, or -1.
int rowOfSection(QStringView name)
{
    for (int r = 0; r < roster::RowCount; ++r)
        if (sameName(name, rowSectionName(r)))
            return r;
    return -1;
}

// Some of the ten fields from the cut key on never came.
bool restOfRowLost(const CutOff &cut, const ProfileReader &file)
{
    const QString section = rowSectionName(cut.row);
    const int from = writtenKeyIndex(cut.key);
    for (int i = from; i >= 0 && i < roster::FieldCount; ++i)
        if (!file.hasKey(section, QString::fromLatin1(WrittenKeys[static_cast<std::size_t>(i)])))
            return true;
    return false;
}

// "Row 19" or "Rows 4 to 19", each run of rows left without a section by the cut.
QStringList rowsLost(const CutOff &cut, const ProfileReader &file)
{
    auto lost = [&](int r) { return (cut.inSectionLine && r == cut.row) || !file.hasSection(rowSectionName(r)); };
    QStringList runs;
    for (int r = cut.inSectionLine ? cut.row : cut.row + 1; r < roster::RowCount; ++r) {
        if (!lost(r))
            continue;
        const int first = r;
        while (r + 1 < roster::RowCount && lost(r + 1))
            ++r;
        runs << (first == r ? roster::rowLabel(first)
                            : QStringLiteral("Rows %1 to %2").arg(first + 1).arg(r + 1));
    }
    return runs;
}

} // namespace

std::optional<CutOff> findCutOff(const ProfileReader &file)
{
    const QStringView line = file.unendedLine();
    qsizetype start = 0;
    while (start < line.size() && (line.at(start) == u' ' || line.at(start) == u'\t'))
        ++start;
    if (start == line.size())
        return std::nullopt;

    CutOff cut;
    const QStringView before = file.sectionBeforeUnendedLine();
    const int previous = before.isNull() ? -1 : rowOfSection(before);
    if (line.at(start) == u'[') {
        // A section line: the row it names when its "]" came, else the row after the last one.
        cut.inSectionLine = true;
        const qsizetype close = line.indexOf(u']', start);
        const int named = close < 0 ? -1 : rowOfSection(line.sliced(start + 1, close - start - 1));
        cut.row = named >= 0 ? named : before.isNull() ? 0 : previous < 0 ? -1 : previous + 1;
        if (cut.row >= roster::RowCount)
            cut.row = -1;
        return cut;
    }
    cut.row = previous;
    if (cut.row < 0)
        return cut;
    if (const qsizetype equals = line.indexOf(u'='); equals >= 0) {
        const ProfileReader::Name key(line.first(equals));
        const int known = writtenKeyIndex(key.text);
        cut.key = known >= 0 ? QString::fromLatin1(WrittenKeys[static_cast<std::size_t>(known)]) : key.text.toString();
        return cut;
    }
    // The "=" never came, so the reader skipped the line: it is the first key the
    // writer's order still lacks.
    const QString section = rowSectionName(cut.row);
    for (const char *key : WrittenKeys) {
        if (!file.hasKey(section, QString::fromLatin1(key))) {
            cut.key = QString::fromLatin1(key);
            break;
        }
    }
    return cut;
}

bool checkLostToCut(const CutOff &cut, const ProfileReader &file, int row)
{
    if (cut.row < 0 || row < cut.row)
        return false;
    const QString section = rowSectionName(row);
    if (row > cut.row)
        return !file.hasSection(section);
    return cut.inSectionLine || cut.key == CheckKey || !file.hasKey(section, CheckKey);
}

QString cutOffNotice(const CutOff &cut, const ProfileReader &file, const QString &shownPath)
{
    QString notice = QStringLiteral("The file \"%1\" ends early, in the middle of ").arg(shownPath);
    QStringList lost;
    if (cut.row < 0) {
        notice += QStringLiteral("its last line.");
    } else {
        const QString section = rowSectionName(cut.row);
        const QString name = file.ReadIniValue(section, QString::fromLatin1(WrittenKeys[0]));
        const QString place = combat::rowPlace(cut.row, name, QStringLiteral("section [%1]").arg(section));
        if (cut.inSectionLine)
            notice += QStringLiteral("the section line of ") + place + u'.';
        else if (cut.key.isEmpty())
            notice += QStringLiteral("a line of ") + place + u'.';
        else
            notice += QStringLiteral("the %1 line of ").arg(combat::quotedValue(cut.key)) + place + u'.';

        if (!cut.inSectionLine && restOfRowLost(cut, file))
            lost << QStringLiteral("the rest of ") + combat::rowPlace(cut.row, QString());
        lost << rowsLost(cut, file);
        // The note that stays is the one of the last row section.
        if (!file.hasKey(rowSectionName(roster::RowCount - 1), GeneralNoteKey))
            lost << QStringLiteral("the general note");
    }
    if (!lost.isEmpty()) {
        const bool plural = lost.size() > 1 || lost.first().startsWith(QStringLiteral("Rows"));
        QString list = lost.takeLast();
        if (!lost.isEmpty())
            list = lost.join(QStringLiteral(", ")) + QStringLiteral(" and ") + list;
        list[0] = list[0].toUpper();
        notice += u' ' + list + (plural ? QStringLiteral(" were left empty.") : QStringLiteral(" was left empty."));
    }
    return notice + QStringLiteral(" Everything before the cut was loaded; keep a copy of the file before you "
                                   "save over it.");
}

} // namespace files
