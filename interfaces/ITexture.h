#pragma once
// A two-dimensional GL texture: an image decoded from the data pack (JPEG or
// PNG, uploaded with mipmaps) or the colour texture of a render target.
class IFile;

class ITexture
{
public:
    // Deletes the GL texture.
    virtual ~ITexture() = default;

    // Width in pixels as decoded (before any rescaling for mipmaps).
    virtual int GetWidth() = 0;
    // Height in pixels as decoded.
    virtual int GetHeight() = 0;
    // Decodes the file's bytes into the texture bound on the active unit; throws when they cannot be decoded.
    virtual void Load(IFile* file) = 0;
    // Makes GL_TEXTURE0 + unit active, binds the texture there and enables 2D texturing on that unit.
    virtual void Bind(int unit) = 0;
    // The format code of the texture (r_ColourFormat; Rgba8 for image textures).
    virtual int GetFormat() = 0;
    // Whether the texture has a mipmap chain.
    virtual bool HasMipmaps() = 0;
};
