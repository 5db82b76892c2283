#include "platform/k_SdlDisplay.h"

#include "platform/k_SdlWindow.h"

#include <SDL.h>
#include <cstdlib>

bool k_SdlDisplay::Open()
{
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool k_SdlDisplay::PreferOffscreenWithoutDisplay()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && value[0] != '\0';
    };
    if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("SDL_VIDEODRIVER"))
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
