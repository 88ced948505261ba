// Reading the Attack and Damage fields as d20 stat blocks write them.
#include "combat/RollText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

template<typename Roll>
QString joined(const QList<Roll> &rolls)
{
    QStringList formulas;
    for (const Roll &roll : rolls)
        formulas.append(combat::formula(roll));
    return formulas.join(u" | "_s);
}

} // namespace

class TestRollText : public QObject
{
    Q_OBJECT

private slots:
    void attacks_data();
    void attacks();
    void damage_data();
    void damage();
    void problems_data();
    void problems();
};

void TestRollText::attacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rolls");
    QTest::newRow("bonus") << u"+5"_s << u"d20+5"_s;
    QTest::newRow("zero bonus") << u"+0"_s << u"d20+0"_s;
    QTest::newRow("negative") << u"-1"_s << u"d20-1"_s;
    QTest::newRow("minus sign") << u"−2"_s << u"d20-2"_s;
    QTest::newRow("en dash as minus") << u"–2"_s << u"d20-2"_s;
    QTest::newRow("label") << u"claws +5"_s << u"claws d20+5"_s;
    QTest::newRow("blank in the bonus") << u"claws + 5"_s << u"claws d20+5"_s;
    QTest::newRow("no blank before the bonus") << u"bite+7"_s << u"bite d20+7"_s;
    QTest::newRow("blanks around") << u"   longsword    +6   "_s << u"longsword d20+6"_s;
    QTest::newRow("tab") << u"claws\t+5"_s << u"claws d20+5"_s;
    QTest::newRow("capitals kept") << u"Longsword +6"_s << u"Longsword d20+6"_s;
    QTest::newRow("bonus before the weapon") << u"+5 longsword"_s << u"longsword d20+5"_s;
    QTest::newRow("iteratives") << u"+12/+7/+2"_s << u"d20+12 | d20+7 | d20+2"_s;
    QTest::newRow("labelled iteratives") << u"longsword +12/+7/+2"_s << u"longsword d20+12 | longsword d20+7 | longsword d20+2"_s;
    QTest::newRow("iteratives with blanks") << u"+12 / +7 / +2"_s << u"d20+12 | d20+7 | d20+2"_s;
    QTest::newRow("iteratives signed once") << u"+11/6/1"_s << u"d20+11 | d20+6 | d20+1"_s;
    QTest::newRow("iteratives into negatives") << u"+8/+3/-2"_s << u"d20+8 | d20+3 | d20-2"_s;
    QTest::newRow("negative iteratives") << u"-1/-6"_s << u"d20-1 | d20-6"_s;
    QTest::newRow("four iteratives") << u"+16/+11/+6/+1"_s << u"d20+16 | d20+11 | d20+6 | d20+1"_s;
    QTest::newRow("same bonus twice") << u"claw +5/+5"_s << u"claw d20+5 | claw d20+5"_s;
    QTest::newRow("iteratives by commas") << u"+12, +7, +2"_s << u"d20+12 | d20+7 | d20+2"_s;
    QTest::newRow("bare bonus keeps the weapon before") << u"longsword +12, +7"_s << u"longsword d20+12 | longsword d20+7"_s;
    QTest::newRow("bare bonus keeps the critical before") << u"rapier +9 (1d6/18-20), +4"_s << u"rapier d20+9 threat 18-20 | rapier d20+4 threat 18-20"_s;
    QTest::newRow("threat 18-20") << u"rapier +5 (1d6+1/18-20)"_s << u"rapier d20+5 threat 18-20"_s;
    QTest::newRow("threat 19-20") << u"longsword +6 (1d8+2/19-20)"_s << u"longsword d20+6 threat 19-20"_s;
    QTest::newRow("threat and multiplier") << u"falchion +8 (2d4+4/18-20/x2)"_s << u"falchion d20+8 threat 18-20 x2"_s;
    QTest::newRow("en dash range") << u"longsword +6 (1d8+2/19–20)"_s << u"longsword d20+6 threat 19-20"_s;
    QTest::newRow("en dash range, multiplication sign") << u"longsword +6 (1d8+2/19–20/×2)"_s << u"longsword d20+6 threat 19-20 x2"_s;
    QTest::newRow("multiplication sign") << u"battleaxe +7 (1d8+3/×3)"_s << u"battleaxe d20+7 x3"_s;
    QTest::newRow("x3") << u"greataxe +9 (1d12+6/x3)"_s << u"greataxe d20+9 x3"_s;
    QTest::newRow("x4") << u"scythe +3 (2d4/x4)"_s << u"scythe d20+3 x4"_s;
    QTest::newRow("capital X") << u"scythe +3 (2d4/X4)"_s << u"scythe d20+3 x4"_s;
    QTest::newRow("20/x3") << u"warhammer +6 (1d8+3/20/x3)"_s << u"warhammer d20+6 x3"_s;
    QTest::newRow("20/x3 outside brackets") << u"warhammer +6 20/x3"_s << u"warhammer d20+6 x3"_s;
    QTest::newRow("range outside brackets") << u"rapier +5 18-20"_s << u"rapier d20+5 threat 18-20"_s;
    QTest::newRow("range before the bonus") << u"rapier 18-20 +5"_s << u"rapier d20+5 threat 18-20"_s;
    QTest::newRow("range with blanks") << u"rapier +5 (1d6 / 18 - 20)"_s << u"rapier d20+5 threat 18-20"_s;
    QTest::newRow("range in square brackets") << u"longsword +6 [19-20]"_s << u"longsword d20+6 threat 19-20"_s;
    QTest::newRow("multiplier outside brackets") << u"+8 x3"_s << u"d20+8 x3"_s;
    QTest::newRow("multiplier after a bonus of 20") << u"greatclub +20 x3"_s << u"greatclub d20+20 x3"_s;
    QTest::newRow("multiplier with a blank") << u"+8 (1d6/ x 3)"_s << u"d20+8 x3"_s;
    QTest::newRow("multiplier x1 is none") << u"club +2 (1d6/x1)"_s << u"club d20+2"_s;
    QTest::newRow("word threat") << u"longsword +6 threat 19-20 x2"_s << u"longsword d20+6 threat 19-20 x2"_s;
    QTest::newRow("word crit") << u"longsword +6 crit 19-20/x2"_s << u"longsword d20+6 threat 19-20 x2"_s;
    QTest::newRow("critical on every iterative") << u"battleaxe +7/+2 (1d8+3/×3)"_s << u"battleaxe d20+7 x3 | battleaxe d20+2 x3"_s;
    QTest::newRow("keen") << u"+2 keen scimitar +14/+9/+4 (1d6+5/15-20)"_s << u"+2 keen scimitar d20+14 threat 15-20 | +2 keen scimitar d20+9 threat 15-20 | +2 keen scimitar d20+4 threat 15-20"_s;
    QTest::newRow("weapon's own bonus") << u"+1 longsword +12/+7 (1d8+5/19-20)"_s << u"+1 longsword d20+12 threat 19-20 | +1 longsword d20+7 threat 19-20"_s;
    QTest::newRow("weapon's own bonus, one attack") << u"+1 longsword +12"_s << u"+1 longsword d20+12"_s;
    QTest::newRow("lone bonus before a word is the attack's") << u"+1 longsword"_s << u"longsword d20+1"_s;
    QTest::newRow("natural weapons") << u"2 claws +5 (1d4+2)"_s << u"claws d20+5 | claws d20+5"_s;
    QTest::newRow("three natural weapons") << u"3 tentacles +6 (1d4+3)"_s << u"tentacles d20+6 | tentacles d20+6 | tentacles d20+6"_s;
    QTest::newRow("bite and claws") << u"bite +7 and 2 claws +5"_s << u"bite d20+7 | claws d20+5 | claws d20+5"_s;
    QTest::newRow("bite, claws with damage") << u"bite +7 (1d6+4), 2 claws +5 (1d4+2)"_s << u"bite d20+7 | claws d20+5 | claws d20+5"_s;
    QTest::newRow("semicolon") << u"gore +8 (1d8+4); 2 hooves +3 (1d6+2)"_s << u"gore d20+8 | hooves d20+3 | hooves d20+3"_s;
    QTest::newRow("three parts") << u"bite +10, 2 claws +8, tail slap +5"_s << u"bite d20+10 | claws d20+8 | claws d20+8 | tail slap d20+5"_s;
    QTest::newRow("or") << u"longsword +5 (1d8+1/19-20) or shortbow +3 (1d6/×3)"_s << u"longsword d20+5 threat 19-20 | shortbow d20+3 x3"_s;
    QTest::newRow("two weapons") << u"shortsword +4 (1d6+1/19-20) and shortsword +4 (1d6/19-20)"_s << u"shortsword d20+4 threat 19-20 | shortsword d20+4 threat 19-20"_s;
    QTest::newRow("critical stays with its part") << u"longsword +6 (1d8+2/19-20) and bite +1 (1d4)"_s << u"longsword d20+6 threat 19-20 | bite d20+1"_s;
    QTest::newRow("full attack line") << u"Full Attack: greatsword +14/+9 melee (2d6+9/19-20) and bite +9 melee (1d6+3)"_s << u"greatsword melee d20+14 threat 19-20 | greatsword melee d20+9 threat 19-20 | bite melee d20+9"_s;
    QTest::newRow("attack heading") << u"Attack: shortbow +3 ranged (1d6/×3)"_s << u"shortbow ranged d20+3 x3"_s;
    QTest::newRow("melee heading") << u"Melee: bite +7 (1d6+4)"_s << u"bite d20+7"_s;
    QTest::newRow("melee before the weapon") << u"Melee longsword +12/+7 (1d8+6/19–20)"_s << u"Melee longsword d20+12 threat 19-20 | Melee longsword d20+7 threat 19-20"_s;
    QTest::newRow("ranged touch") << u"ray +7 ranged touch (2d6 fire)"_s << u"ray ranged touch d20+7"_s;
    QTest::newRow("touch after the bonus") << u"+4 melee touch (1d6 electricity)"_s << u"melee touch d20+4"_s;
    QTest::newRow("bonus in brackets not rolled") << u"longsword +8 (+10 vs. giants)"_s << u"longsword d20+8"_s;
    QTest::newRow("dice in brackets not rolled") << u"slam +9 (2d8+6)"_s << u"slam d20+9"_s;
    QTest::newRow("effect in brackets") << u"+5 (1d6+2 plus grab)"_s << u"d20+5"_s;
    QTest::newRow("commas in brackets") << u"orc double axe +5/+5 (1d8+3/x3, 1d8+1/x3)"_s << u"orc double axe d20+5 x3 | orc double axe d20+5 x3"_s;
    QTest::newRow("unclosed bracket") << u"longsword +6 (1d8+2"_s << u"longsword d20+6"_s;
    QTest::newRow("stray closing bracket") << u"longsword +6)"_s << u"longsword d20+6"_s;
    QTest::newRow("words in brackets left out") << u"(masterwork) longsword +6"_s << u"longsword d20+6"_s;
    QTest::newRow("and, or only as words") << u"hand axe +3 and sword +2"_s << u"hand axe d20+3 | sword d20+2"_s;
    QTest::newRow("capital AND") << u"bite +3 AND claw +1"_s << u"bite d20+3 | claw d20+1"_s;
    QTest::newRow("apostrophe") << u"Moradin's hammer +9"_s << u"Moradin's hammer d20+9"_s;
    QTest::newRow("hyphenated weapon") << u"two-bladed sword +5/+5"_s << u"two-bladed sword d20+5 | two-bladed sword d20+5"_s;
    QTest::newRow("d20 written") << u"d20+5"_s << u"d20+5"_s;
    QTest::newRow("1d20 written") << u"1d20+5"_s << u"d20+5"_s;
    QTest::newRow("d20 alone") << u"d20"_s << u"d20+0"_s;
    QTest::newRow("d20 and a multiplier") << u"greataxe d20 x3"_s << u"greataxe d20+0 x3"_s;
    QTest::newRow("d20 minus") << u"shortbow d20-2"_s << u"shortbow d20-2"_s;
    QTest::newRow("own form read back") << u"longsword d20+12 threat 19-20 x2"_s << u"longsword d20+12 threat 19-20 x2"_s;
    // Long runs of blanks cost the patterns nothing, and lose them nothing.
    QTest::newRow("blanks before the multiplier") << u"greataxe +5 crit"_s + QString(600, u' ') + u"x3"_s
                                                  << u"greataxe d20+5 x3"_s;
    QTest::newRow("other scripts' digits are no bonus") << u"bite +7, claw +５"_s << u"bite d20+7"_s;
}

