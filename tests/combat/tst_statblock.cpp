// Reading pasted d20 stat blocks into rows, and rows written back as blocks.
#include "combat/DamagePlan.h"
#include "combat/RollText.h"
#include "combat/StatBlock.h"
#include "roster/Fields.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestStatBlock : public QObject
{
    Q_OBJECT

private slots:
    void blocks_data();
    void blocks();
    void roundTrip_data();
    void roundTrip();
};

namespace {

// A row's fields in the tables' order: name, hp, ini, ac, fort, reflex, will, attack, damage, note.
using roster::Row;
const std::array<QString Row::*, 10> TableOrder{&Row::name, &Row::hp, &Row::ini, &Row::ac, &Row::fort,
                                                &Row::reflex, &Row::will, &Row::attack, &Row::damage, &Row::note};

QString bonusesOf(const QString &attack)
{
    QStringList bonuses;
    for (const combat::AttackRoll &roll : combat::parseAttack(attack).rolls)
        bonuses.append((roll.bonus < 0 ? u""_s : u"+"_s) + QString::number(roll.bonus));
    return bonuses.join(u' ');
}

// The monsters below are made up for these tests.
const QString TwoNewBlocks = uR"(MOSSBACK TORTOISE CR 2
XP 600
N Large animal
Init -1; Senses low-light vision; Perception +5
DEFENSE
AC 16, touch 8, flat-footed 16 (-1 Dex, +8 natural, -1 size)
hp 22 (3d8+9)
Fort +6, Ref +2, Will +2
OFFENSE
Speed 15 ft.
Melee bite +5 (1d8+6)

CINDER IMP CR 1
XP 400
LE Tiny outsider (devil, evil, extraplanar, lawful)
Init +3; Senses darkvision 60 ft.; Perception +5
DEFENSE
AC 15, touch 15, flat-footed 12 (+3 Dex, +2 size)
hp 13 (2d10+2)
Fort +4, Ref +6, Will +1
DR 5/good; Immune fire; SR 12
OFFENSE
Speed 20 ft., fly 50 ft. (good)
Melee sting +6 (1d4 plus 1d4 fire)
)"_s;

const QString TwoOldBlocks = uR"(Pebblejack
Small Humanoid (Goblinoid)
Hit Dice: 1d8+1 (5 hp)
Initiative: +1
Armor Class: 15 (+1 size, +1 Dex, +3 leather), touch 12, flat-footed 14
Full Attack: Sling +3 ranged (1d3)
Saves: Fort +3, Ref +1, Will -1
Advancement: By character class

Pebblejacks throw stones at anything that moves. They flee when hurt.

Thornhog
Medium Animal
Hit Dice: 3d8+9 (22 hp)
Initiative: +0
Armor Class: 14 (+4 natural), touch 10, flat-footed 14
Full Attack: Gore +4 melee (1d8+3)
Saves: Fort +6, Ref +3, Will +2
Hit Dice: 2d8+2 (11 hp)
Initiative: +2
Armor Class: 15 (+2 Dex, +3 natural), touch 12, flat-footed 13
Full Attack: Bite +3 melee (1d6+1)
Saves: Fort +4, Ref +5, Will +1
)"_s;

// An attack line past the length a field is edited at.
const QString LongAttack = u"claw +1 (1d4), "_s.repeated(2600);

} // namespace

