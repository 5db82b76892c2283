#include "platform/k_SdlDisplay.h"

#include "engine/k_Log.h"
#include "platform/k_SdlWindow.h"

#include <SDL.h>
#include <cstdlib>

namespace
{
bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}
} // namespace

bool k_SdlDisplay::Open()
{
    // SDL 2 tries X11 before Wayland, so in a Wayland session it would draw through XWayland. There the
    // wayland driver is tried first, and X11 (XWayland) only when no compositor answers. A driver named by
    // SDL_VIDEODRIVER, or chosen before (PreferOffscreenWithoutDisplay), is left as it is.
    bool started = false;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && IsSet("WAYLAND_DISPLAY") && SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr)
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
        started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!started)
        {
            k_Log() << "DISPLAY :: No Wayland compositor answers (" << SDL_GetError() << "); trying X11.";
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        }
    }
    if (!started && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    const std::string driver = GetDriverName();
    // The offscreen and wayland drivers make their contexts with EGL, and SDL then loads libGL.so.1 beside it
    // as the GL library, which brings GLX along. The vendor-neutral libOpenGL serves an EGL context without it:
    // SDL is told so while it loads its GL library here (kept until SDL shuts down; it falls back to libGL.so.1
    // when libOpenGL is missing), and the variable is gone again before any child process could inherit it.
    // A library named by hand in SDL_VIDEO_GL_DRIVER is used as it is.
    if ((driver == "offscreen" || driver == "wayland") && !IsSet("SDL_VIDEO_GL_DRIVER"))
    {
        setenv("SDL_VIDEO_GL_DRIVER", "libOpenGL.so.0", 1);
        // A failure is only logged here: the first GL window then fails with it and the program says so.
        if (SDL_GL_LoadLibrary(nullptr) != 0)
            k_Log(k_Log::Colour::Error) << "DISPLAY :: SDL cannot load OpenGL: " << SDL_GetError();
        unsetenv("SDL_VIDEO_GL_DRIVER");
    }
    k_Log() << "DISPLAY :: SDL video driver: " << driver;
    return true;
}

bool k_SdlDisplay::PreferOffscreenWithoutDisplay()
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("SDL_VIDEODRIVER"))
        return false;
    return SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen") == SDL_TRUE;
}

std::string k_SdlDisplay::GetDriverName()
{
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

std::vector<k_SdlDisplay::Mode> k_SdlDisplay::GetModes()
{
    std::vector<Mode> modes;
    const int count = SDL_GetNumDisplayModes(k_SdlWindow::Display);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(k_SdlWindow::Display, i, &mode) == 0)
            modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate});
    }
    return modes;
}

k_SdlDisplay::Mode k_SdlDisplay::GetDesktopMode()
{
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(k_SdlWindow::Display, &mode) != 0)
        return {};
    return {mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.refresh_rate};
}

void k_SdlDisplay::Abandon()
{
    if (SDL_Window* window = SDL_GL_GetCurrentWindow())
        SDL_SetWindowFullscreen(window, 0);
    if (SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void k_SdlDisplay::Close()
{
    SDL_Quit();
}

std::string k_SdlDisplay::GetError()
{
    return SDL_GetError();
}
