#include "k_Random.h"

k_Random::k_Random(std::uint64_t seed)
{
    // splitmix64 spreads nearby seeds (note indices) over the whole state.
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    m_State = z != 0 ? z : 0x2545F4914F6CDD1Dull;
}

std::uint32_t k_Random::NextU32()
{
    m_State ^= m_State << 13;
    m_State ^= m_State >> 7;
    m_State ^= m_State << 17;
    return static_cast<std::uint32_t>(m_State >> 32);
}

float k_Random::Bipolar()
{
    return static_cast<float>(NextU32() >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

float k_Random::Unit()
{
    return static_cast<float>(NextU32() >> 8) * (1.0f / 16777216.0f);
}
