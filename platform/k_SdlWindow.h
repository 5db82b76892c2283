#pragma once
// The application window on SDL: creation with the GL surface's wishes
// (8-bit RGB, double buffer, 32-bit depth or 24 where the driver has no 32),
// real display-mode changes for full screen, placement, caption, cursor, and
// the link from the native window back to the IWindow that serves it.
#include "interfaces/PlatformHandles.h"

#include <string>

class IWindow;

class k_SdlWindow
{
public:
    // The display the program works on: the setup dialog offers its modes, full screen changes its mode and a
    // window opens centred on it.
    static constexpr int Display = 0;

    // Creates a hidden, resizable GL window of the client size on the display; returns null on failure (reason
    // in GetError).
    static k_WindowHandle Create(const std::wstring& title, int width, int height);
    // Switches the display to exactly width x height at the desktop's depth and refresh (no switch when that is
    // the desktop's size) and makes the window full screen on it; returns false, with nothing changed, when the
    // display has no such mode or refuses.
    static bool EnterFullscreen(k_WindowHandle window, int width, int height);
    // Whether the shown window is full screen with the display really in width x height (a display may refuse
    // the change only when the window is shown).
    static bool IsFullscreenAt(k_WindowHandle window, int width, int height);
    // Leaves full screen; the display returns to the desktop mode.
    static void LeaveFullscreen(k_WindowHandle window);
    // Whether the mouse cursor is shown.
    static bool IsCursorShown();
    // Shows or hides the mouse cursor.
    static void ShowCursor(bool show);
    // The display's area on the desktop: its top-left corner and its size.
    static void GetScreenArea(int& x, int& y, int& width, int& height);
    // The window's outer size (client area plus decorations).
    static void GetOuterSize(k_WindowHandle window, int& width, int& height);
    // The size in pixels of the window's GL drawable (what frames are drawn into).
    static void GetDrawableSize(k_WindowHandle window, int& width, int& height);
    // Moves the window's outer top-left corner to (x, y).
    static void SetPosition(k_WindowHandle window, int x, int y);
    // Shows the window, raises it and gives it the input focus.
    static void Show(k_WindowHandle window);
    // Links the native window to the object that serves its messages (null unlinks).
    static void SetOwner(k_WindowHandle window, IWindow* owner);
    // The object serving the window's messages, or null.
    static IWindow* GetOwner(k_WindowHandle window);
    // Sets the caption.
    static void SetTitle(k_WindowHandle window, const std::wstring& title);
    // The current caption.
    static std::wstring GetTitle(k_WindowHandle window);
    // The surface the GL context is created on and swapped.
    static k_DeviceContext GetDeviceContext(k_WindowHandle window);
    // Destroys the window and lets the screen saver run again.
    static void Destroy(k_WindowHandle window);
    // SDL's last error text.
    static std::string GetError();
};
