#pragma once
// A texture decoded from a picture file of the data pack and uploaded as RGB
// or RGBA with a full mipmap chain: what the JPEG and PNG textures share.
// Each of them gives only its decoder; opening the file, the size limits,
// the decoded picture and the upload are here. A file that cannot be read or
// decoded fails the construction with a red log line.
#include "graphics/k_TextureBase.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class k_ImageTexture : public k_TextureBase
{
public:
    // A decoded picture: tightly packed 8-bit rows in the order they go to GL, 3 (RGB) or 4 (RGBA)
    // components a pixel.
    struct Image
    {
        std::vector<unsigned char> pixels;
        int width = 0;
        int height = 0;
        int components = 0;
    };
    // Room a decoder reserves after the pixels (one pixel of either kind), so that the upload can lay out a
    // zeroed pixel past the last row without moving the picture (see UploadMipmapped).
    static constexpr size_t k_UploadSlackBytes = 4;

    // Images wider or taller than this, or with more pixels in all, are refused from their header, before any
    // pixel memory is reserved: the side is the largest Mesa accepts, the area keeps a hostile header from
    // making the decoder reserve hundreds of megabytes (4096 x 4096 RGBA is 64 MiB).
    static constexpr int k_MaxImageSide = 16384;
    static constexpr int64_t k_MaxImagePixels = 4096 * 4096;
    // Whether an image of that size is within both limits.
    static bool IsWithinLimits(uint64_t width, uint64_t height)
    {
        return width <= k_MaxImageSide && height <= k_MaxImageSide &&
               width * height <= static_cast<uint64_t>(k_MaxImagePixels);
    }

    // Decodes a file's bytes into an Image without touching GL; logs in red and throws when it cannot.
    using Decoder = void (*)(const unsigned char* data, size_t size, Image& image);

    // Decodes the file's bytes and uploads them.
    void Load(IFile* file) override;
    bool HasMipmaps() override;

    // --- live reload ---
    // The file the texture was read from.
    const std::wstring& GetFileName() const { return m_fileName; }
    // Reads the image file again into the same GL texture; a file that cannot be read or decoded leaves the
    // texture as it was (the reason is logged) and gives false.
    bool ReloadImageFile();

protected:
    // Generates and binds a GL texture on the active unit, opens the file through the engine's file system and
    // Loads it with the decoder. Logs "Cannot read from file: " and throws when the file cannot be opened;
    // throws (after logging) when it cannot be decoded.
    k_ImageTexture(IEngine* engine, const std::wstring& fileName, Decoder decode);

private:
    // Uploads the image's rows (bottom row first in GL's eyes) with a full mipmap chain and trilinear
    // minification. The pixels are left as they were.
    static void UploadMipmapped(Image& image);

    Decoder m_decode;
    std::wstring m_fileName;
};
