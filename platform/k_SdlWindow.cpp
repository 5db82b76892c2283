#include "platform/k_SdlWindow.h"

#include "engine/k_Utf8.h"

#include <SDL.h>

namespace
{
const char* const k_OwnerKey = "IWindow";

SDL_Window* Native(k_WindowHandle window)
{
    return reinterpret_cast<SDL_Window*>(window);
}

void SetSurfaceWishes(int depthBits)
{
    // The engine draws with fixed function, display lists and immediate mode.
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}
} // namespace

k_WindowHandle k_SdlWindow::Create(const std::wstring& title, int width, int height)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    const std::string caption = k_Utf8::ToUtf8(title);
    // Switching to another window must not minimise a full-screen show: only a real minimise
    // pauses the picture, a window that merely loses the focus keeps drawing.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    SDL_Window* window = nullptr;
    for (int depthBits : {32, 24})
    {
        SetSurfaceWishes(depthBits);
        window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED_DISPLAY(Display),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(Display), width, height, flags);
        if (window)
            break;
    }
    if (!window)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_DisableScreenSaver();
    return reinterpret_cast<k_WindowHandle>(window);
}

bool k_SdlWindow::EnterFullscreen(k_WindowHandle window, int width, int height)
{
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(Display, &desktop) != 0)
        return false;
    // The desktop's own size needs no mode change: the window covers the display as it is. (Setting the mode
    // anyway makes SDL grab the X server around the change, which has been seen to leave the server stalled.)
    if (desktop.w == width && desktop.h == height)
        return SDL_SetWindowFullscreen(Native(window), SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    // Only an exact size counts: SDL would otherwise settle for the closest mode.
    SDL_DisplayMode wanted = desktop;
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest{};
    if (!SDL_GetClosestDisplayMode(Display, &wanted, &closest) || closest.w != width || closest.h != height)
    {
        SDL_SetError("the display has no %dx%d mode", width, height);
        return false;
    }
    if (SDL_SetWindowDisplayMode(Native(window), &closest) != 0)
        return false;
    if (SDL_SetWindowFullscreen(Native(window), SDL_WINDOW_FULLSCREEN) != 0)
        return false;
    return true;
}

bool k_SdlWindow::IsFullscreenAt(k_WindowHandle window, int width, int height)
{
    if ((SDL_GetWindowFlags(Native(window)) & SDL_WINDOW_FULLSCREEN) == 0)
        return false;
    // SDL keeps the flag when the display refuses the mode as the window is shown; the display's mode tells.
    SDL_DisplayMode current{};
    if (SDL_GetWindowDisplayIndex(Native(window)) != Display || SDL_GetCurrentDisplayMode(Display, &current) != 0)
        return false;
    return current.w == width && current.h == height;
}

void k_SdlWindow::LeaveFullscreen(k_WindowHandle window)
{
    if (window)
        SDL_SetWindowFullscreen(Native(window), 0);
}

void k_SdlWindow::ShowCursor(bool show)
{
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool k_SdlWindow::IsCursorShown()
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

void k_SdlWindow::GetScreenArea(int& x, int& y, int& width, int& height)
{
    SDL_Rect area{};
    SDL_GetDisplayBounds(Display, &area);
    x = area.x;
    y = area.y;
    width = area.w;
    height = area.h;
}

void k_SdlWindow::GetDrawableSize(k_WindowHandle window, int& width, int& height)
{
    SDL_GL_GetDrawableSize(Native(window), &width, &height);
}

void k_SdlWindow::GetOuterSize(k_WindowHandle window, int& width, int& height)
{
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowSize(Native(window), &width, &height);
    if (SDL_GetWindowBordersSize(Native(window), &top, &left, &bottom, &right) == 0)
    {
        width += left + right;
        height += top + bottom;
    }
}

void k_SdlWindow::SetPosition(k_WindowHandle window, int x, int y)
{
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowBordersSize(Native(window), &top, &left, &bottom, &right);
    // SDL places the client area; the decorations sit above and left of it.
    SDL_SetWindowPosition(Native(window), x + left, y + top);
}

void k_SdlWindow::Show(k_WindowHandle window)
{
    SDL_ShowWindow(Native(window));
    SDL_RaiseWindow(Native(window));
}

void k_SdlWindow::SetOwner(k_WindowHandle window, IWindow* owner)
{
    if (window)
        SDL_SetWindowData(Native(window), k_OwnerKey, owner);
}

IWindow* k_SdlWindow::GetOwner(k_WindowHandle window)
{
    if (!window)
        return nullptr;
    return static_cast<IWindow*>(SDL_GetWindowData(Native(window), k_OwnerKey));
}

void k_SdlWindow::SetTitle(k_WindowHandle window, const std::wstring& title)
{
    if (window)
        SDL_SetWindowTitle(Native(window), k_Utf8::ToUtf8(title).c_str());
}

std::wstring k_SdlWindow::GetTitle(k_WindowHandle window)
{
    if (!window)
        return {};
    const char* title = SDL_GetWindowTitle(Native(window));
    return k_Utf8::FromUtf8(title ? title : "");
}

k_DeviceContext k_SdlWindow::GetDeviceContext(k_WindowHandle window)
{
    return reinterpret_cast<k_DeviceContext>(window);
}

void k_SdlWindow::Destroy(k_WindowHandle window)
{
    if (!window)
        return;
    SDL_DestroyWindow(Native(window));
    SDL_EnableScreenSaver();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::string k_SdlWindow::GetError()
{
    return SDL_GetError();
}
