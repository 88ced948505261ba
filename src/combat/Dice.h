#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <random>

// Where dice get their faces. The program's dice are a Mersenne twister seeded from the
// system; tests put in faces of their own.
namespace combat {

class Dice
{
public:
    virtual ~Dice() = default;
    // A face from 1 to `sides` (at least 1), each equally likely.
    virtual int roll(int sides) = 0;
};

class RandomDice : public Dice
{
public:
    // Seeded from std::random_device, or from `seed` when one is given.
    explicit RandomDice(std::optional<std::uint64_t> seed = std::nullopt);
    int roll(int sides) override;

private:
    std::mt19937_64 m_engine;
};

// The seed in FRAYMARK_DICE_SEED (decimal digits), so a test can fix the dice; none when the
// variable is unset or holds anything else.
std::optional<std::uint64_t> diceSeedFromEnvironment();
std::optional<std::uint64_t> diceSeedFrom(const QByteArray &text);

} // namespace combat
