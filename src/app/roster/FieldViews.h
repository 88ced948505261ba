#pragma once

#include "roster/Fields.h"

#include <array>

// The window's side of the ten row fields: their controls' names, widths and tips.
enum class FieldSpin { None, HitPoints, ArmourClass };

struct FieldView
{
    roster::Field field;
    // Names its controls, "ChrName_3": the first program's control names, kept for the tools
    // that find them, though the Fort column's are "ChrWill", Reflx's "ChrFort", Will's "ChrRex".
    const char *objectName;
    int captionNumber;       // its caption is "Label1_<number>"
    int twips;               // its width in the first layout (15 twips to a pixel)
    const char *sample;      // a typical value, which the field shows whole
    bool fitsCaption;        // no narrower than its caption (its longest word, on two lines)
    int stretch;             // its share of the width the window has beyond the least; 0: fixed
    FieldSpin spin;          // the spin button after it, if any
    const char *spinObjectName;
    const char *tip;         // its caption's tooltip
};

inline constexpr std::array<FieldView, roster::FieldCount> FieldViews{{
    {roster::Field::Name, "ChrName", 0, 2535, "", false, 3, FieldSpin::None, nullptr,
     "The combatant's name; only named rows enter the fighting order."},
    {roster::Field::HitPoints, "ChrHP", 1, 420, "-5000", true, 0, FieldSpin::HitPoints, "UpDown1",
     "Hit points. A combatant at -10 hit points or below is down and leaves the fighting order."},
    {roster::Field::ArmourClass, "ChrAC", 2, 420, "-10", true, 0, FieldSpin::ArmourClass, "UpDown2",
     "Armour class."},
    {roster::Field::Initiative, "ChrIni", 5, 750, "-10", true, 0, FieldSpin::None, nullptr,
     "The initiative; the fighting order lists the highest first."},
    {roster::Field::Note, "ChrNote", 3, 2400, "", false, 3, FieldSpin::None, nullptr,
     "Any note on this combatant. A condition that runs out is written [Stunned: 2]: a name of "
     "letters, digits, spaces, hyphens and apostrophes, a colon and 1 to 99 rounds; it counts "
     "down at the start of each of the combatant's turns and leaves the note at 0."},
    {roster::Field::Fort, "ChrWill", 6, 375, "+12", true, 0, FieldSpin::None, nullptr, "Fortitude save."},
    {roster::Field::Reflex, "ChrFort", 8, 375, "+12", true, 0, FieldSpin::None, nullptr, "Reflex save."},
    {roster::Field::Will, "ChrRex", 7, 375, "+12", true, 0, FieldSpin::None, nullptr, "Will save."},
    {roster::Field::Attack, "ChrAttack", 4, 615, "+4 shortbow", true, 2, FieldSpin::None, nullptr,
     "The combatant's attack, such as +4 shortbow."},
    {roster::Field::Damage, "ChrDamage", 9, 615, "2d8+7", true, 2, FieldSpin::None, nullptr,
     "The combatant's damage, such as 1d8+2."},
}};

constexpr const FieldView &fieldView(roster::Field field)
{
    return FieldViews[static_cast<std::size_t>(field)];
}

namespace checks {

// Each entry stands at its field's place, and each caption number is one field's.
constexpr bool fieldViewsAreSound()
{
    std::array<bool, roster::FieldCount> captionTaken{};
    for (std::size_t i = 0; i < FieldViews.size(); ++i) {
        const FieldView &view = FieldViews[i];
        const auto number = static_cast<std::size_t>(view.captionNumber);
        if (static_cast<std::size_t>(view.field) != i || number >= captionTaken.size() || captionTaken[number]
            || (view.spin == FieldSpin::None) != (view.spinObjectName == nullptr))
            return false;
        captionTaken[number] = true;
    }
    return true;
}
static_assert(fieldViewsAreSound(), "FieldViews: one entry per field, in the enum's order, each with a caption "
                                    "number of its own");

} // namespace checks
