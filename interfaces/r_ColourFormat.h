#pragma once
// The format codes of render-target colour textures (IRenderTarget::AddColorTexture,
// IResourceFactory::CreateRenderTargetWithTexture); image textures report Rgba8. Those calls take the code
// as an int, so the names convert to int as they are: r_ColourFormat::Rgba32F.
struct r_ColourFormat
{
    enum : int
    {
        Rgb8 = 0,    // 8-bit RGB
        Rgb32F = 1,  // float RGB
        Rgba8 = 2,   // 8-bit RGBA
        Rgba32F = 3, // float RGBA
        R8 = 4,      // one 8-bit channel
        R32F = 5,    // one float channel
    };
};
