#include "files/ProfileReader.h"

#include "files/CombatFormat.h"
#include "files/TextEncoding.h"

#include <QFile>
#include <QFileInfo>

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

// Names compare without regard to case. Plain ASCII names, all that combat files
// use, are compared here; anything else goes through Qt's case folding.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

ProfileReader::ProfileReader(const QByteArray &bytes)
    : m_text(decodeCombatText(bytes))
{
    parse();
}

void ProfileReader::parse()
{
    const QStringView all(m_text);
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
            const QStringView name = trimBlanks(close < 0 ? head.sliced(1) : head.sliced(1, close - 1));
            bool duplicate = false;
            for (const Section &earlier : std::as_const(m_sections))
                duplicate = duplicate || sameName(earlier.name, name);
            m_sections.append({name, {}, duplicate});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (m_sections.isEmpty() || equals < 0)
            continue;
        m_sections.last().entries.append({trimBlanks(line.first(equals)), line.sliced(equals + 1)});
    }
}

const ProfileReader::Section *ProfileReader::findSection(QStringView name) const
{
    name = trimBlanks(name);
    const qsizetype count = m_sections.size();
    // The loader asks for a row's keys one after another, then for the next row.
    for (qsizetype n = 0; n < count; ++n) {
        const qsizetype i = (m_lastSection + n) % count;
        const Section &section = m_sections.at(i);
        if (!section.duplicate && sameName(section.name, name)) {
            m_lastSection = i;
            return &section;
        }
    }
    return nullptr;
}

QString ProfileReader::ReadIniValue(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    if (!found)
        return QString();
    const QStringView wanted = trimBlanks(key);
    for (const Entry &entry : found->entries)
        if (sameName(entry.key, wanted))
            return entry.value.toString();
    return QString();
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
