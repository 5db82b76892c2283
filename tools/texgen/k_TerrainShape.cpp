#include "tools/texgen/k_TerrainShape.h"

#include "tools/texgen/k_Noise.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
float SmoothStep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A minimum that rounds the crease where the two surfaces meet over about k units.
float SmoothMin(float a, float b, float k)
{
    const float h = std::clamp(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return b + (a - b) * h - k * h * (1.0f - h);
}

// Distance from every texel to the camera's track over the scene (with a few seconds either side).
std::vector<float> TrackDistances(double sceneStart, double sceneEnd)
{
    std::vector<float> track;
    for (double t = sceneStart - 3.0; t <= sceneEnd + 3.0; t += 0.02)
    {
        float x = 0.0f;
        float z = 0.0f;
        k_TerrainShape::CameraAt(t, x, z);
        track.push_back(x);
        track.push_back(z);
    }
    const int size = k_TerrainShape::k_Size;
    std::vector<float> distances(static_cast<size_t>(size) * size);
    for (int j = 0; j < size; ++j)
    {
        for (int i = 0; i < size; ++i)
        {
            const float x = static_cast<float>(i) - k_TerrainShape::k_Origin;
            const float z = static_cast<float>(j) - k_TerrainShape::k_Origin;
            float nearest = 1e9f;
            for (size_t p = 0; p < track.size(); p += 2)
            {
                const float dx = track[p] - x;
                const float dz = track[p + 1] - z;
                nearest = std::min(nearest, dx * dx + dz * dz);
            }
            distances[static_cast<size_t>(j) * size + i] = std::sqrt(nearest);
        }
    }
    return distances;
}

// Removes ridges narrower than about twice the radius from a field (the largest of the smallest values
// around each point): where two channels of the camera's track run close together, the strip of land
// between them would stand as a thin fin, which the camera sees edge-on as a stray line.
std::vector<float> Open(const std::vector<float>& field, int size, int radius)
{
    std::vector<std::pair<int, int>> disc;
    for (int dj = -radius; dj <= radius; ++dj)
        for (int di = -radius; di <= radius; ++di)
            if (di * di + dj * dj <= radius * radius)
                disc.emplace_back(di, dj);
    auto pass = [&](const std::vector<float>& in, bool smallest) {
        std::vector<float> out(in.size());
        for (int j = 0; j < size; ++j)
        {
            for (int i = 0; i < size; ++i)
            {
                float value = in[static_cast<size_t>(j) * size + i];
                for (const auto& [di, dj] : disc)
                {
                    const int x = std::clamp(i + di, 0, size - 1);
                    const int y = std::clamp(j + dj, 0, size - 1);
                    const float other = in[static_cast<size_t>(y) * size + x];
                    value = smallest ? std::min(value, other) : std::max(value, other);
                }
                out[static_cast<size_t>(j) * size + i] = value;
            }
        }
        return out;
    };
    return pass(pass(field, true), false);
}

// The ground before the camera's track is carved out of it: rolling hills whose tops make islands in
// the middle around a larger one at the centre, rising into a bowl towards the edge, with ridged
// mountains on the rim.
float Landscape(float x, float z)
{
    const float edge = std::max(std::fabs(x), std::fabs(z));
    const float reach = 0.6f * edge + 0.4f * std::sqrt(x * x + z * z);
    const float hills = 15.0f * k_Noise::Fractal(x / 56.0f + 2.3f, z / 56.0f - 4.1f, 5, 17u);
    const float bowl = 20.0f * SmoothStep(40.0f, 96.0f, reach);
    const float ridges =
        30.0f * k_Noise::Ridged(x / 34.0f + 3.1f, z / 34.0f - 1.7f, 5, 29u) * SmoothStep(58.0f, 96.0f, reach);
    // An island in the middle of the lake, where the camera always looks.
    const float centre = 16.0f * std::exp(-(x * x + z * z) / (20.0f * 20.0f));
    return 8.3f + hills + bowl + ridges + centre;
}
} // namespace

