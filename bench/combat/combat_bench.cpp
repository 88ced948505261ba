// Times the combat rules on a roster of 19 filled rows and prints nanoseconds per call.
// Usage: combat_bench [iterations]   (default 200000)

#include "combat/Damage.h"
#include "combat/DownRow.h"
#include "combat/FightingOrder.h"
#include "combat/Initiative.h"
#include "combat/Rolls.h"
#include "combat/SpinStep.h"
#include "roster/Roster.h"

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <algorithm>

namespace {

roster::Roster fullRoster()
{
    static const char *const names[] = {"Goblin", "Orc", "Ogre", "goblin", "Bugbear",
                                        "Kobold", "Troll", "Wolf", "Hobgoblin", "Gnoll"};
    roster::Roster r;
    for (int i = 0; i < roster::RowCount; ++i) {
        roster::Row &row = r.rows[static_cast<std::size_t>(i)];
        row.name = QString::fromLatin1(names[i % 10]) + QString::number(i);
        row.ini = QString::number((i * 7) % 23) + (i % 3 == 0 ? QStringLiteral(".5") : QString());
        row.hp = QString::number(10 + i * 3);
        row.ac = QString::number(12 + i % 6);
        row.note = QStringLiteral("flanked");
        row.attack = QStringLiteral("+5");
        row.damage = QStringLiteral("1d8+2");
    }
    return r;
}

template<typename Body>
double nsPerCall(long iterations, Body body)
{
    QElapsedTimer timer;
    timer.start();
    for (long i = 0; i < iterations; ++i)
        body(i);
    return double(timer.nsecsElapsed()) / double(iterations);
}

} // namespace

int main(int argc, char **argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 200000;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: combat_bench [iterations > 0]\n");
        return 2;
    }

    roster::Roster r = fullRoster();
    qsizetype sink = 0; // printed, so the work cannot be dropped

    const double order = nsPerCall(iterations, [&](long) {
        sink += combat::fightingOrderEntries(r).size();
    });

    // Alternate damage and healing so the hit points stay in a small range.
    const QString hit = QStringLiteral("7");
    const QString heal = QStringLiteral("-7");
    combat::RandomDice subtractDice(1);
    const double subtract = nsPerCall(iterations, [&](long i) {
        roster::Row &row = r.rows[static_cast<std::size_t>(i % roster::RowCount)];
        row.amount = (i / roster::RowCount) % 2 == 0 ? hit : heal;
        combat::subtractDamage(row, subtractDice);
        sink += row.hp.size();
    });

    const double rule = nsPerCall(iterations, [&](long i) {
        roster::Row &row = r.rows[static_cast<std::size_t>(i % roster::RowCount)];
        combat::applyDownRowRule(row);
        sink += row.check;
    });

    const QString spinText = QStringLiteral("4999.5");
    const double spin = nsPerCall(iterations, [&](long i) {
        sink += combat::spinStep(spinText, i % 2 == 0 ? 1 : -1).value_or(QString()).size();
    });

    // Rolls: a full attack, a mixed damage line, the longest text the fields hold, and
    // initiative for the whole roster.
    combat::RandomDice dice(1);
    const QString fullAttack = QStringLiteral("+1 longsword +16/+11/+6/+1 (1d8+7/17-20/x2), bite +10 (1d6+3)");
    const QString mixedDamage = QStringLiteral("2d6+1d6+3 fire plus 1d6 cold, 1d4+2 (min 1)");
    const QString longest = QStringLiteral("+5/").repeated(32767 / 3);
    const long rolls = std::max(iterations / 20, 1L);
    const double attack = nsPerCall(rolls, [&](long) { sink += combat::rollAttack(QStringLiteral("Ogre"), fullAttack, dice).result.size(); });
    const double damage = nsPerCall(rolls, [&](long) { sink += combat::rollDamage(QStringLiteral("Ogre"), mixedDamage, fullAttack, dice).result.size(); });
    const double longText = nsPerCall(rolls, [&](long) { sink += combat::rollAttack(QStringLiteral("Ogre"), longest, dice).result.size(); });
    for (roster::Row &row : r.rows)
        row.ini = QStringLiteral("+2");
    const double initiative = nsPerCall(rolls, [&](long) { sink += combat::rollInitiative(r, dice, {}).records.size(); });

    QTextStream out(stdout);
    out << "iterations: " << iterations << " (checksum " << sink << ")\n";
    out << "fightingOrder, 19 rows:  " << qRound(order) << " ns/call\n";
    out << "subtractDamage:          " << qRound(subtract) << " ns/call\n";
    out << "applyDownRowRule:        " << qRound(rule) << " ns/call\n";
    out << "spinStep:                " << qRound(spin) << " ns/call\n";
    out << "roll a full attack:      " << qRound(attack) << " ns/call\n";
    out << "roll mixed damage:       " << qRound(damage) << " ns/call\n";
    out << "roll 32,767 characters:  " << qRound(longText) << " ns/call\n";
    out << "initiative, 19 rows:     " << qRound(initiative) << " ns/call\n";
    return 0;
}
