#pragma once

#include "roster/Row.h"

#include <QString>

#include <array>

namespace roster {

inline constexpr int RowCount = 19;

// A whole combat: the 19 rows and the general note ("Other Notes").
// Line breaks in the note are '\n', as the note's text box gives them.
struct Roster
{
    std::array<Row, RowCount> rows{};
    QString generalNote;

    bool operator==(const Roster &) const = default;
};

} // namespace roster
