#pragma once
// Writes pictures as PNG files: RGBA pixels as OpenGL reads them back (bottom
// row first), or the current framebuffer straight away. Used by the example
// programs' --shot mode and by any tool that saves frames.
#include <cstdint>
#include <string>
#include <vector>

class k_PngWriter
{
public:
    // Writes width x height RGBA pixels, bottom row first, to the file; false (with a message on standard
    // error) when the size does not match the pixels or the file cannot be written.
    static bool Write(const std::string& fileName, int width, int height, const std::vector<uint8_t>& rgba);
    // Reads the read buffer's lower-left width x height pixels and writes them to the file.
    static bool WriteFramebuffer(const std::string& fileName, int width, int height);
};