void TestRollText::attacks()
{
    QFETCH(QString, text);
    QFETCH(QString, rolls);
    const combat::AttackText parsed = combat::parseAttack(text);
    QCOMPARE(parsed.problem, QString());
    QCOMPARE(joined(parsed.rolls), rolls);
}

void TestRollText::damage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("groups");
    QTest::newRow("sum") << u"1d8+4"_s << u"1d8+4"_s;
    QTest::newRow("die without count") << u"d8"_s << u"1d8"_s;
    QTest::newRow("capital D") << u"2D6+3"_s << u"2d6+3"_s;
    QTest::newRow("blanks in the sum") << u"2d6 + 3"_s << u"2d6+3"_s;
    QTest::newRow("blanks around") << u"  1d8 + 4   fire  "_s << u"1d8+4 fire"_s;
    QTest::newRow("mixed dice") << u"2d6+1d6+3"_s << u"2d6+1d6+3"_s;
    QTest::newRow("dice without counts") << u"d6+d4"_s << u"1d6+1d4"_s;
    QTest::newRow("a die taken off") << u"1d6-1d4"_s << u"1d6-1d4"_s;
    QTest::newRow("minus") << u"3d6-1"_s << u"3d6-1"_s;
    QTest::newRow("minus 20") << u"3d6-20"_s << u"3d6-20"_s;
    QTest::newRow("minus sign") << u"3d6−1"_s << u"3d6-1"_s;
    QTest::newRow("en dash as minus") << u"1d4–1"_s << u"1d4-1"_s;
    QTest::newRow("percentile") << u"d%"_s << u"1d100"_s;
    QTest::newRow("counted percentile") << u"2d%"_s << u"2d100"_s;
    QTest::newRow("d100") << u"d100"_s << u"1d100"_s;
    QTest::newRow("many dice") << u"20d6"_s << u"20d6"_s;
    QTest::newRow("number only") << u"5"_s << u"5"_s;
    QTest::newRow("signed number") << u"+5"_s << u"5"_s;
    QTest::newRow("number with a kind") << u"5 fire"_s << u"5 fire"_s;
    QTest::newRow("no dice of a kind") << u"0d6+3"_s << u"3"_s;
    QTest::newRow("kind") << u"1d8+4 fire"_s << u"1d8+4 fire"_s;
    QTest::newRow("two-word kind") << u"3d6 sneak attack"_s << u"3d6 sneak attack"_s;
    QTest::newRow("hyphenated kind") << u"1d6 non-lethal"_s << u"1d6 non-lethal"_s;
    QTest::newRow("kind with words after") << u"1d6 acid per round"_s << u"1d6 acid per round"_s;
    QTest::newRow("plus") << u"1d8+4 plus 1d6 fire"_s << u"1d8+4 | 1d6 fire"_s;
    QTest::newRow("plus twice") << u"1d8+4 plus 1d6 fire plus 1d6 acid"_s << u"1d8+4 | 1d6 fire | 1d6 acid"_s;
    QTest::newRow("plus an effect") << u"1d6+4 plus grab"_s << u"1d6+4 plus grab"_s;
    QTest::newRow("and between kinds") << u"1d6 fire and cold"_s << u"1d6 fire and cold"_s;
    QTest::newRow("and between sums") << u"1d6 fire and 1d6 cold"_s << u"1d6 fire | 1d6 cold"_s;
    QTest::newRow("and, then an effect") << u"1d8+4 fire and 1d6 cold plus trip"_s << u"1d8+4 fire | 1d6 cold plus trip"_s;
    QTest::newRow("or") << u"1d8+1 or 1d6 ranged"_s << u"1d8+1 | 1d6 ranged"_s;
    QTest::newRow("comma") << u"1d6 fire, 1d6 cold"_s << u"1d6 fire | 1d6 cold"_s;
    QTest::newRow("semicolon") << u"1d8+4; 1d6"_s << u"1d8+4 | 1d6"_s;
    QTest::newRow("words after a comma") << u"1d8+4, fire"_s << u"1d8+4 fire"_s;
    QTest::newRow("plus sign between kinds") << u"1d6 fire + 1d6 cold"_s << u"1d6 fire | 1d6 cold"_s;
    QTest::newRow("signed number after a kind") << u"1d6 fire + 2 cold"_s << u"1d6 fire | 2 cold"_s;
    QTest::newRow("number damage after plus") << u"2d6+3 plus 1 bleed"_s << u"2d6+3 | 1 bleed"_s;
    QTest::newRow("signed die joins the sum") << u"1d8+4 +1d6 fire"_s << u"1d8+4+1d6 fire"_s;
    QTest::newRow("label") << u"longsword 1d8+4"_s << u"longsword: 1d8+4"_s;
    QTest::newRow("label with a colon") << u"longsword: 1d8+4 fire"_s << u"longsword: 1d8+4 fire"_s;
    QTest::newRow("label, plus") << u"longsword 1d8+4 plus 1d6 fire"_s << u"longsword: 1d8+4 | 1d6 fire"_s;
    QTest::newRow("flaming weapon") << u"flaming longsword: 1d8+4 + 1d6 fire"_s << u"flaming longsword: 1d8+4+1d6 fire"_s;
    QTest::newRow("two labels") << u"bite 1d6+3, 2 claws 1d4+2"_s << u"bite: 1d6+3 | 2 claws: 1d4+2"_s;
    QTest::newRow("labels by semicolon") << u"longsword 1d8+4; shortbow 1d6"_s << u"longsword: 1d8+4 | shortbow: 1d6"_s;
    QTest::newRow("enhancement in the label") << u"+1 longsword 1d8+5"_s << u"+1 longsword: 1d8+5"_s;
    QTest::newRow("words after the sum are its kind") << u"1d8+4 longsword"_s << u"1d8+4 longsword"_s;
    QTest::newRow("signed dice after a label") << u"sneak attack +3d6"_s << u"sneak attack: 3d6"_s;
    QTest::newRow("breath weapon") << u"breath 6d8 fire (DC 17)"_s << u"breath: 6d8 fire DC 17"_s;
    QTest::newRow("threat range passed over") << u"1d8+5/19-20"_s << u"1d8+5"_s;
    QTest::newRow("en dash range passed over") << u"1d8+5/19–20"_s << u"1d8+5"_s;
    QTest::newRow("range and multiplier passed over") << u"2d4+4/18-20/x2"_s << u"2d4+4"_s;
    QTest::newRow("multiplier passed over") << u"1d12+6/x3"_s << u"1d12+6"_s;
    QTest::newRow("multiplication sign passed over") << u"1d12+6/×3"_s << u"1d12+6"_s;
    QTest::newRow("multiplier after a blank") << u"greataxe 1d12+6 x3"_s << u"greataxe: 1d12+6"_s;
    QTest::newRow("range after the kind") << u"1d8+4 fire 19-20"_s << u"1d8+4 fire"_s;
    QTest::newRow("range in brackets") << u"1d8+4 (19–20/×2)"_s << u"1d8+4"_s;
    QTest::newRow("brackets") << u"(1d4+2)"_s << u"1d4+2"_s;
    QTest::newRow("square brackets") << u"[1d8+4]"_s << u"1d8+4"_s;
    QTest::newRow("kind in brackets") << u"2d6 (fire)"_s << u"2d6 fire"_s;
    QTest::newRow("weapon in brackets after") << u"1d4+1 (bite)"_s << u"1d4+1 bite"_s;
    QTest::newRow("weapon before brackets") << u"Longsword (1d8+5)"_s << u"Longsword: 1d8+5"_s;
    QTest::newRow("save in brackets") << u"10d6 fire (Reflex DC 15 half)"_s << u"10d6 fire Reflex DC 15 half"_s;
    QTest::newRow("minimum in brackets") << u"1d4-1 (min 1)"_s << u"1d4-1 min 1"_s;
    QTest::newRow("double weapon") << u"quarterstaff 1d6/1d6"_s << u"quarterstaff: 1d6 | 1d6"_s;
    QTest::newRow("attack line") << u"2 claws +5 (1d4+2)"_s << u"2 claws: 1d4+2"_s;
    QTest::newRow("attack line with the weapon's bonus") << u"+1 longsword +12/+7 (1d8+5/19-20)"_s << u"+1 longsword: 1d8+5"_s;
    QTest::newRow("attack line, melee") << u"longsword +12/+7 melee (1d8+4/19-20)"_s << u"longsword melee: 1d8+4"_s;
    QTest::newRow("full attack line") << u"bite +7 (1d6+4), 2 claws +5 (1d4+2)"_s << u"bite: 1d6+4 | 2 claws: 1d4+2"_s;
    QTest::newRow("full attack line with and") << u"bite +7 (1d6+4) and 2 claws +5 (1d4+2)"_s << u"bite: 1d6+4 | 2 claws: 1d4+2"_s;
    QTest::newRow("full attack heading") << u"Full Attack: bite +7 (1d6+4) and 2 claws +5 (1d4+2)"_s << u"bite: 1d6+4 | 2 claws: 1d4+2"_s;
    QTest::newRow("damage heading") << u"Damage: 1d8+4"_s << u"1d8+4"_s;
    QTest::newRow("plus in brackets") << u"bite +7 (1d6+4 plus 1d6 fire)"_s << u"bite: 1d6+4 | 1d6 fire"_s;
    QTest::newRow("effect in brackets") << u"bite +7 (1d6+4 plus grab)"_s << u"bite: 1d6+4 plus grab"_s;
    QTest::newRow("blanks before a multiplier and a kind") << u"1d8+4 crit"_s + QString(600, u' ') + u"ax x3 fire"_s
                                                           << u"1d8+4 crit ax fire"_s;
    QTest::newRow("other scripts' digits are words") << u"1d6+５ fire"_s << u"1d6 +５ fire"_s;
}

