#pragma once
// A texture decoded from a PNG file of the data pack (libpng) and uploaded
// as RGB or RGBA with a full mipmap chain. Rows go to GL bottom row first, so
// the image shows upright. Palette, low-bit-depth and grey-with-alpha images
// are converted; plain grey images are refused. Corrupt data fails the
// construction.
#include "graphics/k_ImageTexture.h"

#include <string>

class k_PngTexture : public k_ImageTexture
{
public:
    // Loads the file; throws when it cannot be read or decoded.
    k_PngTexture(IEngine* engine, const std::wstring& fileName);

    // Decodes a PNG file's bytes into RGB or RGBA rows, bottom row first, without touching GL; logs in red and
    // throws when the data cannot be decoded or the picture is too large (k_MaxImageSide, k_MaxImagePixels).
    static void Decode(const unsigned char* data, size_t size, Image& image);
};