void TestStatBlock::blocks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index"); // which block of the text
    QTest::addColumn<int>("count"); // how many blocks the text holds
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("unread");
    QTest::addColumn<QString>("bonuses"); // the d20s the Attack rolls
    QTest::addColumn<QString>("cut");
    auto add = [](const char *tag, const QString &text, const QStringList &row, const QString &unread = {},
                  const QString &bonuses = {}, int index = 0, int count = 1, const QString &cut = {}) {
        QTest::newRow(tag) << text << index << count << row << unread << bonuses << cut;
    };

    add("older layout", uR"(Bramblehide Brute
Large Giant
Hit Dice: 6d10+12 (45 hp)
Initiative: +1
Speed: 40 ft. (8 squares)
Armor Class: 17 (-1 size, +1 Dex, +7 natural), touch 10, flat-footed 16
Base Attack/Grapple: +6/+15
Attack: Greatclub +10 melee (2d8+7)
Full Attack: Greatclub +10/+5 melee (2d8+7) or javelin +4 ranged (1d8+5)
Space/Reach: 10 ft./10 ft.
Special Attacks: -
Special Qualities: Damage reduction 5/magic, darkvision 60 ft., immunity to fire, spell resistance 15
Saves: Fort +7, Ref +3, Will +2
Abilities: Str 21, Dex 12, Con 15, Int 6, Wis 10, Cha 7
Skills: Climb +8, Listen +4
Feats: Power Attack, Toughness
Challenge Rating: 4
Treasure: Standard
Level Adjustment: +3
)"_s,
        {u"Bramblehide Brute"_s, u"45/45"_s, u"+1"_s, u"17"_s, u"+7"_s, u"+3"_s, u"+2"_s,
         u"Greatclub +10/+5 melee (2d8+7) or javelin +4 ranged (1d8+5)"_s, u"Greatclub 2d8+7, javelin 1d8+5"_s,
         u"touch 10, flat-footed 16; DR 5/magic; SR 15; immune fire; speed 40 ft."_s},
        {}, u"+10 +5 +4"_s);

    add("newer layout", uR"(MIREFANG STALKER CR 5
XP 1,600
N Large magical beast
Init +3; Senses darkvision 60 ft., scent; Perception +9
DEFENSE
AC 18, touch 12, flat-footed 15 (+3 Dex, +6 natural, -1 size)
hp 52 (7d10+14)
Fort +7, Ref +8, Will +3
DR 5/slashing; Immune poison; Resist cold 10; SR 16
OFFENSE
Speed 40 ft., swim 30 ft.
Melee bite +11 (2d6+6/19-20 plus poison), 2 claws +9 (1d6+3)
Ranged quill volley +9 (2d4)
Space 10 ft.; Reach 5 ft.
STATISTICS
Str 22, Dex 17, Con 15, Int 3, Wis 12, Cha 8
Base Atk +7; CMB +14; CMD 27
)"_s,
        {u"Mirefang Stalker"_s, u"52/52"_s, u"+3"_s, u"18"_s, u"+7"_s, u"+8"_s, u"+3"_s,
         u"bite +11 (2d6+6/19-20 plus poison), 2 claws +9 (1d6+3); quill volley +9 ranged (2d4)"_s,
         u"bite 2d6+6 plus poison, 2 claws 1d6+3, quill volley 2d4"_s,
         u"touch 12, flat-footed 15; DR 5/slashing; SR 16; immune poison; resist cold 10; speed 40 ft., swim 30 ft."_s},
        {}, u"+11 +9 +9 +9"_s);

    add("newer layout broken by a PDF", uR"(GRAVEL  HOUND   CR 2
XP 600
N Medium animal
Init +2; Senses low-light vision,
scent; Perception +6
DEFENSE
AC 15, touch 12, flat-
footed 13 (+2 Dex, +3 natural)
hp 19 (3d8+6)
Fort +5, Ref +5, Will +2
OFFENSE
Speed 50 ft.
Melee bite +4 (1d8+3 plus
trip)
)"_s,
        {u"Gravel Hound"_s, u"19/19"_s, u"+2"_s, u"15"_s, u"+5"_s, u"+5"_s, u"+2"_s, u"bite +4 (1d8+3 plus trip)"_s,
         u"bite 1d8+3 plus trip"_s, u"touch 12, flat-footed 13; speed 50 ft."_s},
        {}, u"+4"_s);

    add("tabs, dashes, minus and multiplication signs", u"Ashen Wight\nMedium Undead\nHit Dice:\t4d12 (26 hp)\n"
        u"Initiative:\t\u22121\nSpeed:\t30 ft. (6 squares)\n"
        u"Armor Class:\t14 (\u22121 Dex, +5 natural), touch 9, flat\u2013footed 14\nBase Attack/Grapple:\t+2/+4\n"
        u"Attack:\tScythe +5 melee (2d4+3/\u00d74)\n"
        u"Full Attack:\tScythe +5 melee (2d4+3/\u00d74) and slam +0 melee (1d4+1)\n"
        u"Special Attacks:\t\u2014\nSaves:\tFort +1, Ref \u20131, Will +5\n"_s,
        {u"Ashen Wight"_s, u"26/26"_s, u"-1"_s, u"14"_s, u"+1"_s, u"-1"_s, u"+5"_s,
         u"Scythe +5 melee (2d4+3/x4) and slam +0 melee (1d4+1)"_s, u"Scythe 2d4+3, slam 1d4+1"_s,
         u"touch 9, flat-footed 14; speed 30 ft."_s},
        {}, u"+5 +0"_s);

    add("older layout broken inside its fields", uR"(Stonejaw Ogre
Large Giant
Hit Dice: 5d8+15 (37 hp)
Initiative: +0
Speed: 30 ft. (6 squares)
Armor Class: 16 (-1 size, +5 natural, +2 hide),
touch 9, flat-footed 16
Attack: Greatclub +9 melee (2d8+7)
Full Attack: Greatclub
+9/+4 melee (2d8+7)
Saves: Fort +7, Ref +1,
Will +2
)"_s,
        {u"Stonejaw Ogre"_s, u"37/37"_s, u"+0"_s, u"16"_s, u"+7"_s, u"+1"_s, u"+2"_s, u"Greatclub +9/+4 melee (2d8+7)"_s,
         u"Greatclub 2d8+7"_s, u"touch 9, flat-footed 16; speed 30 ft."_s},
        {}, u"+9 +4"_s);

    add("section words in mixed case, more after the hit points", uR"(Briarback Troll CR 6
XP 2,400
CE Large humanoid (giant)
Init +2; Senses darkvision 60 ft.; Perception +8
Defense
AC 17, touch 11, flat-footed 15 (+2 Dex, +7 natural, -1 size)
hp 68 (8d8+32); regeneration 5 (acid or fire)
Fort +10, Ref +4, Will +3
Offense
Speed 30 ft.
Melee bite +10 (1d8+6), 2 claws +10 (1d6+6 plus rend)
Space 10 ft.; Reach 10 ft.
Statistics
Str 23, Dex 14, Con 19, Int 6, Wis 9, Cha 6
)"_s,
        {u"Briarback Troll"_s, u"68/68"_s, u"+2"_s, u"17"_s, u"+10"_s, u"+4"_s, u"+3"_s,
         u"bite +10 (1d8+6), 2 claws +10 (1d6+6 plus rend)"_s, u"bite 1d8+6, 2 claws 1d6+6 plus rend"_s,
         u"touch 11, flat-footed 15; speed 30 ft."_s},
        {}, u"+10 +10 +10"_s);

    add("name in capitals with a fractional rating", uR"(DUSKLING CR 1/2
XP 200
NE Small fey
Init +3; Senses low-light vision; Perception +4
DEFENSE
AC 14, touch 14, flat-footed 11 (+3 Dex, +1 size)
hp 5 (1d6+2)
Fort +1, Ref +5, Will +2
OFFENSE
Speed 20 ft.
Melee dagger +4 (1d3-1/19-20)
Ranged dart +6 (1d3-1)
)"_s,
        {u"Duskling"_s, u"5/5"_s, u"+3"_s, u"14"_s, u"+1"_s, u"+5"_s, u"+2"_s, u"dagger +4 (1d3-1/19-20); dart +6 ranged (1d3-1)"_s,
         u"dagger 1d3-1, dart 1d3-1"_s, u"touch 14, flat-footed 11; speed 20 ft."_s},
        {}, u"+4 +6"_s);

    add("defences of the newer layout", uR"(WARDEN OF THE DEEP CR 9
XP 6,400
LN Huge outsider (water, extraplanar)
Init +1; Senses darkvision 120 ft.; Perception +18
DEFENSE
AC 24, touch 9, flat-footed 23 (+1 Dex, +15 natural, -2 size)
hp 115 (10d10+60)
Fort +13, Ref +4, Will +11
Defensive Abilities amorphous; DR 10/cold iron and good; Immune acid, poison; Resist cold 10, fire 10; SR 20
OFFENSE
Speed 20 ft., swim 60 ft.
Melee 2 slams +16 (2d8+8/19-20)
)"_s,
        {u"Warden of the Deep"_s, u"115/115"_s, u"+1"_s, u"24"_s, u"+13"_s, u"+4"_s, u"+11"_s, u"2 slams +16 (2d8+8/19-20)"_s,
         u"2 slams 2d8+8"_s,
         u"touch 9, flat-footed 23; DR 10/cold iron and good; SR 20; immune acid, poison; resist cold 10, fire 10; speed 20 ft., swim 60 ft."_s},
        {}, u"+16 +16"_s);

    add("no name", uR"(Hit Dice: 2d8+2 (11 hp)
Initiative: +2
Armor Class: 15 (+2 Dex, +3 natural), touch 12, flat-footed 13
Full Attack: Bite +3 melee (1d6+1)
Saves: Fort +4, Ref +5, Will +1
)"_s,
        {QString(), u"11/11"_s, u"+2"_s, u"15"_s, u"+4"_s, u"+5"_s, u"+1"_s, u"Bite +3 melee (1d6+1)"_s, u"Bite 1d6+1"_s,
         u"touch 12, flat-footed 13"_s},
        u"Name"_s, u"+3"_s);

    add("no attack", uR"(Fogwisp
Tiny Elemental (Air)
Hit Dice: 1d8 (4 hp)
Initiative: +5
Armor Class: 17 (+2 size, +5 Dex), touch 17, flat-footed 12
Saves: Fort +0, Ref +7, Will +0
)"_s,
        {u"Fogwisp"_s, u"4/4"_s, u"+5"_s, u"17"_s, u"+0"_s, u"+7"_s, u"+0"_s, QString(), QString(), u"touch 17, flat-footed 12"_s},
        u"Attack, Damage"_s);

    add("a swarm: no saves, no armour, no d20", uR"(Rustmite Swarm CR 1
XP 400
Init +1
hp 9 (2d8)
Melee swarm (1d6)
)"_s,
        {u"Rustmite Swarm"_s, u"9/9"_s, u"+1"_s, QString(), QString(), QString(), QString(), u"swarm (1d6)"_s, u"swarm 1d6"_s,
         QString()},
        u"AC, Fort, Reflx, Will"_s);

    add("no hit points", uR"(Glass Sentinel
Medium Construct
Initiative: +0
Armor Class: 20 (+10 natural), touch 10, flat-footed 20
Full Attack: 2 slams +7 melee (1d8+3)
Saves: Fort +2, Ref +2, Will +2
)"_s,
        {u"Glass Sentinel"_s, QString(), u"+0"_s, u"20"_s, u"+2"_s, u"+2"_s, u"+2"_s, u"2 slams +7 melee (1d8+3)"_s,
         u"2 slams 1d8+3"_s, u"touch 10, flat-footed 20"_s},
        u"HP"_s, u"+7 +7"_s);

    add("a title with its rating above a line of class", uR"(Ashen Duelist CR 4
Male human fighter 4
NE Medium humanoid (human)
Init +3; Perception +1
AC 17, touch 13, flat-footed 14
hp 34 (4d10+12)
Fort +7, Ref +4, Will +1
Weaknesses vulnerable to cold
Melee rapier +9 (1d6+5/18-20)
)"_s,
        {u"Ashen Duelist"_s, u"34/34"_s, u"+3"_s, u"17"_s, u"+7"_s, u"+4"_s, u"+1"_s, u"rapier +9 (1d6+5/18-20)"_s,
         u"rapier 1d6+5"_s, u"touch 13, flat-footed 14; weaknesses vulnerable to cold"_s},
        {}, u"+9"_s);
    add("two blocks: the first", TwoNewBlocks,
        {u"Mossback Tortoise"_s, u"22/22"_s, u"-1"_s, u"16"_s, u"+6"_s, u"+2"_s, u"+2"_s, u"bite +5 (1d8+6)"_s, u"bite 1d8+6"_s,
         u"touch 8, flat-footed 16; speed 15 ft."_s},
        {}, u"+5"_s, 0, 2);
    add("two blocks: the second", TwoNewBlocks,
        {u"Cinder Imp"_s, u"13/13"_s, u"+3"_s, u"15"_s, u"+4"_s, u"+6"_s, u"+1"_s, u"sting +6 (1d4 plus 1d4 fire)"_s,
         u"sting 1d4 plus 1d4 fire"_s, u"touch 15, flat-footed 12; DR 5/good; SR 12; immune fire; speed 20 ft., fly 50 ft. (good)"_s},
        {}, u"+6"_s, 1, 2);
    add("older blocks: the first", TwoOldBlocks,
        {u"Pebblejack"_s, u"5/5"_s, u"+1"_s, u"15"_s, u"+3"_s, u"+1"_s, u"-1"_s, u"Sling +3 ranged (1d3)"_s, u"Sling 1d3"_s,
         u"touch 12, flat-footed 14"_s},
        {}, u"+3"_s, 0, 3);
    add("older blocks: the second, after a description", TwoOldBlocks,
        {u"Thornhog"_s, u"22/22"_s, u"+0"_s, u"14"_s, u"+6"_s, u"+3"_s, u"+2"_s, u"Gore +4 melee (1d8+3)"_s, u"Gore 1d8+3"_s,
         u"touch 10, flat-footed 14"_s},
        {}, u"+4"_s, 1, 3);
    add("older blocks: the third, without a name", TwoOldBlocks,
        {QString(), u"11/11"_s, u"+2"_s, u"15"_s, u"+4"_s, u"+5"_s, u"+1"_s, u"Bite +3 melee (1d6+1)"_s, u"Bite 1d6+1"_s,
         u"touch 12, flat-footed 13"_s},
        u"Name"_s, u"+3"_s, 2, 3);
    add("no stat block", u"Shopping for Saturday:\nrope, 50 ft.\ntorches (10)\nArmor: chain shirt\n"_s, {}, {}, {}, 0, 0);
    add("empty text", QString(), {}, {}, {}, 0, 0);
    add("oldest layout: attacks and damage apart", uR"(Grimhorn
Large Magical Beast
Hit Dice: 7d10+21 (59 hp)
Initiative: +1 (Dex)
Speed: 40 ft.
AC: 18 (-1 size, +1 Dex, +8 natural)
Attacks: Gore +12 melee, 2 hooves +7 melee
Damage: Gore 2d6+6, hoof 1d6+3
Saves: Fort +8, Ref +6, Will +3
)"_s,
        {u"Grimhorn"_s, u"59/59"_s, u"+1"_s, u"18"_s, u"+8"_s, u"+6"_s, u"+3"_s, u"Gore +12 melee, 2 hooves +7 melee"_s,
         u"Gore 2d6+6, hoof 1d6+3"_s, u"speed 40 ft."_s},
        {}, u"+12 +7 +7"_s);

    add("older layout, a single attack", uR"(Quarry Beetle
Small Vermin
Hit Dice: 2d8 (9 hp)
Initiative: +0
Armor Class: 16 (+1 size, +5 natural), touch 11, flat-footed 16
Attack: Bite +2 melee (1d6)
Saves: Fort +3, Ref +0, Will +0
)"_s,
        {u"Quarry Beetle"_s, u"9/9"_s, u"+0"_s, u"16"_s, u"+3"_s, u"+0"_s, u"+0"_s, u"Bite +2 melee (1d6)"_s, u"Bite 1d6"_s,
         u"touch 11, flat-footed 16"_s},
        {}, u"+2"_s);

    add("older special qualities", uR"(Frostmaw Hulk
Huge Elemental (Cold)
Hit Dice: 12d8+60 (114 hp)
Initiative: -1
Speed: 30 ft. (6 squares), burrow 10 ft.
Armor Class: 19 (-2 size, -1 Dex, +12 natural), touch 7, flat-footed 19
Full Attack: 2 slams +15 melee (2d8+8 plus 1d6 cold)
Special Qualities: Damage reduction 10/-, immunity to cold, immunity to poison, resistance to acid 10 and electricity 10, fire resistance 5
Saves: Fort +13, Ref +3, Will +4
)"_s,
        {u"Frostmaw Hulk"_s, u"114/114"_s, u"-1"_s, u"19"_s, u"+13"_s, u"+3"_s, u"+4"_s,
         u"2 slams +15 melee (2d8+8 plus 1d6 cold)"_s, u"2 slams 2d8+8 plus 1d6 cold"_s,
         u"touch 7, flat-footed 19; DR 10/-; immune cold, poison; resist acid 10 and electricity 10, fire 5; speed 30 ft., burrow 10 ft."_s},
        {}, u"+15 +15"_s);

    add("weapon's own bonus, armour's speed", uR"(Captain Vell Ardane
Medium Humanoid (Human)
Hit Dice: 8d10+16 (60 hp)
Initiative: +5 (+1 Dex, +4 Improved Initiative)
Speed: 20 ft. in full plate (4 squares); base speed 30 ft.
Armor Class: 21 (+1 Dex, +9 +1 full plate, +1 ring), touch 12, flat-footed 20
Full Attack: +1 longsword +13/+8 melee (1d8+5/19-20) or composite longbow +9/+4 ranged (1d8+2/x3)
Saves: Fort +8, Ref +3, Will +4
)"_s,
        {u"Captain Vell Ardane"_s, u"60/60"_s, u"+5"_s, u"21"_s, u"+8"_s, u"+3"_s, u"+4"_s,
         u"+1 longsword +13/+8 melee (1d8+5/19-20) or composite longbow +9/+4 ranged (1d8+2/x3)"_s,
         u"+1 longsword 1d8+5, composite longbow 1d8+2"_s,
         u"touch 12, flat-footed 20; speed 20 ft. in full plate; base speed 30 ft."_s},
        {}, u"+13 +8 +9 +4"_s);

    add("ranged alone", uR"(Hollow Archer CR 2
XP 600
Init +4
AC 16, touch 14, flat-footed 12
hp 16 (3d8+3)
Fort +2, Ref +7, Will +1
Ranged shortbow +7/+2 (1d6/x3)
)"_s,
        {u"Hollow Archer"_s, u"16/16"_s, u"+4"_s, u"16"_s, u"+2"_s, u"+7"_s, u"+1"_s, u"shortbow +7/+2 ranged (1d6/x3)"_s,
         u"shortbow 1d6"_s, u"touch 14, flat-footed 12"_s},
        {}, u"+7 +2"_s);

    add("melee and two ranged weapons", uR"(Reedfolk Hunter CR 1
Init +2
AC 14, touch 12, flat-footed 12
hp 11 (2d8+2)
Fort +4, Ref +5, Will +0
Melee spear +6 (1d8+4/x3)
Ranged javelin +5/+0 (1d6+3) or sling +4 (1d4)
)"_s,
        {u"Reedfolk Hunter"_s, u"11/11"_s, u"+2"_s, u"14"_s, u"+4"_s, u"+5"_s, u"+0"_s,
         u"spear +6 (1d8+4/x3); javelin +5/+0 ranged (1d6+3) or sling +4 ranged (1d4)"_s,
         u"spear 1d8+4, javelin 1d6+3, sling 1d4"_s, u"touch 12, flat-footed 12"_s},
        {}, u"+6 +5 +0 +4"_s);

    add("thousands of hit points", uR"(Elder Thunderwyrm CR 20
Init +0; Senses blindsense 60 ft.
AC 38, touch 6, flat-footed 38
hp 1,204 (28d12+476)
Fort +30, Ref +16, Will +24
Melee bite +41 (4d8+18/19-20)
)"_s,
        {u"Elder Thunderwyrm"_s, u"1204/1204"_s, u"+0"_s, u"38"_s, u"+30"_s, u"+16"_s, u"+24"_s, u"bite +41 (4d8+18/19-20)"_s,
         u"bite 4d8+18"_s, u"touch 6, flat-footed 38"_s},
        {}, u"+41"_s);

    add("a fraction of a hit die, a name in capitals", uR"(CELLAR RAT
Tiny Animal
Hit Dice: 1/4 d8 (1 hp)
Initiative: +2
Armor Class: 14 (+2 size, +2 Dex), touch 14, flat-footed 12
Full Attack: Bite +4 melee (1d3-4)
Saves: Fort +2, Ref +4, Will +1
)"_s,
        {u"Cellar Rat"_s, u"1/1"_s, u"+2"_s, u"14"_s, u"+2"_s, u"+4"_s, u"+1"_s, u"Bite +4 melee (1d3-4)"_s, u"Bite 1d3-4"_s,
         u"touch 14, flat-footed 12"_s},
        {}, u"+4"_s);

    add("damage on the next line", uR"(Ironbound Sergeant CR 3
Init +1
AC 19, touch 11, flat-footed 18
hp 30 (4d10+8)
Fort +6, Ref +2, Will +1
Melee mwk longsword +8/+3
(1d8+3/19-20)
)"_s,
        {u"Ironbound Sergeant"_s, u"30/30"_s, u"+1"_s, u"19"_s, u"+6"_s, u"+2"_s, u"+1"_s, u"mwk longsword +8/+3 (1d8+3/19-20)"_s,
         u"mwk longsword 1d8+3"_s, u"touch 11, flat-footed 18"_s},
        {}, u"+8 +3"_s);

    add("non-breaking spaces, Windows line ends, a ligature",
        u"Vapor Moth\r\nSmall Vermin\r\nHit Dice:\u00a03d8 (13 hp)\r\nInitiative:\u00a0+3\r\n"
        u"Armor Class:\u00a015 (+1 size, +3 Dex, +1 natural), touch 14, \ufb02at-footed 12\r\n"
        u"Full Attack:\u00a0Sting\u00a0+5 melee (1d4 plus poison)\r\nSaves:\u00a0Fort +3, Ref +4, Will +1\r\n"_s,
        {u"Vapor Moth"_s, u"13/13"_s, u"+3"_s, u"15"_s, u"+3"_s, u"+4"_s, u"+1"_s, u"Sting +5 melee (1d4 plus poison)"_s,
         u"Sting 1d4 plus poison"_s, u"touch 14, flat-footed 12"_s},
        {}, u"+5"_s);

    add("a sentence under the name", uR"(QUILLBACK CR 2
A spiny beast the size of a pony, it bristles when angered.
XP 600
N Medium magical beast
Init +2; Senses darkvision 60 ft.; Perception +5
AC 15, touch 12, flat-footed 13 (+2 Dex, +3 natural)
hp 20 (3d10+4)
Fort +4, Ref +5, Will +2
Melee bite +5 (1d6+2)
)"_s,
        {u"Quillback"_s, u"20/20"_s, u"+2"_s, u"15"_s, u"+4"_s, u"+5"_s, u"+2"_s, u"bite +5 (1d6+2)"_s, u"bite 1d6+2"_s,
         u"touch 12, flat-footed 13"_s},
        {}, u"+5"_s);

    add("heading hyphenated across lines", uR"(Ember Lizard
Small Animal
Hit Dice: 2d8+2 (11 hp)
Initiative: +3
Armor Class: 16 (+1 size, +3 Dex, +2 natural), touch 14, flat-footed 13
Full At-
tack: Bite +4 melee (1d4+1 plus 1d4 fire)
Saves: Fort +4, Ref +6, Will +1
)"_s,
        {u"Ember Lizard"_s, u"11/11"_s, u"+3"_s, u"16"_s, u"+4"_s, u"+6"_s, u"+1"_s, u"Bite +4 melee (1d4+1 plus 1d4 fire)"_s,
         u"Bite 1d4+1 plus 1d4 fire"_s, u"touch 14, flat-footed 13"_s},
        {}, u"+4"_s);

    add("saves with conditions", uR"(Deepstone Dwarf Warden CR 4
Init +0
AC 20, touch 10, flat-footed 20
hp 38 (4d10+12)
Fort +7, Ref +1, Will +3 (+5 vs. spells); +2 vs. poison
Defensive Abilities stability
Melee dwarven waraxe +8 (1d10+4/x3)
)"_s,
        {u"Deepstone Dwarf Warden"_s, u"38/38"_s, u"+0"_s, u"20"_s, u"+7"_s, u"+1"_s, u"+3"_s,
         u"dwarven waraxe +8 (1d10+4/x3)"_s, u"dwarven waraxe 1d10+4"_s, u"touch 10, flat-footed 20"_s},
        {}, u"+8"_s);

    add("a sentence before the block", uR"(Tonight's encounter, copied from my notes.

Bog Lurker
Medium Aberration
Hit Dice: 4d8+8 (26 hp)
Initiative: +1
Armor Class: 18 (+1 Dex, +7 natural), touch 11,
flat-footed 17
Full Attack: 2 tentacles +5 melee (1d6+2) and bite +0 melee (1d4+1)
Saves: Fort +3, Ref +2, Will +5
)"_s,
        {u"Bog Lurker"_s, u"26/26"_s, u"+1"_s, u"18"_s, u"+3"_s, u"+2"_s, u"+5"_s,
         u"2 tentacles +5 melee (1d6+2) and bite +0 melee (1d4+1)"_s, u"2 tentacles 1d6+2, bite 1d4+1"_s,
         u"touch 11, flat-footed 17"_s},
        {}, u"+5 +5 +0"_s);

    add("armour broken inside its brackets", uR"(Scree Goat
Medium Animal
Hit Dice: 2d8+4 (13 hp)
Initiative: +2
Armor Class: 15 (+2 Dex,
+3 natural), touch 12, flat-footed 13
Full Attack: Butt +3 melee (1d6+3)
Saves: Fort +5, Ref +5, Will +0
)"_s,
        {u"Scree Goat"_s, u"13/13"_s, u"+2"_s, u"15"_s, u"+5"_s, u"+5"_s, u"+0"_s, u"Butt +3 melee (1d6+3)"_s,
         u"Butt 1d6+3"_s, u"touch 12, flat-footed 13"_s},
        {}, u"+3"_s);

    add("half a surrogate pair in the text", u"Glimmerfly\nTiny Vermin\nHit Dice: 1d8 (4 hp)\nInitiative: +4\n"
        u"Armor Class: 18 (+2 size, +4 Dex, +2 natural), touch 16, flat-footed 14\n"
        u"Full Attack: Bite +6 melee (1d3-2)\nSaves: Fort +2, Ref +4, Will +0\nSkills: Hide +12 "_s + QChar(0xDC00) + u"\n"_s,
        {u"Glimmerfly"_s, u"4/4"_s, u"+4"_s, u"18"_s, u"+2"_s, u"+4"_s, u"+0"_s, u"Bite +6 melee (1d3-2)"_s, u"Bite 1d3-2"_s,
         u"touch 16, flat-footed 14"_s},
        {}, u"+6"_s);

    add("colons after the newer layout's words", uR"(Lantern Wisp CR 3
Init: +9; Senses: darkvision 60 ft.
AC: 19, touch: 19, flat-footed: 10
hp: 22 (4d8+4)
Fort: +2, Ref: +10, Will: +5
Melee: shock +13 touch (2d8 electricity)
)"_s,
        {u"Lantern Wisp"_s, u"22/22"_s, u"+9"_s, u"19"_s, u"+2"_s, u"+10"_s, u"+5"_s, u"shock +13 touch (2d8 electricity)"_s,
         u"shock touch 2d8 electricity"_s, u"touch 19, flat-footed 10"_s},
        {}, u"+13"_s);

    add("capitals with an apostrophe and a hyphen", uR"(GRIMSKULL'S HALF-ORC BRUTE CR 3
XP 800
Init +1
AC 16, touch 11, flat-footed 15
hp 32 (5d8+10)
Fort +5, Ref +2, Will +1
Melee falchion +8 (2d4+6/18-20)
)"_s,
        {u"Grimskull's Half-Orc Brute"_s, u"32/32"_s, u"+1"_s, u"16"_s, u"+5"_s, u"+2"_s, u"+1"_s, u"falchion +8 (2d4+6/18-20)"_s,
         u"falchion 2d4+6"_s, u"touch 11, flat-footed 15"_s},
        {}, u"+8"_s);

    add("a block in a single blank-separated paragraph per field", u"Mudskipper Drake\n\nHit Dice:\n5d10+10 (37 hp)\n\n"
        u"Initiative:\n+1\n\nArmor Class:\n17 (+1 Dex, +6 natural), touch 11, flat-footed 16\n\n"
        u"Full Attack:\nBite +8 melee (1d8+3)\n\nSaves:\nFort +6, Ref +5, Will +2\n"_s,
        {u"Mudskipper Drake"_s, u"37/37"_s, u"+1"_s, u"17"_s, u"+6"_s, u"+5"_s, u"+2"_s, u"Bite +8 melee (1d8+3)"_s,
         u"Bite 1d8+3"_s, u"touch 11, flat-footed 16"_s},
        {}, u"+8"_s);

    add("newer layout wrapped in a narrow column", uR"(SILTBACK CRAB CR 4
XP 1,200
N Large vermin (aquatic)
Init +0; Senses darkvision 60 ft.;
Perception +4
DEFENSE
AC 19, touch 9, flat-footed 19 (+10
natural, -1 size)
hp 42 (5d8+20)
Fort +8, Ref +1, Will +1
Immune mind-affecting effects
OFFENSE
Speed 30 ft., swim 20 ft.
Melee 2 claws +7 (1d8+5 plus
grab)
Space 10 ft.; Reach 5 ft.
Special Attacks constrict (1d8+5)
)"_s,
        {u"Siltback Crab"_s, u"42/42"_s, u"+0"_s, u"19"_s, u"+8"_s, u"+1"_s, u"+1"_s, u"2 claws +7 (1d8+5 plus grab)"_s,
         u"2 claws 1d8+5 plus grab"_s, u"touch 9, flat-footed 19; immune mind-affecting effects; speed 30 ft., swim 20 ft."_s},
        {}, u"+7 +7"_s);

    add("numbers on the line after their words", uR"(Thistle Sprite CR 1
Init
+4
AC
16, touch 16, flat-footed 12
hp
7 (2d6)
Fort +0, Ref +7, Will +4
Melee
rapier +6 (1d3-1/18-20)
)"_s,
        {u"Thistle Sprite"_s, u"7/7"_s, u"+4"_s, u"16"_s, u"+0"_s, u"+7"_s, u"+4"_s, u"rapier +6 (1d3-1/18-20)"_s,
         u"rapier 1d3-1"_s, u"touch 16, flat-footed 12"_s},
        {}, u"+6"_s);

    add("special abilities naming saves", uR"(VENOMGLASS SPIDER CR 3
XP 800
N Medium vermin
Init +3; Senses darkvision 60 ft.; Perception +4
DEFENSE
AC 15, touch 13, flat-footed 12 (+3 Dex, +2 natural)
hp 22 (4d8+4)
Fort +5, Ref +4, Will +1
OFFENSE
Speed 30 ft., climb 30 ft.
Melee bite +5 (1d6+1 plus poison)
SPECIAL ABILITIES
Poison (Ex) Bite-injury; save
Fort DC 13; frequency 1/round for 4 rounds; effect 1d2 Dex; cure 1 save.
Will saves against its webs are made at -2.
)"_s,
        {u"Venomglass Spider"_s, u"22/22"_s, u"+3"_s, u"15"_s, u"+5"_s, u"+4"_s, u"+1"_s, u"bite +5 (1d6+1 plus poison)"_s,
         u"bite 1d6+1 plus poison"_s, u"touch 13, flat-footed 12; speed 30 ft., climb 30 ft."_s},
        {}, u"+5"_s);

    add("newer layout of the older edition", uR"(Cragback Ogre
CR 4
Always CE Large giant
Init +0; Senses darkvision 60 ft., low-light vision; Listen +2, Spot +2
Languages Giant
AC 18, touch 9, flat-footed 18
(-1 size, +5 natural, +4 armor)
hp 45 (6 HD); DR 5/magic
Immune fire
Fort +7, Ref +2, Will +3
Speed 40 ft. (8 squares)
Melee greatclub +9/+4 (2d8+7)
Ranged javelin +3 (1d8+5)
Space 10 ft.; Reach 10 ft.
Base Atk +4; Grp +12
Atk Options Power Attack
)"_s,
        {u"Cragback Ogre"_s, u"45/45"_s, u"+0"_s, u"18"_s, u"+7"_s, u"+2"_s, u"+3"_s,
         u"greatclub +9/+4 (2d8+7); javelin +3 ranged (1d8+5)"_s, u"greatclub 2d8+7, javelin 1d8+5"_s,
         u"touch 9, flat-footed 18; DR 5/magic; immune fire; speed 40 ft."_s},
        {}, u"+9 +4 +3"_s);

    add("special qualities broken after a word", uR"(Sootling
Small Outsider (Fire)
Hit Dice: 2d8 (9 hp)
Initiative: +2
Armor Class: 15 (+1 size, +2 Dex, +2 natural), touch 13, flat-footed 13
Full Attack: Slam +3 melee (1d4 plus 1d4 fire)
Special Qualities: Darkvision 60 ft., immunity to
fire, vulnerability to cold
Saves: Fort +3, Ref +5, Will +3
)"_s,
        {u"Sootling"_s, u"9/9"_s, u"+2"_s, u"15"_s, u"+3"_s, u"+5"_s, u"+3"_s, u"Slam +3 melee (1d4 plus 1d4 fire)"_s,
         u"Slam 1d4 plus 1d4 fire"_s, u"touch 13, flat-footed 13; immune fire"_s},
        {}, u"+3"_s);

    // Past 40 attacks the Attack rolls nothing, and says so where it is rolled.
    add("an attack too long for its field", u"Gnat Cloud\nInit +0\nhp 1 (1d4)\nMelee "_s + LongAttack,
        {u"Gnat Cloud"_s, u"1/1"_s, u"+0"_s, QString(), QString(), QString(), QString(),
         LongAttack.chopped(2).left(roster::EditableFieldLength), QStringList(2600, u"claw 1d4"_s).join(u", "_s), QString()},
        u"AC, Fort, Reflx, Will"_s, {}, 0, 1, u"Attack"_s);
}

