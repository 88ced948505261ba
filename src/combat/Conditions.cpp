#include "combat/Conditions.h"

#include "combat/HitPointTags.h"

#include "roster/ShownText.h"

#include <QStringView>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace combat {
namespace {

// Where the parts of one condition lie in the note.
struct Found
{
    qsizetype start;      // the '['
    qsizetype end;        // just after the ']'
    qsizetype nameStart;  // the name still carries the blanks before the ':'
    qsizetype nameEnd;
    qsizetype countStart;
    qsizetype countEnd;
    int rounds;
    qsizetype sourceStart = 0; // trimmed; as long as sourceEnd - sourceStart, 0 for none
    qsizetype sourceEnd = 0;

    QString name(QStringView note) const { return note.sliced(nameStart, nameEnd - nameStart).trimmed().toString(); }
    QStringView source(QStringView note) const { return note.sliced(sourceStart, sourceEnd - sourceStart); }
};

bool isBlank(char32_t c)
{
    if (c < 0x80)
        return c == U' ' || c == U'\t';
    return QChar::category(c) == QChar::Separator_Space;
}

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// The code point at i and how many UTF-16 units it takes; a lone surrogate stands for itself
// (and is no letter).
char32_t codePointAt(QStringView s, qsizetype i, qsizetype *units)
{
    const QChar c = s[i];
    if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, s[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && isBlank(s[i].unicode()))
        ++i;
    return i;
}

// Where the name characters from i stop. `named`: a letter or digit was among them, since
// blanks and punctuation alone name nothing. Marks count only on a letter or digit.
qsizetype skipName(QStringView s, qsizetype i, bool *named)
{
    *named = false;
    bool onLetter = false;
    while (i < s.size()) {
        qsizetype units = 1;
        const char32_t c = codePointAt(s, i, &units);
        const bool ascii = c < 0x80; // the usual case, without a look-up
        if (ascii ? (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')
                  : QChar::isLetter(c) || QChar::isDigit(c))
            *named = onLetter = true;
        else if (isBlank(c) || c == U'-' || c == U'\'' || c == U'\u2019')
            onLetter = false;
        else if (ascii || !isMark(c) || !onLetter)
            break;
        i += units;
    }
    return i;
}

// The source from `start`: a name of the same characters as a condition's, so that nothing
// a file says a turn took out of a note can carry other text, and its end without the
// blanks after it (at `start` when it names nothing).
qsizetype skipSource(QStringView s, qsizetype start, qsizetype *trimmedEnd)
{
    bool named = false;
    const qsizetype end = skipName(s, start, &named);
    qsizetype trimmed = end;
    while (trimmed > start && isBlank(s[trimmed - 1].unicode()))
        --trimmed;
    *trimmedEnd = named ? trimmed : start;
    return end;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The condition whose '[' is at `open`, if it is one. Otherwise `resume` is where the search
// goes on: the character that broke it, which may open a condition itself. Nothing before it
// can, since no '[' fits inside a condition; so a note is read once, whatever it holds.
std::optional<Found> conditionAt(QStringView s, qsizetype open, qsizetype *resume)
{
    Found f{};
    f.start = open;
    f.nameStart = skipBlanks(s, open + 1);
    bool named = false;
    qsizetype i = f.nameEnd = skipName(s, f.nameStart, &named);
    *resume = i;
    if (!named || i >= s.size() || s[i] != u':')
        return std::nullopt;

    i = f.countStart = skipBlanks(s, i + 1);
    while (i < s.size() && i - f.countStart < 3 && isAsciiDigit(s[i]))
        ++i;
    f.countEnd = i;
    *resume = i;
    const qsizetype digits = f.countEnd - f.countStart;
    if (digits < 1 || digits > 2 || s[f.countStart] == u'0')
        return std::nullopt;
    f.rounds = s.sliced(f.countStart, digits).toInt();

    i = skipBlanks(s, i);
    *resume = i;
    if (i < s.size() && s[i] == u',') {
        f.sourceStart = skipBlanks(s, i + 1);
        i = skipBlanks(s, skipSource(s, f.sourceStart, &f.sourceEnd)); // a tab may end it too
        *resume = i;
        if (f.sourceEnd == f.sourceStart)
            return std::nullopt;
    }
    if (i >= s.size() || s[i] != u']')
        return std::nullopt;
    f.end = i + 1;
    return f;
}

template<typename Visit>
void forEachCondition(QStringView s, Visit visit)
{
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u'[' || (i = s.indexOf(u'[', i)) >= 0)) {
        qsizetype resume = i + 1;
        if (const std::optional<Found> f = conditionAt(s, i, &resume)) {
            // "[Temp: 8]" and "[Nonlethal: 7]" are hit points, not rounds.
            if (!isHitPointTagName(s.sliced(f->nameStart, f->nameEnd - f->nameStart)))
                visit(*f);
            i = f->end;
        } else {
            i = resume;
        }
    }
}

// The condition's text with another count, spelled as the note spells it otherwise.
void appendWithRounds(QString &out, QStringView note, const Found &f, int rounds)
{
    out.append(note.sliced(f.start, f.countStart - f.start));
    out.append(QString::number(rounds));
    out.append(note.sliced(f.countEnd, f.end - f.countEnd));
}

} // namespace

