#pragma once
// Encodes small PNG and JPEG images in memory for texture tests, so no binary
// test file is committed.
#include <cstdint>
#include <string>
#include <vector>

class k_TestImages
{
public:
    // A PNG of the given libpng colour type and bit depth; pixels are rows top first, tightly packed in
    // that format. palette holds RGB triples and alpha the tRNS entries (palette images only).
    static std::string Png(int width, int height, int colourType, int bitDepth, const std::vector<uint8_t>& pixels,
                           const std::vector<uint8_t>& palette = {}, const std::vector<uint8_t>& alpha = {});
    // A baseline JPEG from RGB pixels (rows top first) at the given quality.
    static std::string Jpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality = 95);
    // A progressive JPEG (about ten scans) from RGB pixels.
    static std::string ProgressiveJpeg(int width, int height, const std::vector<uint8_t>& rgb);
    // A small progressive JPEG whose first scan is repeated until the file has that many scans.
    static std::string ManyScanJpeg(int scans);
    // A greyscale JPEG from one byte per pixel.
    static std::string GreyJpeg(int width, int height, const std::vector<uint8_t>& grey, int quality = 95);
};
