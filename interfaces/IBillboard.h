#pragma once
// A textured rectangle that turns to face the camera, drawn on its own in
// immediate mode. Its size is the node's scale (the texture's aspect ratio
// sets the width of a unit-high quad) and its place the node's position. The
// object behind this interface is a scene node too (reach it with
// dynamic_cast to IRenderable). Made and owned by the resource factory.
class ITexture;

class IBillboard
{
public:
    // Facing modes.
    static constexpr int Fixed = 0;       // keeps the node's own orientation
    static constexpr int Cylindrical = 1; // turns about the vertical axis only
    static constexpr int Spherical = 2;   // faces the camera fully

    virtual ~IBillboard() = default;

    // The facing mode (Fixed at creation).
    virtual int GetMode() = 0;
    // Sets the facing mode.
    virtual void SetMode(int mode) = 0;
    // Sets the texture (not owned); without one the billboard draws nothing.
    virtual void SetTexture(ITexture* texture) = 0;
    // The texture, or null.
    virtual ITexture* GetTexture() = 0;
};
