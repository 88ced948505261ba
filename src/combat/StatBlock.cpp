#include "combat/StatBlock.h"

#include "combat/StatBlockFields.h"
#include "combat/StatBlockLines.h"
#include "combat/StatBlockText.h"
#include "roster/Fields.h"

#include <QRegularExpression>

#include <array>

namespace combat {
namespace {

using namespace statblock;

// "CR 3", "CR 1/2", "Challenge Rating: 3" after a name, or alone on a line.
const Rx ChallengeRating(QStringLiteral(R"((?:^|\s+)(?:CR|Challenge\s+Rating\s*:)\s*(?:\d+(?:/\d+)?|-)(?:\s.*)?$)"));
// "CE Large humanoid (giant)", "Large Giant", "Always N Huge animal": the line of size and type.
const Rx TypeLine(QStringLiteral(R"(^(?:[\p{L} ]{0,24}\s)?(?:fine|diminutive|tiny|small|medium|large|huge|gargantuan|colossal)\s+(?:aberration|animal|construct|dragon|elemental|fey|giant|humanoid|magical\s+beast|monstrous\s+humanoid|ooze|outsider|plant|undead|vermin)\b)"),
                 Caseless);
const QStringList SmallWords{QStringLiteral("of"), QStringLiteral("the"), QStringLiteral("and"),
                             QStringLiteral("a"), QStringLiteral("an"), QStringLiteral("in")};

// Which of the fields that every stat block has a line holds; a second one in a block starts
// the next block.
int coreField(const Line &line)
{
    if (line.kind != LineKind::Field || (line.text.isEmpty() && !line.verbatim))
        return 0; // "Saves:" above its "Fort +6, ..." line
    switch (line.key) {
    case Key::HitDice:
    case Key::Hp:
        return 1;
    case Key::Init:
        return 2;
    case Key::ArmorClass:
    case Key::Ac:
        return 4;
    case Key::Saves:
    case Key::Fort:
        return 8;
    default:
        return 0;
    }
}

bool titledWithRating(const Line &line)
{
    return line.kind == LineKind::Prose && !line.verbatim && line.text.contains(ChallengeRating);
}

// A name as a game master keeps it in a row: "OGRE CR 3" is "Ogre".
QString rowName(const QString &line)
{
    QString name = line;
    name.remove(ChallengeRating);
    name = name.trimmed();
    bool capitals = false;
    for (QChar c : std::as_const(name)) {
        if (c.isLower())
            return name;
        capitals = capitals || c.isUpper();
    }
    if (!capitals)
        return name;
    QStringList words = name.split(u' ');
    for (qsizetype w = 0; w < words.size(); ++w) {
        QString &word = words[w];
        word = word.toLower();
        if (w > 0 && SmallWords.contains(word))
            continue;
        for (qsizetype i = 0; i < word.size(); ++i)
            if (word.at(i).isLetter() && (i == 0 || word.at(i - 1) == u'-' || word.at(i - 1) == u'('))
                word[i] = word.at(i).toUpper();
    }
    return words.join(u' ');
}

bool looksLikeName(const QString &text)
{
    const QString name = rowName(text);
    return !name.isEmpty() && name.size() <= 60 && name.count(u' ') < 6 && !name.endsWith(u'.')
           && std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetter(); });
}

// The line that names the block whose first field is at `first`, or -1: above the field,
// past the lines of experience, size and type, and headings; never at or above `floor`. A
// title with a challenge rating above wins over a line nearer that only looks like a name
// ("Ashen Duelist CR 4" over "Male human fighter 4").
qsizetype nameLine(const QList<Line> &lines, qsizetype first, qsizetype floor)
{
    bool typeSeen = false;
    int sentences = 0;
    qsizetype nearest = -1;
    for (qsizetype i = first - 1; i >= floor; --i) {
        const Line &line = lines.at(i);
        if (line.kind == LineKind::Blank || line.kind == LineKind::Heading)
            continue;
        if (line.kind == LineKind::Field) {
            if (line.key == Key::Xp || line.key == Key::SizeType)
                continue;
            return nearest;
        }
        if (line.verbatim)
            return i;
        if (!typeSeen && line.text.contains(TypeLine)) {
            typeSeen = true;
            continue;
        }
        if (rowName(line.text).isEmpty())
            continue; // "CR 3" alone
        if (titledWithRating(line) && looksLikeName(line.text))
            return i;
        if (looksLikeName(line.text)) {
            if (nearest < 0)
                nearest = i;
            continue;
        }
        if (++sentences > 2)
            return nearest;
    }
    return nearest;
}

