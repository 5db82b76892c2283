// orvelant_terraingen: makes the landscape's pictures and writes them into the
// generated-assets folder under their pack names.
//
//   orvelant_terraingen OUTPUT_ROOT [--show SHOW_FILE]
//
// With a show file, the ground is carved along the camera's track while the landscape is seen there: from its
// switch "landscape-on" to its switch "plasma-on" (without one, 27 to 76.6 s).
// Terrain/Height.png   256 x 256 height field with normals (see k_TerrainShape).
// Terrain/Detail.png   256 x 256 tileable ground detail, three independent masks:
//                      red fine grain, green soft patches, blue cracks and strata.
// Terrain/Ripples.png  256 x 256 tileable water ripples: the normal's x and y in red
//                      and green (0.5 is zero), the wave height in blue.
// Everything is computed from fixed seeds, so the same build gives the same bytes.
#include "demo/k_ShowFile.h"
#include "tools/texgen/k_ImageWriter.h"
#include "tools/texgen/k_Noise.h"
#include "tools/texgen/k_TerrainShape.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
uint8_t Byte(float value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

std::vector<uint8_t> Detail(int size)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float grain = k_Noise::Fractal(u * 32.0f, v * 32.0f, 3, 5u, 32);
            const float patches = k_Noise::Fractal(u * 6.0f, v * 6.0f, 4, 9u, 6);
            // Strata: bands along v, bent by noise, with crack lines where the noise folds.
            const float bend = k_Noise::Fractal(u * 4.0f, v * 4.0f, 3, 13u, 4);
            const float strata = 0.5f + 0.5f * std::sin((v * 24.0f + bend * 3.0f) * 3.1415927f);
            const float cracks = 1.0f - std::fabs(k_Noise::Fractal(u * 12.0f, v * 12.0f, 3, 21u, 12));
            uint8_t* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = Byte(0.5f + 0.7f * grain);
            pixel[1] = Byte(0.5f + 0.8f * patches);
            pixel[2] = Byte(0.35f * strata + 0.65f * std::pow(cracks, 6.0f));
            pixel[3] = 255;
        }
    }
    return rgba;
}

std::vector<uint8_t> Ripples(int size)
{
    // Wave height: a few long swells across the tile plus choppy noise; the normal from its slope.
    std::vector<float> height(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float swell = 0.25f * std::sin((u * 3.0f + v * 2.0f) * 6.2831853f) +
                                0.15f * std::sin((u * -2.0f + v * 5.0f) * 6.2831853f);
            const float chop = k_Noise::Fractal(u * 8.0f, v * 8.0f, 4, 33u, 8);
            height[static_cast<size_t>(y) * size + x] = swell + 0.8f * chop;
        }
    }
    auto at = [&](int x, int y) {
        return height[static_cast<size_t>((y + size) % size) * size + static_cast<size_t>((x + size) % size)];
    };
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    const float steepness = 6.0f;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f * steepness;
            const float dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f * steepness;
            const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            uint8_t* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = Byte(0.5f - 0.5f * dx / length);
            pixel[1] = Byte(0.5f - 0.5f * dy / length);
            pixel[2] = Byte(0.5f + 0.5f * at(x, y));
            pixel[3] = 255;
        }
    }
    return rgba;
}
} // namespace

// The times of the show file's switches "landscape-on" and "plasma-on"; false with a message when the file
// cannot be read or lacks one.
bool SceneFromShow(const fs::path& file, double& start, double& end)
{
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
    {
        std::cerr << "orvelant_terraingen: cannot read " << file << "\n";
        return false;
    }
    const k_ShowFile show(text, file.filename().string(), k_ShowFile::Vocabulary::Any());
    if (!show.IsValid())
    {
        std::cerr << "orvelant_terraingen: " << show.GetErrors().front() << "\n";
        return false;
    }
    bool hasStart = false;
    bool hasEnd = false;
    for (const k_ShowFile::Cue& cue : show.GetCues())
    {
        if (!cue.fade && cue.name == "landscape-on" && !hasStart)
            start = cue.start, hasStart = true;
        if (!cue.fade && cue.name == "plasma-on" && !hasEnd)
            end = cue.start, hasEnd = true;
    }
    if (!hasStart || !hasEnd || !(end > start))
    {
        std::cerr << "orvelant_terraingen: " << file
                  << " needs a switch landscape-on and a later switch plasma-on: the landscape is seen between them\n";
        return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    const bool withShow = argc == 4 && std::string(argv[2]) == "--show";
    if (argc != 2 && !withShow)
    {
        std::cerr << "usage: orvelant_terraingen OUTPUT_ROOT [--show SHOW_FILE]\n";
        return 2;
    }
    double sceneStart = k_TerrainShape::k_SceneStart;
    double sceneEnd = k_TerrainShape::k_SceneEnd;
    if (withShow && !SceneFromShow(argv[3], sceneStart, sceneEnd))
        return 1;
    const fs::path root = argv[1];
    std::error_code error;
    fs::create_directories(root / "Terrain", error);
    const k_TerrainShape shape(sceneStart, sceneEnd);
    const int size = k_TerrainShape::k_Size;
    bool ok = k_ImageWriter::WritePng(root / "Terrain" / "Height.png", size, size, shape.Encode());
    ok = k_ImageWriter::WritePng(root / "Terrain" / "Detail.png", 256, 256, Detail(256)) && ok;
    ok = k_ImageWriter::WritePng(root / "Terrain" / "Ripples.png", 256, 256, Ripples(256)) && ok;
    if (!ok)
    {
        std::cerr << "orvelant_terraingen: cannot write into " << root << "\n";
        return 1;
    }
    return 0;
}
