#include "files/CombatFormat.h"

#include "roster/FieldText.h"

namespace files {

QString rowSectionName(int row)
{
    return QStringLiteral("Info") + roster::integerToText(static_cast<qint16>(row));
}

QString encodeGeneralNote(const QString &note)
{
    QString encoded;
    encoded.reserve(note.size());
    const QString token = QString::fromUtf16(LineBreakToken);
    for (qsizetype i = 0; i < note.size(); ++i) {
        const QChar c = note.at(i);
        if (c == u'\r') {
            if (i + 1 < note.size() && note.at(i + 1) == u'\n')
                ++i; // CR LF is one break
            encoded += token;
        } else if (c == u'\n') {
            encoded += token;
        } else {
            encoded += c;
        }
    }
    return encoded;
}

QString decodeGeneralNote(const QString &stored)
{
    QString note = stored;
    note.replace(QString::fromUtf16(LineBreakToken), QStringLiteral("\n"));
    return note;
}

} // namespace files
