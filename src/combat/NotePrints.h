#pragma once

#include "combat/Fingerprint.h"
#include "roster/Roster.h"

#include <array>
#include <optional>

namespace combat {

// How much note text one command reads to give ticks back or take them again. A fight
// reaches a fraction of it (a few rounds of notes short enough to edit); a file that makes
// a walk pass thousands of ticks on long notes would otherwise hold the window for minutes.
// Past it, turns go back and forth without their ticks.
class TextBudget
{
public:
    bool spend(qsizetype characters)
    {
        m_left -= characters;
        return m_left >= 0;
    }

private:
    qsizetype m_left = qsizetype(32) << 20;
};

// The notes' fingerprints while a walk through many turns takes place: each note is read
// once, not once a turn, however many turns of the same row the walk passes.
class NotePrints
{
public:
    quint64 of(const roster::Roster &roster, int row)
    {
        std::optional<quint64> &known = m_known[static_cast<std::size_t>(row)];
        if (!known) {
            const QString &note = roster.rows[static_cast<std::size_t>(row)].note;
            budget.spend(note.size());
            known = textFingerprint(note);
        }
        return *known;
    }
    void forget(int row) { m_known[static_cast<std::size_t>(row)].reset(); }

    TextBudget budget;

private:
    std::array<std::optional<quint64>, roster::RowCount> m_known;
};

} // namespace combat
