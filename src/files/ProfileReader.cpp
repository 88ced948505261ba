#include "files/ProfileReader.h"

#include "files/TextEncoding.h"

#include <array>

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

// The unit at `i` as QString::compare(Qt::CaseInsensitive) sees it: case-folded,
// the low half of a surrogate pair as the folded pair. Equal names are the ones
// whose units all fold alike, so hash and comparison agree with Qt's rule.
// The folds of the first 256 code points, the range a Windows-1252 file decodes to
// almost whole, looked up instead of asked of Qt for every unit.
const std::array<char16_t, 256> Latin1Folds = [] {
    std::array<char16_t, 256> folds{};
    for (char32_t c = 0; c < folds.size(); ++c)
        folds[c] = char16_t(QChar::toCaseFolded(c));
    return folds;
}();

char32_t foldedUnit(QStringView s, qsizetype i)
{
    const char16_t c = s.at(i).unicode();
    if (c < 0x100)
        return Latin1Folds[c];
    char32_t code = c;
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(s.at(i - 1).unicode()))
        code = QChar::surrogateToUcs4(s.at(i - 1), QChar(c));
    return QChar::toCaseFolded(code);
}

} // namespace

// Qt's seeded hash of the folded units: names made to collide in a simple hash
// would make every lookup a scan again. Every hash of the process has the same seed.
ProfileReader::Name::Name(QStringView name)
    : text(trimBlanks(name)), hash(QHashSeed::globalSeed())
{
    std::array<char32_t, 32> chunk; // filled before it is read
    for (qsizetype i = 0; i < text.size();) {
        std::size_t n = 0;
        for (; n < chunk.size() && i < text.size(); ++n, ++i)
            chunk[n] = foldedUnit(text, i);
        hash = qHashBits(chunk.data(), n * sizeof(char32_t), hash);
    }
}

bool operator==(const ProfileReader::Name &a, const ProfileReader::Name &b) noexcept
{
    if (a.hash != b.hash || a.text.size() != b.text.size())
        return false;
    for (qsizetype i = 0; i < a.text.size(); ++i)
        if (foldedUnit(a.text, i) != foldedUnit(b.text, i))
            return false;
    return true;
}

size_t qHash(const ProfileReader::Name &name, size_t seed) noexcept
{
    return name.hash ^ seed;
}

ProfileReader::ProfileReader(const QByteArray &bytes)
    : m_text(decodeCombatText(bytes))
{
    const QStringView all(m_text);
    const qsizetype size = all.size();
    // Null before the first section and in a repeated one. It is used only until the
    // next section is added, which may move the sections.
    Section *current = nullptr;
    QStringView currentName;
    qsizetype pos = 0;
    bool sawCrLf = false;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && all.at(end) != u'\n' && all.at(end) != u'\r')
            ++end;
        const QStringView line = all.sliced(pos, end - pos);
        // A file of CR LF lines that ends in a lone CR was cut between the two.
        if (end == size || (end == size - 1 && all.at(end) == u'\r' && sawCrLf)) {
            m_unendedLine = line;
            m_sectionBeforeUnended = currentName;
        }
        pos = end + 1;
        if (end + 1 < size && all.at(end) == u'\r' && all.at(end + 1) == u'\n') {
            ++pos;
            sawCrLf = true;
        }

        const QStringView head = trimBlanks(line);
        if (head.startsWith(u'[')) {
            qsizetype close = 1; // section names are short: a plain loop beats a search call
            while (close < head.size() && head.at(close) != u']')
                ++close;
            if (close == head.size())
                close = -1;
            const Name name(close < 0 ? head.sliced(1) : head.sliced(1, close - 1));
            currentName = name.text;
            const qsizetype before = m_sections.size();
            Section &section = m_sections[name];
            current = m_sections.size() > before ? &section : nullptr;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 0)
            continue;
        if (const Name key(line.first(equals)); !current->contains(key))
            current->insert(key, line.sliced(equals + 1));
    }
}

QString ProfileReader::ReadIniValue(const QString &section, const QString &key) const
{
    const auto found = m_sections.constFind(Name(section));
    if (found == m_sections.cend())
        return QString();
    return found->value(Name(key)).toString();
}

bool ProfileReader::hasSection(const QString &section) const
{
    return m_sections.contains(Name(section));
}

bool ProfileReader::hasKey(const QString &section, const QString &key) const
{
    const auto found = m_sections.constFind(Name(section));
    return found != m_sections.cend() && found->contains(Name(key));
}

} // namespace files
