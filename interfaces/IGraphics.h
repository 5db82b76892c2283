#pragma once
// The graphics device: owns the OpenGL rendering context and the few device
// facts the rest of the system asks for (viewport size, largest texture size,
// the display's aspect ratio); sets the default GL state, drains and logs GL
// errors, and draws the loading bar.
#include "interfaces/PlatformHandles.h"

class IGraphics
{
public:
    // Releases only the object; the context must already be gone (DestroyContext).
    virtual ~IGraphics() = default;

    // Stores the viewport size (a height of 0 becomes 1) and sets the GL viewport to it.
    virtual void Resize(int width, int height) = 0;
    // Logs the driver; throws when it lacks the OpenGL version or an extension the engine calls; sets the default
    // state and draws an empty bar; returns true.
    virtual bool Initialize() = 0;
    // Creates a rendering context on the device context and makes it current; returns true or throws.
    virtual bool CreateContext(k_DeviceContext deviceContext) = 0;
    // Releases the rendering context if one is held; safe to call twice.
    virtual void DestroyContext() = 0;
    // Returns GL_MAX_TEXTURE_SIZE as read by Initialize (0 before).
    virtual int GetMaxTextureSize() = 0;
    // Returns the viewport width in pixels.
    virtual int GetWidth() = 0;
    // Returns the viewport height in pixels (never 0 once set).
    virtual int GetHeight() = 0;
    // Returns the display aspect ratio chosen in the setup dialog (width over height).
    virtual float GetAspectRatio() = 0;
    // Stores the display aspect ratio.
    virtual void SetAspectRatio(float aspectRatio) = 0;
    // Drains pending GL errors and logs them, at most five per call; never throws.
    virtual void CheckErrors() = 0;
    // Clears the screen and draws the loading bar filled to the fraction (0 to 1, not clamped).
    virtual void DrawProgressBar(float fraction) = 0;
};
