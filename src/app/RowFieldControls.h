#pragma once

#include "app/MainFrm.h"

#include <array>

// The window's side of the row fields, in the order of roster::Field: the control
// array of each field and the array's name, which names its controls ("ChrName_3").
inline constexpr std::array<RowControls<FieldEdit> MainFrm::*, roster::FieldCount> FieldControls{
    &MainFrm::ChrName, &MainFrm::ChrHP,   &MainFrm::ChrAC,  &MainFrm::ChrIni,    &MainFrm::ChrNote,
    &MainFrm::ChrWill, &MainFrm::ChrFort, &MainFrm::ChrRex, &MainFrm::ChrAttack, &MainFrm::ChrDamage,
};
inline constexpr std::array<const char *, roster::FieldCount> FieldArrays{
    "ChrName", "ChrHP", "ChrAC", "ChrIni", "ChrNote", "ChrWill", "ChrFort", "ChrRex", "ChrAttack", "ChrDamage",
};

// The column captions of Label1, in the order of that array.
inline constexpr std::array<roster::Field, roster::FieldCount> CaptionFields{
    roster::Field::Name,   roster::Field::HitPoints,  roster::Field::ArmourClass, roster::Field::Note,
    roster::Field::Attack, roster::Field::Initiative, roster::Field::Will,        roster::Field::Rex,
    roster::Field::Fort,   roster::Field::Damage,
};
