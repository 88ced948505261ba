#include "combat/Dice.h"

#include <QtGlobal>

#include <algorithm>

namespace combat {
namespace {

std::mt19937_64 seededEngine(std::optional<std::uint64_t> seed)
{
    if (seed)
        return std::mt19937_64(*seed);
    // Enough of the system's entropy to fill the engine's state well.
    std::random_device device;
    std::seed_seq sequence{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(sequence);
}

} // namespace

RandomDice::RandomDice(std::optional<std::uint64_t> seed)
    : m_engine(seededEngine(seed))
{
}

int RandomDice::roll(int sides)
{
    return std::uniform_int_distribution<int>(1, std::max(sides, 1))(m_engine);
}

std::optional<std::uint64_t> diceSeedFrom(const QByteArray &text)
{
    bool ok = false;
    const qulonglong seed = text.toULongLong(&ok, 10);
    if (!ok || text.isEmpty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return seed;
}

std::optional<std::uint64_t> diceSeedFromEnvironment()
{
    return diceSeedFrom(qgetenv("FRAYMARK_DICE_SEED"));
}

} // namespace combat
