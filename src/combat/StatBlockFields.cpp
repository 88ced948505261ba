#include "combat/StatBlockFields.h"

#include "combat/RollText.h"
#include "combat/StatBlockText.h"
#include "roster/Fields.h"

#include <QMap>
#include <QRegularExpression>

namespace combat::statblock {
namespace {

using roster::Field;

const QString Number = QStringLiteral(R"((\d{1,3}(?:,\d{3})+|\d+))");
const Rx HitPointsPair(QStringLiteral(R"(^%1\s*/\s*%1)").arg(Number));
const Rx LeadingNumber(QStringLiteral(R"(^%1)").arg(Number));
const Rx HitPointsOfDice(QStringLiteral(R"(%1\s*hp\b)").arg(Number), Caseless);
const Rx LeadingModifier(QStringLiteral(R"(^([+-]?)\s?(\d+))"));
const Rx Touch(QStringLiteral(R"(\btouch\s*:?\s*(\d+))"), Caseless);
const Rx FlatFooted(QStringLiteral(R"(\bflat-?\s?footed\s*:?\s*(\d+))"), Caseless);
const Rx FortSave(QStringLiteral(R"(\bFort(?:itude)?\s*:?\s*([+-]?)\s?(\d+))"), Caseless);
const Rx RefSave(QStringLiteral(R"(\bRef(?:lex)?\s*:?\s*([+-]?)\s?(\d+))"), Caseless);
const Rx WillSave(QStringLiteral(R"(\bWill\s*:?\s*([+-]?)\s?(\d+))"), Caseless);
// What the older layout's Special Qualities say in words.
const Rx ReductionWords(QStringLiteral(R"(\bdamage\s+reduction\s+(\d+\s*/\s*[^,;()]+))"), Caseless);
const Rx SpellResistanceWords(QStringLiteral(R"(\bspell\s+resistance\s+(\d+))"), Caseless);
const Rx ImmunityWords(QStringLiteral(R"(\bimmun(?:ity|ities|e)\s+to\s+([^,;()]+))"), Caseless);
const Rx ResistanceToWords(QStringLiteral(R"(\bresistance\s+to\s+((?:\p{L}+\s+\d+(?:\s*,\s*(?:and\s+)?|\s+and\s+)?)+))"), Caseless);
const Rx KindResistanceWords(QStringLiteral(R"(\b(?<!spell )(acid|cold|electricity|fire|sonic|negative energy)\s+resistance\s+(\d+))"), Caseless);
const Rx Slash(QStringLiteral(R"(\s*/\s*)"));
// The slash a critical leaves behind: "2d6+6/ plus poison".
const Rx CriticalSlash(QStringLiteral(R"(/(?=\s|$))"));
const Rx Squares(QStringLiteral(R"(\s*\(\d+\s+squares?\))"), Caseless);
const Rx MeleeOrRanged(QStringLiteral(R"(\b(?:melee|ranged)\b)"), Caseless);
const Rx RangedWord(QStringLiteral(R"(\branged\b)"), Caseless);
// A chain of attack bonuses outside brackets: "+9/+4".
const Rx BonusChain(QStringLiteral(R"((?<![\p{L}0-9)])[+-]\s?\d+(?:\s*/\s*[+-]?\s?\d+)*(?!\d))"));

QString caption(Field field)
{
    return QString::fromLatin1(roster::fieldInfo(field).caption);
}

QString digitsOf(const QString &number)
{
    return QString(number).remove(u',');
}

QString signedNumber(const QString &sign, const QString &digits)
{
    const int value = smallNumber(digits);
    if (value < 0)
        return {};
    return (sign == u'-' && value != 0 ? QStringLiteral("-") : QStringLiteral("+")) + QString::number(value);
}

QString signedAt(const Rx &rule, const QString &text)
{
    const QRegularExpressionMatch m = rule.match(text);
    return m.hasMatch() ? signedNumber(m.captured(1), m.captured(2)) : QString();
}

QString hitPoints(const QList<QString> &hp, const QList<QString> &hitDice)
{
    if (!hp.isEmpty()) {
        if (const QRegularExpressionMatch m = HitPointsPair.match(hp.first()); m.hasMatch())
            return digitsOf(m.captured(1)) + u'/' + digitsOf(m.captured(2));
        if (const QRegularExpressionMatch m = LeadingNumber.match(hp.first()); m.hasMatch())
            return digitsOf(m.captured(1)) + u'/' + digitsOf(m.captured(1));
    }
    if (!hitDice.isEmpty())
        if (const QRegularExpressionMatch m = HitPointsOfDice.match(hitDice.first()); m.hasMatch())
            return digitsOf(m.captured(1)) + u'/' + digitsOf(m.captured(1));
    return {};
}

QString firstCaptured(const Rx &rule, const QString &text)
{
    const QRegularExpressionMatch m = rule.match(text);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QStringList allCaptured(const Rx &rule, const QString &text)
{
    QStringList found;
    for (auto it = rule.globalMatch(text); it.hasNext();) {
        QString words = it.next().captured(1).trimmed();
        while (words.endsWith(u',') || words.endsWith(QStringLiteral(" and")))
            words = words.chopped(words.endsWith(u',') ? 1 : 4).trimmed();
        found.append(words);
    }
    return found;
}

// What a fight looks up: touch and flat-footed AC, damage reduction, spell resistance,
// immunities, resistances and speed, in the words the newer layout uses.
QString fightNote(const QString &armour, const QMap<Key, QStringList> &texts)
{
    QStringList parts;
    QStringList ac;
    if (const QString touch = firstCaptured(Touch, armour); !touch.isEmpty())
        ac.append(QStringLiteral("touch ") + touch);
    if (const QString flat = firstCaptured(FlatFooted, armour); !flat.isEmpty())
        ac.append(QStringLiteral("flat-footed ") + flat);
    if (!ac.isEmpty())
        parts.append(ac.join(QStringLiteral(", ")));

    const QString qualities = texts.value(Key::Qualities).join(QStringLiteral("; "));
    auto fromField = [&](Key key, const QString &word) {
        const QStringList found = texts.value(key);
        return found.isEmpty() ? QString() : word + u' ' + found.join(QStringLiteral(", "));
    };
    QString reduction = fromField(Key::Dr, QStringLiteral("DR"));
    if (const QString words = firstCaptured(ReductionWords, qualities); reduction.isEmpty() && !words.isEmpty())
        reduction = QStringLiteral("DR ") + QString(words).replace(Slash, QStringLiteral("/"));
    QString spell = fromField(Key::Sr, QStringLiteral("SR"));
    if (const QString words = firstCaptured(SpellResistanceWords, qualities); spell.isEmpty() && !words.isEmpty())
        spell = QStringLiteral("SR ") + words;
    QString immune = fromField(Key::Immune, QStringLiteral("immune"));
    if (const QStringList words = allCaptured(ImmunityWords, qualities); immune.isEmpty() && !words.isEmpty())
        immune = QStringLiteral("immune ") + words.join(QStringLiteral(", "));
    QString resist = fromField(Key::Resist, QStringLiteral("resist"));
    if (resist.isEmpty()) {
        QStringList words = allCaptured(ResistanceToWords, qualities);
        for (auto it = KindResistanceWords.globalMatch(qualities); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            words.append(m.captured(1).toLower() + u' ' + m.captured(2));
        }
        if (!words.isEmpty())
            resist = QStringLiteral("resist ") + words.join(QStringLiteral(", "));
    }
    const QString weak = fromField(Key::Weakness, QStringLiteral("weaknesses"));
    QString speed = fromField(Key::Speed, QStringLiteral("speed"));
    speed.remove(Squares);
    for (const QString &part : {reduction, spell, immune, resist, weak, speed})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral("; "));
}

// The first bracket of a part ("(2d8+7/19-20)"), without its critical: the damage.
QString bracketDamage(const QString &part)
{
    const qsizetype open = part.indexOf(u'(');
    if (open < 0)
        return {};
    int depth = 0;
    qsizetype close = open;
    for (; close < part.size(); ++close) {
        depth += part.at(close) == u'(' ? 1 : part.at(close) == u')' ? -1 : 0;
        if (depth == 0)
            break;
    }
    QString damage = part.mid(open + 1, close - open - 1);
    takeCritical(damage);
    damage.replace(CriticalSlash, QStringLiteral(" "));
    damage = damage.simplified();
    while (!damage.isEmpty() && QStringView(u"/,; ").contains(damage.back()))
        damage.chop(1);
    return damage;
}

QString attackOf(const QMap<Key, QStringList> &texts)
{
    const QString semicolon = QStringLiteral("; ");
    if (texts.contains(Key::FullAttack))
        return texts.value(Key::FullAttack).join(semicolon);
    if (texts.contains(Key::Melee) || texts.contains(Key::Ranged)) {
        QStringList parts = texts.value(Key::Melee);
        for (const QString &ranged : texts.value(Key::Ranged))
            parts.append(rangedAttack(ranged));
        parts.removeAll(QString());
        return parts.join(semicolon);
    }
    return texts.value(Key::Attack).join(semicolon);
}

} // namespace

QString rangedAttack(const QString &text)
{
    QString marked;
    for (const Piece &piece : splitAt(text, {QStringLiteral("and"), QStringLiteral("or")})) {
        QString part = piece.text;
        if (!part.contains(RangedWord)) {
            QRegularExpressionMatch last;
            for (auto it = BonusChain.globalMatch(outsideBrackets(part)); it.hasNext();)
                last = it.next();
            if (last.hasMatch())
                part.insert(last.capturedEnd(), QStringLiteral(" ranged"));
        }
        marked += piece.separator + part;
    }
    return marked;
}

QString damageOfAttack(const QString &attack)
{
    const QList<Piece> pieces = splitAt(attack, {QStringLiteral("and"), QStringLiteral("or")});
    // Weapons that roll no d20 ("swarm (1d6)") count when none does.
    const bool anyRolls = std::any_of(pieces.cbegin(), pieces.cend(),
                                      [](const Piece &piece) { return !parseAttack(piece.text).rolls.isEmpty(); });
    QStringList damages;
    for (const Piece &piece : pieces) {
        if (anyRolls && parseAttack(piece.text).rolls.isEmpty())
            continue;
        QString outside = outsideBrackets(piece.text);
        QList<int> bonuses;
        takeCritical(outside);
        takeBonuses(outside, bonuses);
        outside.replace(MeleeOrRanged, QStringLiteral(" "));
        const QString label = wordsOf(outside);
        if (label.isEmpty() && !damages.isEmpty())
            continue; // more bonuses of the weapon before ("longsword +12, +7")
        const QString damage = bracketDamage(piece.text);
        if (!hasDigit(damage))
            continue;
        damages.append(label.isEmpty() ? damage : label + u' ' + damage);
    }
    return damages.join(QStringLiteral(", "));
}

StatBlock readFields(const QList<Line> &lines, qsizetype from, qsizetype to)
{
    QMap<Key, QStringList> texts;
    QMap<Key, QString> exact;
    QString saves; // the saves' lines with their words, as "Fort" is taken from the line
    for (qsizetype i = from; i < to; ++i) {
        const Line &line = lines.at(i);
        if (line.kind != LineKind::Field)
            continue;
        if (line.verbatim) {
            if (!exact.contains(line.key))
                exact.insert(line.key, line.text);
            continue;
        }
        texts[line.key].append(line.text);
        if (line.key == Key::Fort)
            saves += QStringLiteral(" Fort ") + line.text;
        else if (line.key == Key::Ref)
            saves += QStringLiteral(" Ref ") + line.text;
        else if (line.key == Key::Will)
            saves += QStringLiteral(" Will ") + line.text;
        else if (line.key == Key::Saves)
            saves += u' ' + line.text;
    }

    StatBlock block;
    roster::Row &row = block.row;
    const QString armour = texts.value(Key::Ac, texts.value(Key::ArmorClass)).value(0);
    row.hp = exact.value(Key::Hp, hitPoints(texts.value(Key::Hp), texts.value(Key::HitDice)));
    row.ini = exact.contains(Key::Init) ? exact.value(Key::Init) : signedAt(LeadingModifier, texts.value(Key::Init).value(0));
    row.ac = exact.contains(Key::Ac) ? exact.value(Key::Ac) : firstCaptured(LeadingNumber, armour);
    row.fort = exact.contains(Key::Fort) ? exact.value(Key::Fort) : signedAt(FortSave, saves);
    row.reflex = exact.contains(Key::Ref) ? exact.value(Key::Ref) : signedAt(RefSave, saves);
    row.will = exact.contains(Key::Will) ? exact.value(Key::Will) : signedAt(WillSave, saves);
    row.attack = exact.contains(Key::Melee) ? exact.value(Key::Melee) : attackOf(texts);
    if (exact.contains(Key::Damage))
        row.damage = exact.value(Key::Damage);
    else if (texts.contains(Key::Damage))
        row.damage = texts.value(Key::Damage).join(QStringLiteral("; "));
    else
        row.damage = damageOfAttack(row.attack);
    QStringList note{fightNote(exact.contains(Key::Ac) ? QString() : armour, texts)};
    note += texts.value(Key::Note);
    if (exact.contains(Key::Note))
        note.append(exact.value(Key::Note));
    note.removeAll(QString());
    row.note = note.join(QStringLiteral("; "));

    // A field written empty on purpose (`hp ""`) was read; one not found was not.
    for (Field field : {Field::HitPoints, Field::Initiative, Field::ArmourClass, Field::Fort, Field::Reflex,
                        Field::Will, Field::Attack, Field::Damage}) {
        QString &text = row.*roster::fieldInfo(field).text;
        const Key key = field == Field::HitPoints     ? Key::Hp
                        : field == Field::Initiative  ? Key::Init
                        : field == Field::ArmourClass ? Key::Ac
                        : field == Field::Fort        ? Key::Fort
                        : field == Field::Reflex      ? Key::Ref
                        : field == Field::Will        ? Key::Will
                        : field == Field::Attack      ? Key::Melee
                                                      : Key::Damage;
        if (text.isEmpty() && !exact.contains(key))
            block.unread.append(caption(field));
    }
    return block;
}

} // namespace combat::statblock