void TestStatBlock::blocks()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(QStringList, row);
    QFETCH(QString, unread);
    QFETCH(QString, bonuses);
    QFETCH(QString, cut);
    const QList<combat::StatBlock> blocks = combat::readStatBlocks(text);
    QCOMPARE(blocks.size(), count);
    if (count == 0)
        return;
    const combat::StatBlock &block = blocks.at(index);
    for (std::size_t i = 0; i < TableOrder.size(); ++i)
        QCOMPARE(block.row.*TableOrder[i], row.at(qsizetype(i)));
    QCOMPARE(block.unread.join(u", "_s), unread);
    QCOMPARE(block.cut.join(u", "_s), cut);
    QCOMPARE(block.row.check, 1);
    QCOMPARE(block.row.amount, QString());

    // The Attack rolls the block's d20s, and Roll Damage deals one damage after each.
    QCOMPARE(bonusesOf(block.row.attack), bonuses);
    if (!bonuses.isEmpty()) {
        const combat::DamagePlan plan = combat::planDamage(block.row.attack, block.row.damage);
        QCOMPARE(plan.problem, QString());
        QCOMPARE(plan.hits.size(), combat::parseAttack(block.row.attack).rolls.size());
        for (const combat::HitDamage &hit : plan.hits)
            QVERIFY(hit.attack >= 0);
    }
}

