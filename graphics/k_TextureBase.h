#pragma once
// What every texture has: its size, its GL texture name and its format
// code, and binding to a texture unit. Image textures (k_ImageTexture: JPEG,
// PNG) and render-target textures derive from it.
#include "interfaces/ITexture.h"

#include <cstdint>

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

protected:
    k_TextureBase(IEngine* engine, int32_t format);

    IEngine* m_engine;
    int32_t m_width = 0;
    int32_t m_height = 0;
    unsigned int m_name = 0;
    int32_t m_format;
};
