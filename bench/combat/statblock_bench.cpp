// Times reading pasted stat blocks (one block of each layout, twenty at once, texts that are
// no stat block) and writing a row back as a block; prints milliseconds per call.
// Usage: statblock_bench [iterations]   (default 200)

#include "combat/StatBlock.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

const QString Older = QStringLiteral(R"(Bramblehide Brute
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
Skills: Climb +8, Listen +4, Spot +4
Feats: Power Attack, Toughness, Weapon Focus (greatclub)
Environment: Temperate hills
Organization: Solitary, pair, or gang (3-5)
Challenge Rating: 4
Treasure: Standard
Alignment: Usually chaotic evil
Advancement: By character class
Level Adjustment: +3
)");

const QString Newer = QStringLiteral(R"(MIREFANG STALKER CR 5
XP 1,600
N Large magical beast
Init +3; Senses darkvision 60 ft., scent; Perception +9
DEFENSE
AC 18, touch 12, flat-
footed 15 (+3 Dex, +6 natural, -1 size)
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
Feats Improved Initiative, Power Attack, Skill Focus (Perception), Weapon Focus (bite)
Skills Perception +9, Stealth +7, Swim +14
SPECIAL ABILITIES
Poison (Ex) Bite-injury; save Fort DC 15; frequency 1/round for 6 rounds; effect 1d2 Str;
cure 1 save. The save DC is Constitution-based.
)");

template<typename Body>
double msPerCall(long iterations, Body body)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype sink = 0;
    for (long i = 0; i < iterations; ++i)
        sink += body();
    if (sink < 0)
        std::puts("");
    return double(timer.nsecsElapsed()) / 1e6 / double(iterations);
}

} // namespace

int main(int argc, char **argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 200;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: statblock_bench [iterations > 0]\n");
        return 2;
    }
    const QString twenty = (Older + u'\n' + Newer + u'\n').repeated(10);
    const QString prose = QStringLiteral("The ogre swings its club; it misses, and the party flees. ").repeated(2000);
    const QString oneLine = QStringLiteral("Melee claw +1 (1d4); ").repeated(5000);
    const QString brokenLines = QStringLiteral("Init +1\nMelee claw +1 (1d4,\n") + QStringLiteral("x) and\nclaw +1 (1d4,\n").repeated(5000);
    const roster::Row row = combat::readStatBlocks(Newer).value(0).row;

    const struct
    {
        const char *what;
        double ms;
    } results[] = {
        {"older layout, one block", msPerCall(iterations, [&] { return combat::readStatBlocks(Older).size(); })},
        {"newer layout, one block", msPerCall(iterations, [&] { return combat::readStatBlocks(Newer).size(); })},
        {"twenty blocks at once", msPerCall(iterations / 10 + 1, [&] { return combat::readStatBlocks(twenty).size(); })},
        {"120 KB of prose", msPerCall(iterations / 10 + 1, [&] { return combat::readStatBlocks(prose).size(); })},
        {"10,000 lines of one field", msPerCall(iterations / 10 + 1, [&] { return combat::readStatBlocks(brokenLines).size(); })},
        {"100 KB on one line", msPerCall(iterations / 10 + 1, [&] { return combat::readStatBlocks(oneLine).size(); })},
        {"a row written back", msPerCall(iterations, [&] { return combat::statBlockText(row).size(); })},
    };
    for (const auto &result : results)
        std::printf("%-26s %8.3f ms\n", result.what, result.ms);
    return 0;
}