void TestStatBlock::roundTrip_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<bool>("plain"); // written without quotes, as a game master reads it
    auto add = [](const char *tag, const QStringList &row, bool plain) { QTest::newRow(tag) << row << plain; };
    add("a monster", {u"Cinder Imp"_s, u"13/13"_s, u"+3"_s, u"15"_s, u"+4"_s, u"+6"_s, u"+1"_s,
                      u"sting +6 (1d4 plus 1d4 fire); dart +5 ranged (1d3)"_s, u"sting 1d4 plus 1d4 fire, dart 1d3"_s,
                      u"touch 15, flat-footed 12; DR 5/good; speed 20 ft."_s}, true);
    add("hurt, with a note of tags", {u"Briarback Troll"_s, u"12/68"_s, u"+2"_s, u"17"_s, u"+10"_s, u"+4"_s, u"+3"_s,
                                      u"bite +10 (1d8+6)"_s, u"bite 1d8+6"_s, u"[PC] [Temp: 8] shaken"_s}, true);
    add("a rolled initiative", {u"Hollow Archer"_s, u"16/16"_s, u"17"_s, u"16"_s, u"+2"_s, u"+7"_s, u"+1"_s,
                                QString(), QString(), QString()}, false);
    add("empty fields", {u"Lantern"_s, QString(), QString(), QString(), QString(), QString(), QString(), QString(),
                         QString(), QString()}, false);
    add("all empty", QStringList(10), false);
    add("attack without its damage", {u"Reedfolk"_s, u"11/11"_s, u"+2"_s, u"14"_s, u"+4"_s, u"+5"_s, u"+0"_s,
                                      u"spear +6 (1d8+4/x3)"_s, QString(), QString()}, false);
    add("name in capitals, with a rating, like a field", {u"OGRE CR 3"_s, u"30/30"_s, u"-1"_s, u"17"_s, u"+6"_s, u"+0"_s,
                                                          u"+3"_s, QString(), QString(), QString()}, false);
    add("name like a heading", {u"DEFENSE"_s, u"5/5"_s, QString(), QString(), QString(), QString(), QString(),
                                QString(), QString(), QString()}, false);
    add("name like a field", {u"Init +4"_s, u"5/5"_s, u"+1"_s, QString(), QString(), QString(), QString(), QString(),
                              QString(), QString()}, false);
    add("name like a size and type", {u"Large Giant"_s, u"5/5"_s, u"+1"_s, QString(), QString(), QString(), QString(),
                                      QString(), QString(), QString()}, false);
    add("quotes, backslashes, blanks and signs", {u"  \"Mad\" Jack \\ the 2nd  "_s, u"1/2"_s, u"+1"_s, u"12\t(14)"_s,
                                                  u"\u22121"_s, u"+0"_s, u"7"_s, u"claw  +5 (1d4\u20131)"_s, u"1d4 \u00d7 2"_s,
                                                  u"line one\nline two\u00a0\u2028"_s}, false);
    add("fields that name other fields", {u"Mimic"_s, u"abc"_s, u"+2; AC 5"_s, u"17, touch 10"_s, u"+1, Ref +9"_s,
                                          u"+2"_s, u"+3"_s, u"bite +5 (1d6); hp 99"_s, u"bite 1d6; Init +9"_s,
                                          u"Fort +20\nhp 3"_s}, false);
    add("beyond the first plane of characters, and half a pair", {u"Imp \U0001F47F"_s, u"3/3"_s, u"+1"_s, QString(),
                                                                  QString(), QString(), QString(), QString(), QString(),
                                                                  u"bad "_s + QChar(0xD800) + u" half"_s}, false);
    add("saves alone", {u"Ghostlight"_s, QString(), QString(), QString(), QString(), u"+4"_s, u"+1"_s, QString(),
                        QString(), QString()}, false);
    add("a long note", {u"Scribe"_s, u"8/8"_s, u"+0"_s, u"10"_s, u"+0"_s, u"+0"_s, u"+2"_s, QString(), QString(),
                        u"[PC] "_s.repeated(6000).trimmed()}, true);
}

void TestStatBlock::roundTrip()
{
    QFETCH(QStringList, row);
    QFETCH(bool, plain);
    roster::Row written;
    for (std::size_t i = 0; i < TableOrder.size(); ++i)
        written.*TableOrder[i] = row.at(qsizetype(i));
    const QString text = combat::statBlockText(written);
    QCOMPARE(text.contains(u'"'), !plain);
    const QList<combat::StatBlock> blocks = combat::readStatBlocks(text);
    QCOMPARE(blocks.size(), 1);
    for (const roster::FieldInfo &info : roster::RowFields)
        QCOMPARE(blocks.first().row.*info.text, written.*info.text);
    QCOMPARE(blocks.first().cut, QStringList());
}

QTEST_GUILESS_MAIN(TestStatBlock)
#include "tst_statblock.moc"
