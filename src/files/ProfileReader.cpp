#include "files/ProfileReader.h"

#include "files/CombatFormat.h"
#include "files/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>

namespace files {
namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s.at(begin)))
        ++begin;
    while (end > begin && isBlank(s.at(end - 1)))
        --end;
    return s.sliced(begin, end - begin);
}

// Names compare without regard to case; plain ASCII names (all that combat
// files use) skip the full Unicode folding, which costs most of a load.
QString nameKey(QStringView name)
{
    const QStringView trimmed = trimBlanks(name);
    QString key(trimmed.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (const QChar c : trimmed) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return trimmed.toString().toCaseFolded();
        *out++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
    }
    return key;
}

} // namespace

ProfileReader::ProfileReader(const QByteArray &bytes)
{
    parse(decodeCombatText(bytes));
}

void ProfileReader::parse(const QString &text)
{
    qsizetype current = -1; // no section yet, or inside a duplicate one
    const QStringView all(text);
    const qsizetype size = all.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && all.at(end) != u'\n' && all.at(end) != u'\r')
            ++end;
        const QStringView line = all.sliced(pos, end - pos);
        pos = end + 1;
        if (end + 1 < size && all.at(end) == u'\r' && all.at(end + 1) == u'\n')
            ++pos;

        const QStringView head = trimBlanks(line);
        if (head.startsWith(u'[')) {
            const qsizetype close = head.indexOf(u']');
            const QString name = nameKey(close < 0 ? head.sliced(1) : head.sliced(1, close - 1));
            if (m_sectionIndex.contains(name)) {
                current = -1;
            } else {
                current = m_sections.size();
                m_sectionIndex.insert(name, current);
                m_sections.append(Keys());
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current < 0 || equals < 0)
            continue;
        Keys &keys = m_sections[current];
        const QString key = nameKey(line.first(equals));
        if (!keys.contains(key))
            keys.insert(key, line.sliced(equals + 1).toString());
    }
}

const ProfileReader::Keys *ProfileReader::findSection(const QString &section) const
{
    const auto it = m_sectionIndex.constFind(nameKey(section));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections.at(*it);
}

QString ProfileReader::ReadIniValue(const QString &section, const QString &key) const
{
    const Keys *keys = findSection(section);
    if (!keys)
        return QString();
    return keys->value(nameKey(key));
}

bool ProfileReader::hasSection(const QString &section) const
{
    return findSection(section) != nullptr;
}

QString ReadIniValue(const QString &section, const QString &key, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxCombatFileSize)
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return ProfileReader(file.read(MaxCombatFileSize)).ReadIniValue(section, key);
}

} // namespace files
