#pragma once

#include "roster/Row.h"

#include <QList>
#include <QString>
#include <QStringList>

// d20 stat blocks as game masters copy them from books, PDFs and web pages, in the older
// layout ("Hit Dice: 6d10+12 (45 hp)", "Armor Class: 17 (...)", "Full Attack: ...") and the
// newer ("hp 45 (6d10+12)", "AC 17, touch 10, flat-footed 16", "Melee greatclub +9 (2d8+7)"),
// read into the rows they become.
namespace combat {

struct StatBlock
{
    // Name, HP as "45/45", Current Initiative as the modifier ("+1", for Roll Initiative to
    // roll), AC, Fort, Reflx, Will, Attack (the full attack, melee and ranged), Damage (one
    // damage per weapon, in the Attack's order) and a Random Note with what a fight looks up
    // (touch and flat-footed AC, DR, SR, immunities, speed). Amount, check and serial as a
    // new row has them.
    roster::Row row;
    QStringList unread; // the captions of the fields nothing was read for ("AC", "Will")
    QStringList cut;    // the captions of the fields cut to the length a field is edited at
};

// Every stat block in the text, in order; none when it holds none.
QList<StatBlock> readStatBlocks(const QString &text);

// The row as a stat block of the newer layout, which readStatBlocks reads back to the same
// row (its amount, check and serial aside).
QString statBlockText(const roster::Row &row);

} // namespace combat
