#pragma once
// OpenGL rendering contexts on the application window (SDL's GL contexts):
// the graphics device creates, binds and deletes them through this class.
#include "interfaces/PlatformHandles.h"

#include <string>

class k_SdlGlContext
{
public:
    // Creates a context on the window's surface; returns null on failure (reason in GetError).
    static k_RenderingContext Create(k_DeviceContext deviceContext);
    // Makes the context current on the surface, or releases the current one when both are null; returns success.
    static bool MakeCurrent(k_DeviceContext deviceContext, k_RenderingContext context);
    // Deletes the context.
    static void Delete(k_RenderingContext context);
    // Swaps the surface's buffers; returns false without a surface.
    static bool Swap(k_DeviceContext deviceContext);
    // The largest picture the driver can draw and read back (the smaller of its viewport, texture and
    // renderbuffer limits), asked of a context on a hidden 1 x 1 window that is gone again afterwards.
    // SDL's video must be open; returns false when no context can be made.
    static bool QueryMaxPictureSize(int& maxWidth, int& maxHeight);
    // SDL's last error text.
    static std::string GetError();
};
