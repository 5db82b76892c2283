#pragma once
// Writes the generators' pictures: 8-bit RGBA PNG and 8-bit RGB JPEG files,
// pixels in rows from the top, tightly packed.
#include <cstdint>
#include <filesystem>
#include <vector>

class k_ImageWriter
{
public:
    // Writes an RGBA PNG; false when the file cannot be written.
    static bool WritePng(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgba);
    // Writes an RGB JPEG at the quality (0 to 100); false when the file cannot be written.
    static bool WriteJpeg(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& rgb,
                          int quality = 90);
};