void TestRollText::damage()
{
    QFETCH(QString, text);
    QFETCH(QString, groups);
    const combat::DamageText parsed = combat::parseDamage(text);
    QCOMPARE(parsed.problem, QString());
    QCOMPARE(joined(parsed.groups), groups);
}

void TestRollText::problems_data()
{
    QTest::addColumn<bool>("damage"); // else the attack
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem"); // empty: something is rolled
    const QString nothing = u"nothing to roll"_s;
    const QString attacks = u"more than 40 attacks"_s;
    const QString sides = u"a die of no sides or more than 1000"_s;
    const QString dice = u"more than 1000 dice"_s;
    QTest::newRow("attack: empty") << false << QString() << nothing;
    QTest::newRow("attack: blanks") << false << u"   "_s << nothing;
    QTest::newRow("attack: see notes") << false << u"see notes"_s << nothing;
    QTest::newRow("attack: em dash") << false << u"—"_s << nothing;
    QTest::newRow("attack: en dash") << false << u"–"_s << nothing;
    QTest::newRow("attack: hyphen") << false << u"-"_s << nothing;
    QTest::newRow("attack: by weapon") << false << u"by weapon"_s << nothing;
    QTest::newRow("attack: n/a") << false << u"n/a"_s << nothing;
    QTest::newRow("attack: unsigned number") << false << u"DC 15"_s << nothing;
    QTest::newRow("attack: damage only") << false << u"1d8+4"_s << nothing;
    QTest::newRow("attack: critical only") << false << u"19–20/×2"_s << nothing;
    QTest::newRow("attack: no natural weapons") << false << u"0 claws +5"_s << nothing;
    QTest::newRow("attack: 40 rolls") << false << u"20 claws +5/+0"_s << QString();
    QTest::newRow("attack: 41 rolls by count") << false << u"41 claws +5"_s << attacks;
    QTest::newRow("attack: 41 rolls over parts") << false << u"bite +7 and 20 claws +5/+0"_s << attacks;
    QTest::newRow("attack: 40 iteratives") << false << u"+1/"_s.repeated(39) + u"+1"_s << QString();
    QTest::newRow("attack: 41 iteratives") << false << u"+1/"_s.repeated(40) + u"+1"_s << attacks;
    QTest::newRow("attack: huge count") << false << u"99999999 claws +5"_s << attacks;
    QTest::newRow("attack: largest bonus") << false << u"+99999"_s << QString();
    QTest::newRow("attack: bonus too large") << false << u"+100000"_s << u"a bonus beyond 99999"_s;
    QTest::newRow("attack: read to the cut") << false << QString(1998, u' ') + u"+5"_s << QString();
    QTest::newRow("attack: past the cut") << false << QString(1999, u' ') + u"+5"_s << nothing;
    QTest::newRow("damage: empty") << true << QString() << nothing;
    QTest::newRow("damage: see notes") << true << u"see notes"_s << nothing;
    QTest::newRow("damage: em dash") << true << u"—"_s << nothing;
    QTest::newRow("damage: hyphen") << true << u"-"_s << nothing;
    QTest::newRow("damage: by weapon") << true << u"by weapon"_s << nothing;
    QTest::newRow("damage: special") << true << u"special (see text)"_s << nothing;
    QTest::newRow("damage: critical only") << true << u"19-20/x2"_s << nothing;
    QTest::newRow("damage: no dice") << true << u"0d6"_s << nothing;
    QTest::newRow("damage: d0") << true << u"d0"_s << sides;
    QTest::newRow("damage: 2d0") << true << u"1d6+2d0"_s << sides;
    QTest::newRow("damage: d1000") << true << u"1d1000"_s << QString();
    QTest::newRow("damage: d1001") << true << u"1d1001"_s << sides;
    QTest::newRow("damage: huge die") << true << u"1d99999999"_s << sides;
    QTest::newRow("damage: 1000 dice") << true << u"1000d6"_s << QString();
    QTest::newRow("damage: 1001 dice") << true << u"1001d6"_s << dice;
    QTest::newRow("damage: 1001 dice over groups") << true << u"500d6 plus 501d6 fire"_s << dice;
    QTest::newRow("damage: huge count") << true << u"99999999d6"_s << dice;
    QTest::newRow("damage: largest number") << true << u"1d6+99999"_s << QString();
    QTest::newRow("damage: number too large") << true << u"1d6+100000"_s << u"a number beyond 99999"_s;
    QTest::newRow("damage: 40 groups") << true << u"1d6, "_s.repeated(40) << QString();
    QTest::newRow("damage: 41 groups") << true << u"1d6, "_s.repeated(41) << u"more than 40 kinds of damage"_s;
}

void TestRollText::problems()
{
    QFETCH(bool, damage);
    QFETCH(QString, text);
    QFETCH(QString, problem);
    if (damage) {
        const combat::DamageText parsed = combat::parseDamage(text);
        QCOMPARE(parsed.problem, problem);
        QCOMPARE(parsed.groups.isEmpty(), !problem.isEmpty());
    } else {
        const combat::AttackText parsed = combat::parseAttack(text);
        QCOMPARE(parsed.problem, problem);
        QCOMPARE(parsed.rolls.isEmpty(), !problem.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestRollText)
#include "tst_rolltext.moc"