QList<TimedCondition> timedConditions(const QString &note)
{
    QList<TimedCondition> found;
    forEachCondition(note, [&](const Found &f) {
        found.append({f.name(note), f.rounds, f.source(note).toString(), f.start, f.end - f.start});
    });
    return found;
}

bool CountRule::counts(QStringView source) const
{
    if (source.isEmpty())
        return unsourced;
    return sources.contains(source) != allSourcesBut;
}

ConditionTick tickConditions(const QString &note, const CountRule &rule)
{
    // A removal: the note's text [from, to) goes back in at `at` of the ticked note. Removals
    // with nothing kept between them are one, so that each position is put back once.
    struct Span
    {
        qsizetype at, from, to;
    };
    QList<Span> spans;
    ConditionTick tick;
    QString &out = tick.note;
    out.reserve(note.size());
    qsizetype copied = 0;

    forEachCondition(note, [&](const Found &f) {
        if (!rule.counts(f.source(note)))
            return;
        out.append(QStringView(note).sliced(copied, f.start - copied));
        copied = f.end;
        if (f.rounds > 1) {
            appendWithRounds(out, note, f, f.rounds - 1);
            return;
        }
        tick.ended.append(f.name(note));
        qsizetype from = f.start;
        if (copied < note.size() && isBlank(note[copied].unicode())) {
            ++copied;
        } else if (!out.isEmpty() && isBlank(out.back().unicode())) {
            // The last kept character: just before this condition, or before the removal
            // that this one follows with nothing kept between.
            const bool follows = !spans.isEmpty() && spans.last().at == out.size();
            from = (follows ? spans.last().from : f.start) - 1;
            out.chop(1);
        }
        while (!spans.isEmpty() && spans.last().at >= out.size()) {
            from = std::min(from, spans.last().from);
            spans.removeLast();
        }
        spans.append({out.size(), from, copied});
    });
    if (copied == 0) {
        // No condition: the note is shared, not copied, so a turn costs nothing of a long note.
        tick.note = note;
        return tick;
    }
    out.append(QStringView(note).sliced(copied));

    tick.removed.reserve(spans.size());
    for (const Span &span : std::as_const(spans))
        tick.removed.append({span.at, note.sliced(span.from, span.to - span.from)});
    return tick;
}

