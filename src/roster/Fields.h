#pragma once

#include "roster/Row.h"

#include <array>

namespace roster {

// The ten fields of a row, in the order the combat file writes their keys.
enum class Field { Name, HitPoints, ArmourClass, Initiative, Note, Will, Fort, Rex, Attack, Damage };

inline constexpr int FieldCount = 10;

struct FieldInfo
{
    Field field;
    QString Row::*text;  // where the row keeps it
    const char *fileKey; // its key in a row section of a combat file
    const char *caption; // the caption of its column, which is also how the user names it
    int column;          // its place on screen, left to right
    bool greyedWhenDown; // a down row disables it
};

// The saves keep the keys of the earliest files: the column captioned "Fort" is stored
// under "Will", "Reflx" under "Fort" and "Will" under "Rex".
inline constexpr std::array<FieldInfo, FieldCount> RowFields{{
    {Field::Name, &Row::name, "Name", "Name", 0, true},
    {Field::HitPoints, &Row::hp, "HP", "HP", 1, true},
    {Field::ArmourClass, &Row::ac, "AC", "AC", 3, true},
    {Field::Initiative, &Row::ini, "Ini", "Current Initiative", 2, true},
    {Field::Note, &Row::note, "Note", "Random Note", 4, true},
    {Field::Will, &Row::will, "Will", "Fort", 5, false},
    {Field::Fort, &Row::fort, "Fort", "Reflx", 6, false},
    {Field::Rex, &Row::rex, "Rex", "Will", 7, false},
    {Field::Attack, &Row::attack, "Attack", "Attack", 8, false},
    {Field::Damage, &Row::damage, "Damage", "Damage", 9, false},
}};

constexpr const FieldInfo &fieldInfo(Field field)
{
    return RowFields[static_cast<std::size_t>(field)];
}

// The same fields left to right as the window shows them.
inline constexpr std::array<Field, FieldCount> FieldsInColumnOrder = [] {
    std::array<Field, FieldCount> order{};
    for (const FieldInfo &info : RowFields)
        order[static_cast<std::size_t>(info.column)] = info.field;
    return order;
}();

} // namespace roster
