#pragma once
// The primary display as SDL sees it: its video modes and the desktop mode.
// Opens SDL's video subsystem on first use (reference-counted by SDL).
#include <string>
#include <vector>

class k_SdlDisplay
{
public:
    struct Mode
    {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
        int refreshRate = 0;
    };

    // Starts SDL's video subsystem and logs its driver; returns false (reason in GetError) when there is no
    // display. In a Wayland session (WAYLAND_DISPLAY set) it draws as a native Wayland client, through X11
    // (XWayland) only when that fails; SDL_VIDEODRIVER, when set, names the driver instead.
    static bool Open();
    // For a program that can draw without a display: when neither DISPLAY nor WAYLAND_DISPLAY is set and
    // SDL_VIDEODRIVER names no driver, asks SDL for its offscreen driver (EGL, no window system) before Open.
    // Returns true when it did.
    static bool PreferOffscreenWithoutDisplay();
    // The name of the video driver SDL runs on ("x11", "wayland", "offscreen"), empty before Open.
    static std::string GetDriverName();
    // Every mode the primary display offers, in SDL's order (empty when none can be read).
    static std::vector<Mode> GetModes();
    // The desktop's current mode on the primary display (zeros when it cannot be read).
    static Mode GetDesktopMode();
    // Shuts SDL down at once (after an error): the desktop mode comes back and the audio stops.
    static void Close();
    // Before the process ends abruptly: takes the program's window out of full screen (the desktop mode comes
    // back) and closes the audio device, but leaves the display connection to the process's end. (Closing it
    // with the GL context still alive can hang in the GL driver's teardown.)
    static void Abandon();
    // SDL's last error text.
    static std::string GetError();
};
