#pragma once

#include "app/roster/RosterView.h"

#include <array>

// The window's side of the ten row fields, in the order of roster::Field.
struct FieldView
{
    RowControls<FieldEdit> RosterView::*controls;
    const char *array;       // names its controls: "ChrName_3"
    int caption;             // its caption's place in Label1
    int twips;               // its width in the first layout (15 twips to a pixel)
    const char *sample;      // a typical value, which the field shows whole
    bool fitsCaption;        // no narrower than its caption (its longest word, on two lines)
    int stretch;             // its share of the width the window has beyond the least; 0: fixed
    RowControls<SpinButton> RosterView::*spin; // the spin button after it, if any
    const char *spinArray;
    const char *tip;         // its caption's tooltip
};

inline constexpr std::array<FieldView, roster::FieldCount> FieldViews{{
    {&RosterView::ChrName, "ChrName", 0, 2535, "", false, 3, nullptr, nullptr,
     "The combatant's name; only named rows enter the fighting order."},
    {&RosterView::ChrHP, "ChrHP", 1, 420, "-5000", true, 0, &RosterView::UpDown1, "UpDown1",
     "Hit points. A combatant at -10 hit points or below is down and leaves the fighting order."},
    {&RosterView::ChrAC, "ChrAC", 2, 420, "-10", true, 0, &RosterView::UpDown2, "UpDown2", "Armour class."},
    {&RosterView::ChrIni, "ChrIni", 5, 750, "-10", true, 0, nullptr, nullptr,
     "The initiative; the fighting order lists the highest first."},
    {&RosterView::ChrNote, "ChrNote", 3, 2400, "", false, 3, nullptr, nullptr,
     "Any note on this combatant. A condition that runs out is written [Stunned: 2]: a name of "
     "letters, digits, spaces, hyphens and apostrophes, a colon and 1 to 99 rounds; it counts "
     "down at the start of each of the combatant's turns and leaves the note at 0."},
    {&RosterView::ChrWill, "ChrWill", 6, 375, "+12", true, 0, nullptr, nullptr, "Fortitude save."},
    {&RosterView::ChrFort, "ChrFort", 8, 375, "+12", true, 0, nullptr, nullptr, "Reflex save."},
    {&RosterView::ChrRex, "ChrRex", 7, 375, "+12", true, 0, nullptr, nullptr, "Will save."},
    {&RosterView::ChrAttack, "ChrAttack", 4, 615, "+4 shortbow", true, 2, nullptr, nullptr,
     "The combatant's attack, such as +4 shortbow."},
    {&RosterView::ChrDamage, "ChrDamage", 9, 615, "2d8+7", true, 2, nullptr, nullptr,
     "The combatant's damage, such as 1d8+2."},
}};

constexpr const FieldView &fieldView(roster::Field field)
{
    return FieldViews[static_cast<std::size_t>(field)];
}
