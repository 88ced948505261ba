#include "combat/NoteTags.h"

#include <algorithm>

namespace combat {

bool hasTag(const QString &note, const QString &tag)
{
    return note.contains(tag, Qt::CaseInsensitive);
}

QString withTag(const QString &note, const QString &tag)
{
    if (hasTag(note, tag))
        return note;
    const bool separate = !note.isEmpty() && !note.back().isSpace();
    return note + (separate ? QStringLiteral(" ") : QString()) + tag;
}

TagRemoval withoutTag(const QString &note, const QString &tag)
{
    TagRemoval result;
    qsizetype copied = 0;
    for (qsizetype at = note.indexOf(tag, 0, Qt::CaseInsensitive); at >= 0;
         at = note.indexOf(tag, copied, Qt::CaseInsensitive)) {
        qsizetype from = at;
        qsizetype to = at + tag.size();
        if (to < note.size() && note[to] == u' ')
            ++to;
        else if (from > copied && note[from - 1] == u' ')
            --from;
        result.note += QStringView(note).sliced(copied, from - copied);
        result.removed.append({result.note.size(), note.sliced(from, to - from)});
        copied = to;
    }
    if (result.removed.isEmpty())
        return {note, {}};
    result.note += QStringView(note).sliced(copied);
    return result;
}

QString restoreText(const QString &note, const QList<RemovedText> &removed)
{
    if (removed.isEmpty())
        return note;
    QString restored;
    qsizetype copied = 0;
    for (const RemovedText &r : removed) {
        const qsizetype at = std::clamp(r.position, copied, note.size());
        restored += QStringView(note).sliced(copied, at - copied);
        restored += r.text;
        copied = at;
    }
    restored += QStringView(note).sliced(copied);
    return restored;
}

} // namespace combat
