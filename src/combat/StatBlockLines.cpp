#include "combat/StatBlockLines.h"

#include "combat/StatBlockText.h"

#include <QRegularExpression>

namespace combat::statblock {
namespace {

struct Keyword
{
    Key key;
    Rx rule;
};

// The words are caseless with their colon (the older layout, "Hit Dice:"); without one they
// must be written as the newer layout writes them ("Melee", not the "melee" a broken line
// starts with), and some must have their number after them ("AC 17", not "AC of the day"),
// or end the line, their number on the next.
Rx caseless(const char *words)
{
    return Rx(QStringLiteral("(?:%1)\\s*").arg(QLatin1String(words)), Caseless);
}
Rx exact(const char *words)
{
    return Rx(QStringLiteral("(?:%1)(?![\\p{L}])\\s*:?\\s*").arg(QLatin1String(words)),
              Rx::UseUnicodePropertiesOption);
}

const QList<Keyword> &keywords()
{
    static const QList<Keyword> list{
        {Key::HitDice, caseless(R"(hit\s*dice\s*:)")},
        {Key::Init, caseless(R"(initiative\s*:)")},
        {Key::Init, exact(R"(Init(?=\s*:?\s*(?:[+-]?\d|$)))")},
        {Key::ArmorClass, caseless(R"(armou?r\s+class\s*:)")},
        {Key::Ac, exact(R"(AC(?=\s*:?\s*(?:\d|$)))")},
        {Key::Hp, exact(R"((?:hp|HP)(?=\s*:?\s*(?:\d|$)))")},
        {Key::FullAttack, caseless(R"(full\s+attacks?\s*:|attacks\s*:)")},
        {Key::Attack, caseless(R"(attack\s*:)")},
        {Key::Melee, caseless(R"(melee\s*:)")},
        {Key::Melee, exact("Melee")},
        {Key::Ranged, caseless(R"(ranged\s*:)")},
        {Key::Ranged, exact("Ranged")},
        {Key::Dr, caseless(R"(damage\s+reduction\s*:)")},
        {Key::Dr, exact(R"(DR(?=\s*:?\s*\d))")},
        {Key::Damage, caseless(R"(damage\s*:)")},
        {Key::Damage, exact("Damage")},
        {Key::Saves, caseless(R"(saves\s*:|saving\s+throws\s*:)")},
        {Key::Fort, exact(R"(Fort(?:itude)?(?=\s*:?\s*[+-]?\d))")},
        {Key::Ref, exact(R"(Ref(?:lex)?(?=\s*:?\s*[+-]?\d))")},
        {Key::Will, exact(R"(Will(?=\s*:?\s*[+-]?\d))")},
        {Key::Speed, caseless(R"(speed\s*:)")},
        {Key::Speed, exact("Speed|Spd")},
        {Key::Sr, caseless(R"(spell\s+resistance\s*:)")},
        {Key::Sr, exact(R"(SR(?=\s*:?\s*\d))")},
        {Key::Immune, caseless(R"(immunities\s*:)")},
        {Key::Immune, exact("Immune")},
        {Key::Resist, caseless(R"(resistances?\s*:)")},
        {Key::Resist, exact("Resist")},
        {Key::Weakness, caseless(R"(weakness(?:es)?\s*:)")},
        {Key::Weakness, exact("Weakness(?:es)?")},
        {Key::Qualities, caseless(R"(special\s+qualities\s*:)")},
        {Key::Qualities, exact(R"(SQ|Defensive\s+Abilities)")},
        {Key::Note, exact("Note")},
        {Key::SizeType, caseless(R"(size\s*/\s*type\s*:)")},
        {Key::Xp, exact(R"(XP(?=\s*[\d,]+))")},
        {Key::Other, exact(R"(Senses|Perception|Aura|Space|Reach|Base\s+Atk|Grp|CMB|CMD|Str|Special\s+Attacks)"
                           R"(|Spell-Like\s+Abilities|Spells\s+(?:Known|Prepared)|Feats|Skills|Languages)"
                           R"(|(?:Combat\s+|Other\s+)?Gear|Possessions|Environment|Organization|Treasure)"
                           R"(|Atk\s+Options|Special\s+Actions|Abilities|Racial\s+Modifiers)"
                           R"(|Before\s+Combat|During\s+Combat|Morale|Hardness|Regeneration|Fast\s+Healing)")},
        // Any other heading of the older layout: "Challenge Rating:", "Level Adjustment:".
        {Key::Other, Rx(QStringLiteral(R"(\p{Lu}[\p{L}'/-]*(?:\s+[\p{L}'/-]+){0,3}\s*:\s*)"), Rx::UseUnicodePropertiesOption)},
    };
    return list;
}

const Rx SectionHeading(QStringLiteral(R"(^(?:defen[cs]e|offen[cs]e|statistics|tactics|ecology|special\s+abilities|combat|description)$)"),
                        Caseless);
// A line `Key "..."` or `"..."` as statBlockText writes it.
const Rx QuotedLine(QStringLiteral(R"re(^\s*(?:(Init|AC|hp|Fort|Ref|Will|Melee|Damage|Note)\s+)?"((?:[^"\\]|\\.)*)"\s*$)re"));
const Rx LineBreak(QStringLiteral("\r\n|[\n\r\v\f\\x{85}\\x{2028}\\x{2029}]"));
// Words a stat block writes with a hyphen, which a line break after the hyphen keeps.
const QStringList HyphenatedEnds{QStringLiteral("footed"), QStringLiteral("like"), QStringLiteral("light"),
                                 QStringLiteral("handed"), QStringLiteral("level"), QStringLiteral("affecting")};

struct KeywordMatch
{
    Key key = Key::None;
    qsizetype end = 0;
};

KeywordMatch keywordAt(const QString &text, qsizetype from)
{
    // Matched in a window of the text: a match over a whole long line costs its length, and a
    // line of many fields would cost its length for each of them.
    const QString window = text.mid(from, 80);
    for (const Keyword &keyword : keywords()) {
        const QRegularExpressionMatch m = keyword.rule.match(window, 0, Rx::NormalMatch, Rx::AnchorAtOffsetMatchOption);
        if (m.hasMatch())
            return {keyword.key, from + m.capturedEnd()};
    }
    return {};
}

// Plain signs and single blanks: what PDFs and word processors put in a line, undone.
QString cleaned(const QString &line)
{
    QString text = line.normalized(QString::NormalizationForm_KC); // ligatures, odd blanks
    QString plain;
    plain.reserve(text.size());
    for (QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        if ((u >= 0x2010 && u <= 0x2015) || u == 0x2212 || u == 0xFE63 || u == 0xFF0D)
            plain += u'-';
        else if (u == 0x00D7)
            plain += u'x';
        else if (u == 0x2044)
            plain += u'/';
        else if (u == 0x00AD || (u >= 0x200B && u <= 0x200D) || u == 0xFEFF)
            continue;
        else if (c.isSpace())
            plain += u' ';
        else
            plain += c;
    }
    return plain.simplified();
}

bool decodeQuoted(const QString &body, QString &text)
{
    text.clear();
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (++i >= body.size())
            return false;
        const QChar e = body.at(i);
        if (e == u'\\' || e == u'"')
            text += e;
        else if (e == u'n')
            text += u'\n';
        else if (e == u't')
            text += u'\t';
        else if (e == u'r')
            text += u'\r';
        else if (e == u'u' && i + 4 < body.size()) {
            bool ok = false;
            const ushort code = body.mid(i + 1, 4).toUShort(&ok, 16);
            if (!ok)
                return false;
            text += QChar(code);
            i += 4;
        } else
            return false;
    }
    return true;
}

// How many brackets the text leaves open, from those `depth` left open before it.
int bracketDepth(const QString &text, int depth = 0)
{
    for (QChar c : text) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
    }
    return depth;
}

// Whether `next`, which names no field, goes on the field line before it: a phrase left
// open ("touch 10," "Greatclub"+"+9/+4 melee") rather than a name or a sentence.
bool continues(const QString &before, const QString &next)
{
    static const Rx OpenEnd(QStringLiteral(R"((?:[,:;(/+&-]|\b(?:and|or|plus|with|to|of|vs\.?|against))$)"), Caseless);
    const QChar first = next.front();
    return before.right(12).contains(OpenEnd) || first.isLower() || first.isDigit()
           || QStringView(u"+-([/,").contains(first);
}

// A line of several fields into one per field: "Init +1; Senses ..." is two.
void splitFields(const QString &line, KeywordMatch first, QList<Line> &lines)
{
    qsizetype start = first.end;
    Key key = first.key;
    int depth = 0;
    auto close = [&](qsizetype end) {
        QString text = line.mid(start, end - start).trimmed();
        while (text.endsWith(u';') || text.endsWith(u','))
            text.chop(1);
        lines.append({LineKind::Field, key, text.trimmed(), false});
    };
    for (qsizetype i = start; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'(' || c == u'[')
            ++depth;
        else if ((c == u')' || c == u']') && depth > 0)
            --depth;
        else if (c == u';' && depth == 0 && key != Key::Note) { // a note is free text
            qsizetype next = i + 1;
            while (next < line.size() && line.at(next) == u' ')
                ++next;
            const KeywordMatch found = keywordAt(line, next);
            if (found.key != Key::None) {
                close(i);
                start = found.end;
                key = found.key;
                i = found.end - 1;
            }
        }
    }
    close(line.size());
}

// Half a surrogate pair in place of the replacement character: the patterns read no text
// that holds one.
QString withWholeCharacters(const QString &text)
{
    QString whole = text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (whole.at(i).isHighSurrogate() && i + 1 < whole.size() && whole.at(i + 1).isLowSurrogate())
            ++i;
        else if (whole.at(i).isSurrogate())
            whole[i] = QChar::ReplacementCharacter;
    }
    return whole;
}

} // namespace

QList<Line> readLines(const QString &text)
{
    // The physical lines, cleaned; a quoted one as it is, and a word hyphenated across two
    // lines whole again ("Full At-" + "tack:").
    struct Physical
    {
        QString text;
        bool quoted = false;
        Key key = Key::None;
    };
    QList<Physical> physical;
    for (const QString &raw : withWholeCharacters(text).split(LineBreak)) {
        if (const QRegularExpressionMatch m = QuotedLine.match(raw); m.hasMatch()) {
            Physical line{{}, true, Key::None};
            if (decodeQuoted(m.captured(2), line.text)) {
                line.key = m.hasCaptured(1) ? keywordAt(m.captured(1) + QStringLiteral(" 0"), 0).key : Key::None;
                physical.append(line);
                continue;
            }
        }
        const QString line = cleaned(raw);
        if (!physical.isEmpty() && !physical.last().quoted && !line.isEmpty() && line.front().isLower()) {
            QString &before = physical.last().text;
            if (before.size() >= 2 && before.endsWith(u'-') && before.at(before.size() - 2).isLetter()) {
                const bool keepsHyphen = std::any_of(HyphenatedEnds.cbegin(), HyphenatedEnds.cend(),
                                                     [&](const QString &end) { return line.startsWith(end); });
                if (!keepsHyphen)
                    before.chop(1);
                before += line;
                continue;
            }
        }
        physical.append({line, false, Key::None});
    }

    // The logical lines: a phrase broken across lines joined to its field.
    QList<Line> lines;
    QString open; // the field line being read, whole
    KeywordMatch openKey;
    int openDepth = 0; // the brackets it leaves open
    auto flush = [&] {
        if (openKey.key != Key::None)
            splitFields(open, openKey, lines);
        open.clear();
        openKey = {};
    };
    for (const Physical &line : std::as_const(physical)) {
        if (line.quoted) {
            flush();
            lines.append({line.key == Key::None ? LineKind::Prose : LineKind::Field, line.key, line.text, true});
            continue;
        }
        // A field's words alone on their line: its text follows, maybe after a blank line.
        const bool awaited = openKey.key != Key::None && open.size() <= openKey.end;
        if (line.text.isEmpty()) {
            if (awaited)
                continue;
            flush();
            lines.append(Line{});
            continue;
        }
        const bool inBrackets = openKey.key != Key::None && openDepth > 0;
        const KeywordMatch found = inBrackets ? KeywordMatch{} : keywordAt(line.text, 0);
        if (openKey.key != Key::None && found.key == Key::None && (inBrackets || awaited || continues(open, line.text))) {
            open += u' ' + line.text;
            openDepth = bracketDepth(line.text, openDepth);
            continue;
        }
        flush();
        if (found.key != Key::None) {
            open = line.text;
            openKey = found;
            openDepth = bracketDepth(open);
        } else {
            lines.append({line.text.contains(SectionHeading) ? LineKind::Heading : LineKind::Prose, Key::None, line.text, false});
        }
    }
    flush();
    return lines;
}

QString quoted(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            quoted += u'\\' + QString(c);
        else if (c == u'\n')
            quoted += QStringLiteral("\\n");
        else if (c == u'\t')
            quoted += QStringLiteral("\\t");
        else if (c == u'\r')
            quoted += QStringLiteral("\\r");
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c.isSurrogate()
                 || (c.isSpace() && c != u' '))
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + u'"';
}

} // namespace combat::statblock