// Where each block's fields start: at its first field that every block has, when the block
// before already has that one, or after a title with a challenge rating or experience.
QList<qsizetype> blockStarts(const QList<Line> &lines)
{
    QList<qsizetype> starts;
    int seen = 0;
    bool titled = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        if (titledWithRating(line) || (line.kind == LineKind::Field && line.key == Key::Xp)) {
            titled = seen != 0;
            continue;
        }
        const int core = coreField(line);
        if (core == 0)
            continue;
        if (starts.isEmpty() || (seen & core) != 0 || titled) {
            starts.append(i);
            seen = 0;
            titled = false;
        }
        seen |= core;
    }
    return starts;
}

} // namespace

QList<StatBlock> readStatBlocks(const QString &text)
{
    const QList<Line> lines = readLines(text);
    const QList<qsizetype> starts = blockStarts(lines);
    QList<qsizetype> names;
    for (qsizetype k = 0; k < starts.size(); ++k)
        names.append(nameLine(lines, starts[k], k == 0 ? 0 : starts[k - 1] + 1));

    QList<StatBlock> blocks;
    for (qsizetype k = 0; k < starts.size(); ++k) {
        const qsizetype from = names[k] >= 0 ? names[k] : starts[k];
        const qsizetype to = k + 1 < starts.size() ? (names[k + 1] >= 0 ? names[k + 1] : starts[k + 1]) : lines.size();
        StatBlock block = readFields(lines, from, to);
        if (names[k] >= 0) {
            const Line &line = lines.at(names[k]);
            block.row.name = line.verbatim ? line.text : rowName(line.text);
        } else {
            block.unread.prepend(QString::fromLatin1(roster::fieldInfo(roster::Field::Name).caption));
        }
        for (const roster::FieldInfo &info : roster::RowFields) {
            QString &field = block.row.*info.text;
            if (field.size() > roster::EditableFieldLength) {
                field.truncate(roster::EditableFieldLength);
                block.cut.append(QString::fromLatin1(info.caption));
            }
        }
        blocks.append(block);
    }
    return blocks;
}

QString statBlockText(const roster::Row &row)
{
    using roster::Field;
    // Each field plain where it reads back as it is, quoted where it would not: the block
    // reads plainly in the library, and any text survives.
    constexpr std::array<Field, 10> Written{Field::Name, Field::Initiative, Field::ArmourClass, Field::HitPoints,
                                            Field::Fort, Field::Reflex, Field::Will, Field::Attack,
                                            Field::Damage, Field::Note};
    std::array<bool, 10> quote{};
    auto words = [](Field field) {
        switch (field) {
        case Field::Initiative: return QStringLiteral("Init");
        case Field::ArmourClass: return QStringLiteral("AC");
        case Field::HitPoints: return QStringLiteral("hp");
        case Field::Fort: return QStringLiteral("Fort");
        case Field::Reflex: return QStringLiteral("Ref");
        case Field::Will: return QStringLiteral("Will");
        case Field::Attack: return QStringLiteral("Melee");
        case Field::Damage: return QStringLiteral("Damage");
        case Field::Note: return QStringLiteral("Note");
        default: return QString();
        }
    };
    auto write = [&] {
        QStringList out;
        QStringList saves; // the plain ones share a line: "Fort +7, Ref +3, Will +2"
        auto writeSaves = [&] {
            if (!saves.isEmpty())
                out.append(saves.join(QStringLiteral(", ")));
            saves.clear();
        };
        for (std::size_t i = 0; i < Written.size(); ++i) {
            const Field field = Written[i];
            QString text = row.*roster::fieldInfo(field).text;
            const QString key = words(field);
            const bool save = field == Field::Fort || field == Field::Reflex || field == Field::Will;
            if (!save)
                writeSaves();
            if (quote[i]) {
                out.append(key.isEmpty() ? quoted(text) : key + u' ' + quoted(text));
                continue;
            }
            if (text.isEmpty())
                continue;
            if (field == Field::HitPoints) {
                const qsizetype slash = text.indexOf(u'/');
                if (slash > 0 && text.left(slash) == text.mid(slash + 1))
                    text.truncate(slash); // "45/45" is "hp 45"
            }
            (save ? saves : out).append(key.isEmpty() ? text : key + u' ' + text);
        }
        writeSaves();
        return out.join(u'\n') + u'\n';
    };

    QString text;
    for (std::size_t round = 0; round <= Written.size(); ++round) {
        text = write();
        const QList<StatBlock> read = readStatBlocks(text);
        bool changed = false;
        for (std::size_t i = 0; i < Written.size(); ++i) {
            QString roster::Row::*field = roster::fieldInfo(Written[i]).text;
            const bool same = read.size() == 1 && read.first().row.*field == row.*field;
            if (!same && !quote[i]) {
                quote[i] = true;
                changed = true;
            }
        }
        if (!changed)
            break;
    }
    return text;
}

} // namespace combat
