#include "tools/texgen/k_Noise.h"

#include <cmath>

namespace
{
uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

int Wrap(int value, int period)
{
    return period > 0 ? ((value % period) + period) % period : value;
}

// The dot product of the lattice point's pseudo-random unit gradient with the offset (dx, dy).
float Corner(int x, int y, float dx, float dy, uint32_t seed, int period)
{
    const uint32_t h = Hash(static_cast<uint32_t>(Wrap(x, period)), static_cast<uint32_t>(Wrap(y, period)), seed);
    const float angle = static_cast<float>(h & 0xFFFF) * (6.2831853f / 65536.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float Fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}
} // namespace

float k_Noise::Gradient(float x, float y, uint32_t seed, int period)
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float a = Corner(ix, iy, fx, fy, seed, period);
    const float b = Corner(ix + 1, iy, fx - 1.0f, fy, seed, period);
    const float c = Corner(ix, iy + 1, fx, fy - 1.0f, seed, period);
    const float d = Corner(ix + 1, iy + 1, fx - 1.0f, fy - 1.0f, seed, period);
    const float u = Fade(fx);
    const float v = Fade(fy);
    const float bottom = a + (b - a) * u;
    const float top = c + (d - c) * u;
    return bottom + (top - bottom) * v;
}

float k_Noise::Fractal(float x, float y, int octaves, uint32_t seed, int period)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float frequency = 1.0f;
    for (int octave = 0; octave < octaves; ++octave)
    {
        const int octavePeriod = period > 0 ? period << octave : 0;
        sum += amplitude *
               Gradient(x * frequency, y * frequency, seed + static_cast<uint32_t>(octave) * 131u, octavePeriod);
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum;
}

float k_Noise::Ridged(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    float frequency = 1.0f;
    float weight = 1.0f;
    for (int octave = 0; octave < octaves; ++octave)
    {
        float ridge =
            1.0f - std::fabs(Gradient(x * frequency, y * frequency, seed + static_cast<uint32_t>(octave) * 71u) * 1.4f);
        ridge *= ridge;
        // Finer ridges grow where the coarser ones are high, as on real crests.
        ridge *= weight;
        weight = ridge < 1.0f ? ridge : 1.0f;
        sum += ridge * amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum;
}
