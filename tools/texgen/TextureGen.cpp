// orvelant_texgen: paints the pictures of the common materials and writes them
// into the generated-assets folder under their pack names.
//
//   orvelant_texgen OUTPUT_ROOT
//
// Common/Brushed.jpg  256 x 256 brushed metal: long horizontal grain over a cool
//                     grey, tileable in both directions (JPEG, RGB).
// Common/Sparkle.png  128 x 128 soft star: a round halo with four thin rays,
//                     white with the falloff in alpha (PNG, RGBA).
// Everything is computed from fixed seeds, so the same build gives the same bytes.
#include "tools/texgen/k_ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// --- tileable value noise ---

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float Lattice(int x, int y, int periodX, int periodY, uint32_t seed)
{
    const uint32_t wx = static_cast<uint32_t>(((x % periodX) + periodX) % periodX);
    const uint32_t wy = static_cast<uint32_t>(((y % periodY) + periodY) % periodY);
    return static_cast<float>(Hash(wx, wy, seed) & 0xFFFF) / 65535.0f;
}

float Smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// Noise of period (periodX, periodY) lattice cells, sampled at (x, y) in cell units.
float Noise(float x, float y, int periodX, int periodY, uint32_t seed)
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = Smooth(x - static_cast<float>(ix));
    const float fy = Smooth(y - static_cast<float>(iy));
    const float a = Lattice(ix, iy, periodX, periodY, seed);
    const float b = Lattice(ix + 1, iy, periodX, periodY, seed);
    const float c = Lattice(ix, iy + 1, periodX, periodY, seed);
    const float d = Lattice(ix + 1, iy + 1, periodX, periodY, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

uint8_t Byte(float value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// --- pictures ---

std::vector<uint8_t> Brushed(int size)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            // Grain: cells stretched 32:1 along x; octaves sum to streaks of varied width.
            float grain = 0.0f;
            float amplitude = 0.5f;
            for (int octave = 0; octave < 4; ++octave)
            {
                const int cellsX = 4 << octave;
                const int cellsY = 128 << octave;
                grain += amplitude * Noise(u * static_cast<float>(cellsX), v * static_cast<float>(cellsY), cellsX,
                                           cellsY, 11u + static_cast<uint32_t>(octave));
                amplitude *= 0.5f;
            }
            // Broad, soft clouding so the metal is not flat.
            const float cloud = Noise(u * 4.0f, v * 4.0f, 4, 4, 97u);
            const float value = 0.52f + 0.30f * (grain - 0.47f) + 0.12f * (cloud - 0.5f);
            uint8_t* pixel = &rgb[(static_cast<size_t>(y) * size + x) * 3];
            pixel[0] = Byte(value * 0.94f);
            pixel[1] = Byte(value * 0.97f);
            pixel[2] = Byte(value * 1.04f + 0.02f);
        }
    }
    return rgb;
}

std::vector<uint8_t> Sparkle(int size)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    const float centre = (static_cast<float>(size) - 1.0f) * 0.5f;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float dx = (static_cast<float>(x) - centre) / centre;
            const float dy = (static_cast<float>(y) - centre) / centre;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float halo = std::exp(-r * r * 9.0f) + 0.35f * std::exp(-r * r * 2.5f);
            const float rays = std::exp(-std::fabs(dx) * 60.0f) * std::max(0.0f, 1.0f - std::fabs(dy)) +
                               std::exp(-std::fabs(dy) * 60.0f) * std::max(0.0f, 1.0f - std::fabs(dx));
            const float edge = std::clamp((1.0f - r) * 4.0f, 0.0f, 1.0f); // zero at the border
            const float alpha = std::clamp((halo + 0.8f * rays) * edge, 0.0f, 1.0f);
            uint8_t* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = 255;
            pixel[1] = Byte(0.92f + 0.08f * alpha);
            pixel[2] = Byte(0.80f + 0.20f * alpha);
            pixel[3] = Byte(alpha);
        }
    }
    return rgba;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: orvelant_texgen OUTPUT_ROOT\n";
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code error;
    fs::create_directories(root / "Common", error);
    bool ok = k_ImageWriter::WriteJpeg(root / "Common" / "Brushed.jpg", 256, 256, Brushed(256));
    ok = k_ImageWriter::WritePng(root / "Common" / "Sparkle.png", 128, 128, Sparkle(128)) && ok;
    if (!ok)
    {
        std::cerr << "orvelant_texgen: cannot write into " << root << "\n";
        return 1;
    }
    return 0;
}
