#include "combat/HitPointTags.h"

#include <QRegularExpression>

namespace combat {
namespace {

QRegularExpression tagPattern(const QString &name)
{
    return QRegularExpression(QStringLiteral(R"(\[\s*%1\s*:\s*([0-9]{1,5})\s*\])").arg(QRegularExpression::escape(name)),
                              QRegularExpression::CaseInsensitiveOption);
}

const QRegularExpression &patternOf(const QString &name)
{
    static const QRegularExpression temporary = tagPattern(TemporaryTagName);
    static const QRegularExpression nonlethal = tagPattern(NonlethalTagName);
    return name == TemporaryTagName ? temporary : nonlethal;
}

// The note without [from, to) and one blank beside it: the one after, else the one before.
QString cut(const QString &note, qsizetype from, qsizetype to)
{
    if (to < note.size() && note.at(to) == u' ')
        ++to;
    else if (from > 0 && note.at(from - 1) == u' ')
        --from;
    return note.left(from) + note.mid(to);
}

} // namespace

bool isHitPointTagName(QStringView name)
{
    const QStringView trimmed = name.trimmed();
    return trimmed.compare(TemporaryTagName, Qt::CaseInsensitive) == 0
        || trimmed.compare(NonlethalTagName, Qt::CaseInsensitive) == 0;
}

int tagValue(const QString &note, const QString &name)
{
    const QRegularExpressionMatch m = patternOf(name).match(note);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString withTagValue(const QString &note, const QString &name, int value)
{
    const QString tag = QStringLiteral("[%1: %2]").arg(name).arg(value);
    QString result = note;
    // The later copies leave first, so that the first one's place stays where it was.
    QList<QRegularExpressionMatch> found;
    for (QRegularExpressionMatchIterator it = patternOf(name).globalMatch(note); it.hasNext();)
        found.append(it.next());
    for (qsizetype i = found.size() - 1; i >= 1; --i)
        result = cut(result, found[i].capturedStart(), found[i].capturedEnd());
    if (!found.isEmpty()) {
        const QRegularExpressionMatch &first = found.front();
        return value > 0 ? result.left(first.capturedStart()) + tag + result.mid(first.capturedEnd())
                         : cut(result, first.capturedStart(), first.capturedEnd());
    }
    if (value <= 0)
        return result;
    const bool separate = !result.isEmpty() && !result.back().isSpace();
    return result + (separate ? QStringLiteral(" ") : QString()) + tag;
}

} // namespace combat