k_TerrainShape::k_TerrainShape(double sceneStart, double sceneEnd) : m_heights(static_cast<size_t>(k_Size) * k_Size)
{
    // The camera flies 3 units above the water: under its track the lake is 4.5 deep, and the banks rise
    // gently from about 6 units away.
    const std::vector<float> track = TrackDistances(sceneStart, sceneEnd);
    std::vector<float> ceiling(track.size());
    for (int j = 0; j < k_Size; ++j)
    {
        for (int i = 0; i < k_Size; ++i)
        {
            const float x = static_cast<float>(i) - k_Origin;
            const float z = static_cast<float>(j) - k_Origin;
            const float away = std::max(0.0f, track[static_cast<size_t>(j) * k_Size + i] - 6.0f);
            const float banks = 3.0f * k_Noise::Fractal(x / 14.0f, z / 14.0f, 3, 61u);
            ceiling[static_cast<size_t>(j) * k_Size + i] =
                4.5f + away * 0.35f + away * away * 0.03f + banks * std::min(1.0f, away / 6.0f);
        }
    }
    ceiling = Open(ceiling, k_Size, 7);
    for (int j = 0; j < k_Size; ++j)
    {
        for (int i = 0; i < k_Size; ++i)
        {
            const float x = static_cast<float>(i) - k_Origin;
            const float z = static_cast<float>(j) - k_Origin;
            const float height = SmoothMin(Landscape(x, z), ceiling[static_cast<size_t>(j) * k_Size + i], 4.0f);
            m_heights[static_cast<size_t>(j) * k_Size + i] = std::clamp(height, 0.5f, k_MaxHeight - 0.5f);
        }
    }
}

float k_TerrainShape::Height(int i, int j) const
{
    i = std::clamp(i, 0, k_Size - 1);
    j = std::clamp(j, 0, k_Size - 1);
    return m_heights[static_cast<size_t>(j) * k_Size + i];
}

float k_TerrainShape::HeightAt(float x, float z) const
{
    const float u = x + k_Origin;
    const float v = z + k_Origin;
    const int i = static_cast<int>(std::floor(u));
    const int j = static_cast<int>(std::floor(v));
    const float fu = u - static_cast<float>(i);
    const float fv = v - static_cast<float>(j);
    const float bottom = Height(i, j) + (Height(i + 1, j) - Height(i, j)) * fu;
    const float top = Height(i, j + 1) + (Height(i + 1, j + 1) - Height(i, j + 1)) * fu;
    return bottom + (top - bottom) * fv;
}

void k_TerrainShape::CameraAt(double seconds, float& x, float& z)
{
    const double b = seconds / 20.0;
    x = static_cast<float>(64.0 * std::sin(3.0 * b));
    z = static_cast<float>(64.0 * std::cos(5.0 * b));
}

std::vector<uint8_t> k_TerrainShape::Encode() const
{
    std::vector<uint8_t> rgba(static_cast<size_t>(k_Size) * k_Size * 4);
    for (int j = 0; j < k_Size; ++j)
    {
        for (int i = 0; i < k_Size; ++i)
        {
            const float height = Height(i, j);
            const auto level = static_cast<uint32_t>(std::lround(height / k_MaxHeight * 65535.0f));
            // Central differences over one unit either side.
            const float dx = (Height(i + 1, j) - Height(i - 1, j)) * 0.5f;
            const float dz = (Height(i, j + 1) - Height(i, j - 1)) * 0.5f;
            const float length = std::sqrt(dx * dx + 1.0f + dz * dz);
            const float nx = -dx / length;
            const float nz = -dz / length;
            uint8_t* texel = &rgba[(static_cast<size_t>(k_Size - 1 - j) * k_Size + i) * 4];
            texel[0] = static_cast<uint8_t>(level >> 8);
            texel[1] = static_cast<uint8_t>(level & 0xFF);
            texel[2] = static_cast<uint8_t>(std::lround(std::clamp(nx * 0.5f + 0.5f, 0.0f, 1.0f) * 255.0f));
            texel[3] = static_cast<uint8_t>(std::lround(std::clamp(nz * 0.5f + 0.5f, 0.0f, 1.0f) * 255.0f));
        }
    }
    return rgba;
}

float k_TerrainShape::Decode(uint8_t high, uint8_t low)
{
    return static_cast<float>((static_cast<uint32_t>(high) << 8) | low) / 65535.0f * k_MaxHeight;
}
