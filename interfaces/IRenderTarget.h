#pragma once
// An off-screen framebuffer of fixed size with a depth buffer and any number
// of colour textures that other passes sample like any texture. Bind flags
// (below) clear depth and colour (with the current world's values) and
// choose the colour attachments drawn to.
#include <vector>

class ITexture;

class IRenderTarget
{
public:
    virtual ~IRenderTarget() = default;

    // Bind flags, or-ed together.
    static constexpr int k_ClearDepth = 0x001;
    static constexpr int k_ClearColour = 0x002;
    // k_DrawAttachment << n draws to colour attachment n (0 to 3).
    static constexpr int k_DrawAttachment = 0x010;
    static constexpr int k_DrawAll = 0x100;
    // Every attachment drawn, colour and depth cleared: how a world's target is bound unless it says otherwise.
    static constexpr int k_ClearEverything = k_DrawAll | k_ClearColour | k_ClearDepth;

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
