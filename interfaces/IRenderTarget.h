#pragma once
// An off-screen framebuffer of fixed size with a depth buffer and any number
// of colour textures that other passes sample like any texture. Bind flags:
// 0x001 clear depth, 0x002 clear colour (with the current world's values),
// 0x010..0x080 draw to colour attachment 0..3, 0x100 draw to all of them.
#include <vector>

class ITexture;

class IRenderTarget
{
public:
    virtual ~IRenderTarget() = default;

    // Adds a colour texture of the format code (r_ColourFormat: 0 RGB8, 1 RGB32F, 2 RGBA8, 3 RGBA32F, 4/5 one channel);
    // returns it, owned by the target.
    virtual ITexture* AddColorTexture(int format) = 0;
    // Makes the target the draw framebuffer with the draw buffers, viewport and clears the flags ask for.
    virtual void Bind(int flags) = 0;
    // Returns to the window's framebuffer and full viewport.
    virtual void Unbind() = 0;
    // Returns the width in pixels.
    virtual int GetWidth() = 0;
    // Returns the height in pixels.
    virtual int GetHeight() = 0;
    // Returns the target's own list of colour textures (index i is colour attachment i).
    virtual std::vector<ITexture*>* GetColorTextures() = 0;
};
