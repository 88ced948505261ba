#include "files/CombatWriter.h"

#include "files/CombatFormat.h"
#include "files/TextEncoding.h"
#include "roster/FieldText.h"
#include "roster/Fields.h"

namespace files {
namespace {

// A row text on one line: each line break (CR LF, LF or CR) becomes one blank.
QString singleLine(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

void appendLine(QString &out, QLatin1StringView key, const QString &value)
{
    out += key;
    out += u'=';
    out += value;
    out += QLatin1StringView(LineEnd);
}

} // namespace

QString combatFileText(const roster::Roster &roster)
{
    const QString note = encodeGeneralNote(roster.generalNote);
    QString out;
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        out += u'[';
        out += rowSectionName(r);
        out += u']';
        out += QLatin1StringView(LineEnd);
        for (const roster::FieldInfo &field : roster::RowFields)
            appendLine(out, QLatin1StringView(field.fileKey), singleLine(row.*field.text));
        appendLine(out, QLatin1StringView("Check"), roster::integerToText(row.check));
        appendLine(out, QLatin1StringView("GeneralNote"), note);
    }
    return out;
}

QByteArray combatFileBytes(const roster::Roster &roster)
{
    return encodeCombatText(combatFileText(roster));
}

} // namespace files
