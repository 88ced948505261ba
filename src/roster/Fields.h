#pragma once

#include "roster/Row.h"

#include <array>
#include <string_view>

namespace roster {

// The ten fields of a row, in the order the combat file writes their keys.
enum class Field { Name, HitPoints, ArmourClass, Initiative, Note, Fort, Reflex, Will, Attack, Damage };

inline constexpr int FieldCount = 10;

// The longest text a field or a note is edited at. A command that would make a note longer
// (a condition, a tag) is refused, so that no command locks a note against editing.
inline constexpr qsizetype EditableFieldLength = 32767;

struct FieldInfo
{
    Field field;
    QString Row::*text;  // where the row keeps it
    const char *fileKey; // its key in a row section of a combat file
    const char *caption; // the caption of its column, which is also how the user names it
    int column;          // its place on screen, left to right, and so in a row's focus order
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
    {Field::Fort, &Row::fort, "Will", "Fort", 5, false},
    {Field::Reflex, &Row::reflex, "Fort", "Reflx", 6, false},
    {Field::Will, &Row::will, "Rex", "Will", 7, false},
    {Field::Attack, &Row::attack, "Attack", "Attack", 8, false},
    {Field::Damage, &Row::damage, "Damage", "Damage", 9, false},
}};

constexpr const FieldInfo &fieldInfo(Field field)
{
    return RowFields[static_cast<std::size_t>(field)];
}

namespace checks {

// Each entry stands at its field's place, each column holds one field, and no two fields
// share a file key or a caption.
constexpr bool fieldTableIsSound()
{
    std::array<bool, FieldCount> columnTaken{};
    for (std::size_t i = 0; i < RowFields.size(); ++i) {
        const FieldInfo &info = RowFields[i];
        if (static_cast<std::size_t>(info.field) != i || info.column < 0 || info.column >= FieldCount
            || columnTaken[static_cast<std::size_t>(info.column)])
            return false;
        columnTaken[static_cast<std::size_t>(info.column)] = true;
        for (std::size_t j = 0; j < i; ++j) {
            if (std::string_view(RowFields[j].fileKey) == info.fileKey
                || std::string_view(RowFields[j].caption) == info.caption || RowFields[j].text == info.text)
                return false;
        }
    }
    return true;
}
static_assert(fieldTableIsSound(), "roster::RowFields: one entry per field, in the enum's order, each "
                                   "with a column, a file key and a caption of its own");

} // namespace checks

// The same fields left to right as the window shows them.
inline constexpr std::array<Field, FieldCount> FieldsInColumnOrder = [] {
    std::array<Field, FieldCount> order{};
    for (const FieldInfo &info : RowFields)
        order[static_cast<std::size_t>(info.column)] = info.field;
    return order;
}();

} // namespace roster
