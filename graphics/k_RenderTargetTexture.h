#pragma once
// A colour texture of a render target: a 2D texture without data of one of
// the six format codes, attached to the target's framebuffer at colour
// attachment 0 + index, sampled by later passes like any other texture.
//
//   code  internal format      pixel format  type
//   0     3 (RGB, 8 bits)      GL_RGB        GL_UNSIGNED_BYTE
//   1     GL_RGB32F_ARB        GL_RGB        GL_FLOAT
//   2     4 (RGBA, 8 bits)     GL_RGBA       GL_UNSIGNED_BYTE
//   3     GL_RGBA32F_ARB       GL_RGBA       GL_FLOAT
//   4     GL_R8 (one channel)  GL_RED        GL_UNSIGNED_BYTE
//   5     GL_R32F              GL_RED        GL_FLOAT
#include "graphics/k_TextureBase.h"
#include "interfaces/r_ColourFormat.h"

class k_RenderTargetTexture : public k_TextureBase
{
public:
    // Creates the texture and attaches it to the framebuffer at colour attachment index; leaves
    // framebuffer 0 bound. An unknown format code is logged and made format 2.
    k_RenderTargetTexture(IEngine* engine, int width, int height, int format, unsigned int framebuffer, int index);

    // Does nothing: the texture's content is drawn, not loaded.
    void Load(IFile* file) override;

    // Whether the code names one of the six formats.
    static bool IsKnownFormat(int format) { return format >= r_ColourFormat::Rgb8 && format <= r_ColourFormat::R32F; }
};
