#pragma once
// What every texture has: its decoded size, its GL texture name and its
// format code, and binding to a texture unit. Image textures (JPEG, PNG)
// and render-target textures derive from it.
#include "interfaces/ITexture.h"

#include <cstdint>
#include <string>

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

    // Images wider or taller than this are refused before any pixel memory is reserved (also the largest
    // texture side Mesa accepts).
    static constexpr int k_MaxImageSide = 16384;

protected:
    k_TextureBase(IEngine* engine, int32_t format);

    // Image textures: generates and binds a GL texture on the active unit, opens the file through the engine's
    // file system and Loads it. Logs "Cannot read from file: " and throws when the file cannot be opened;
    // throws when Load does.
    void LoadImageFile(const std::wstring& fileName);
    // Uploads tightly packed 8-bit rows (bottom row first in GL's eyes) with a full mipmap chain and
    // trilinear minification; components is 3 (RGB) or 4 (RGBA).
    void UploadMipmapped(const unsigned char* pixels, int width, int height, int components);

    IEngine* m_engine;
    int32_t m_width = 0;
    int32_t m_height = 0;
    unsigned int m_name = 0;
    int32_t m_format;
};