QString untickConditions(const QString &note, const QList<RemovedText> &removed, const CountRule &rule)
{
    // The removed text back in first: the note then has its conditions where they were, and
    // those put back keep the count they had.
    QString restored;
    QList<std::pair<qsizetype, qsizetype>> putBack;
    putBack.reserve(removed.size());
    qsizetype copied = 0;
    for (const RemovedText &r : removed) {
        const qsizetype at = std::clamp(r.position, copied, note.size());
        restored.append(QStringView(note).sliced(copied, at - copied));
        copied = at;
        putBack.append({restored.size(), restored.size() + r.text.size()});
        restored.append(r.text);
    }
    restored.append(QStringView(note).sliced(copied));

    QString out;
    out.reserve(restored.size() + 16);
    copied = 0;
    qsizetype next = 0; // the first put-back range not yet passed
    forEachCondition(restored, [&](const Found &f) {
        while (next < putBack.size() && putBack[next].second <= f.start)
            ++next;
        if ((next < putBack.size() && putBack[next].first <= f.start) || !rule.counts(f.source(restored)))
            return;
        out.append(QStringView(restored).sliced(copied, f.start - copied));
        copied = f.end;
        appendWithRounds(out, restored, f, std::min(f.rounds + 1, MaximumConditionRounds));
    });
    out.append(QStringView(restored).sliced(copied));
    return out;
}

bool isConditionName(const QString &name)
{
    const QString trimmed = name.trimmed();
    bool named = false;
    return skipName(trimmed, 0, &named) == trimmed.size() && named;
}

QString conditionRefusal(const QString &name, int rounds)
{
    if (!isConditionName(name))
        return u"Type the condition's name: letters, digits, blanks, - and '."_s;
    if (isHitPointTagName(name))
        return u"[Temp] and [Nonlethal] keep hit points, not rounds: give them with the damage bar's amount, t8 or n7."_s;
    if (rounds < 1 || rounds > MaximumConditionRounds)
        return u"A condition lasts 1 to %1 rounds."_s.arg(MaximumConditionRounds);
    return QString();
}

QString sourceOf(const QString &combatantName)
{
    const QString trimmed = combatantName.trimmed();
    qsizetype end = 0;
    return skipSource(trimmed, 0, &end) == trimmed.size() ? trimmed : QString();
}

QString withCondition(const QString &note, const QString &name, int rounds, const QString &source)
{
    if (!isConditionName(name) || rounds < 1 || rounds > MaximumConditionRounds)
        return note;
    const bool separate = !note.isEmpty() && !note.back().isSpace();
    const QString from = sourceOf(source);
    return note + (separate ? u" ["_s : u"["_s) + name.trimmed() + u": "_s + QString::number(rounds)
        + (from.isEmpty() ? QString() : u", "_s + from) + u']';
}

QList<TimedCondition> leadingConditions(const QString &note)
{
    // A note can hold a megabyte of them.
    constexpr qsizetype ReadLength = 2000;
    return timedConditions(note.size() > ReadLength ? note.first(ReadLength) : note);
}

QString conditionsText(const QString &note)
{
    constexpr qsizetype ShownCount = 8;
    const QList<TimedCondition> conditions = leadingConditions(note);
    QStringList parts;
    for (const TimedCondition &c : conditions) {
        if (parts.size() == ShownCount) {
            parts.append(u"\u2026"_s);
            break;
        }
        const QString name = roster::shownText(c.name, 40);
        parts.append(c.isLastRound() ? name + u" (last round)"_s : name + u' ' + QString::number(c.rounds));
    }
    return parts.join(u", "_s);
}

const QStringList UsualConditions{
    u"Blinded"_s,   u"Confused"_s,  u"Dazed"_s,     u"Dazzled"_s,    u"Deafened"_s,  u"Entangled"_s,
    u"Exhausted"_s, u"Fatigued"_s,  u"Frightened"_s, u"Grappled"_s,  u"Helpless"_s,  u"Nauseated"_s,
    u"Panicked"_s,  u"Paralyzed"_s, u"Prone"_s,     u"Shaken"_s,     u"Sickened"_s,  u"Stunned"_s,
};

} // namespace combat
