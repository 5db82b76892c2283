#pragma once
// What every texture has: its decoded size, its GL texture name and its
// format code, and binding to a texture unit. Image textures (JPEG, PNG)
// and render-target textures derive from it.
#include "interfaces/ITexture.h"

#include <cstdint>
#include <string>
#include <vector>

class IEngine;

class k_TextureBase : public ITexture
{
public:
    ~k_TextureBase() override;
    k_TextureBase(const k_TextureBase&) = delete;
    k_TextureBase& operator=(const k_TextureBase&) = delete;

    int GetWidth() override;
    int GetHeight() override;
    void Bind(int unit) override;
    int GetFormat() override;
    bool HasMipmaps() override;

    // The GL texture name (0 until the texture exists).
    unsigned int GetName() const { return m_name; }

    // --- live reload ---
    // The file an image texture was read from (empty for other textures).
    const std::wstring& GetFileName() const { return m_fileName; }
    // Reads the image file again into the same GL texture; a file that cannot be read or decoded leaves the
    // texture as it was (the reason is logged) and gives false.
    bool ReloadImageFile();

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

protected:
    k_TextureBase(IEngine* engine, int32_t format);

    // Image textures: generates and binds a GL texture on the active unit, opens the file through the engine's
    // file system and Loads it. Logs "Cannot read from file: " and throws when the file cannot be opened;
    // throws when Load does.
    void LoadImageFile(const std::wstring& fileName);
    // Uploads the image's rows (bottom row first in GL's eyes) with a full mipmap chain and trilinear
    // minification. The pixels are left as they were.
    void UploadMipmapped(Image& image);

    IEngine* m_engine;
    int32_t m_width = 0;
    int32_t m_height = 0;
    unsigned int m_name = 0;
    int32_t m_format;
    std::wstring m_fileName;
};
