#pragma once
// Writes RGB pictures as PNG files with libpng. A file appears under its name
// only when it is complete: it is written beside it under a temporary name
// and renamed at the end, and a failed write leaves nothing behind.
#include <cstdint>
#include <string>

class k_PngWriter
{
public:
    // rows: width * height RGB triples, top row first. Returns false with the reason in error.
    static bool Write(const std::string& path, int width, int height, const uint8_t* rows, std::string& error);
};
