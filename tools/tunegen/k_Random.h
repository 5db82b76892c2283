#pragma once
// A small seeded pseudo-random generator (xorshift with a splitmix seed), so
// every noise source of the tune is the same on every run and machine.
#include <cstdint>

class k_Random
{
public:
    explicit k_Random(std::uint64_t seed);

    // The next 32 random bits.
    std::uint32_t NextU32();
    // A uniform float in [-1, 1).
    float Bipolar();
    // A uniform float in [0, 1).
    float Unit();

private:
    std::uint64_t m_State;
};
