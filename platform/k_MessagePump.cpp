#include "platform/k_MessagePump.h"

#include "interfaces/IWindow.h"
#include "platform/k_SdlWindow.h"
#include "platform/k_Signals.h"

#include <SDL.h>

namespace
{
// A posted quit request comes out once nothing else is waiting, as the system's own quit message does.
bool g_quitPosted = false;
// The window of the latest window event: keys that SDL hands out without a window go to it.
Uint32 g_lastWindowId = 0;

IWindow* Owner(Uint32 windowId)
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window ? k_SdlWindow::GetOwner(reinterpret_cast<k_WindowHandle>(window)) : nullptr;
}

uint32_t Pack(int low, int high)
{
    return (static_cast<uint32_t>(high) & 0xFFFFu) << 16 | (static_cast<uint32_t>(low) & 0xFFFFu);
}

// Activation carries "minimised" in the high word, as the window expects.
void SendActivate(IWindow* target, bool minimised)
{
    target->HandleMessage(IWindow::Activate, Pack(1, minimised ? 1 : 0), 0);
}

void DispatchWindowEvent(const SDL_WindowEvent& event)
{
    IWindow* target = Owner(event.windowID);
    if (!target)
        return;
    g_lastWindowId = event.windowID;
    switch (event.event)
    {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        target->HandleMessage(IWindow::Size, 0, Pack(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        SendActivate(target, true);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
        SendActivate(target, false);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Switching to another window does not stop the show; only minimising does.
        SendActivate(target, (SDL_GetWindowFlags(SDL_GetWindowFromID(event.windowID)) & SDL_WINDOW_MINIMIZED) != 0);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        target->HandleMessage(IWindow::Close, 0, 0);
        break;
    default:
        break;
    }
}

void DispatchKey(const SDL_KeyboardEvent& event)
{
    // SDL applies a new keyboard focus only some time after the window system gave it, and hands out the
    // keys that come in between with no window (Escape pressed while the show loads and no events are
    // read). The window system sent them to our window all the same: the one the latest events were for.
    IWindow* target = Owner(event.windowID != 0 ? event.windowID : g_lastWindowId);
    if (!target)
        return;
    // Alt+F4 closes the window, as the desktop's own shortcut does where no window manager catches it.
    if (event.keysym.sym == SDLK_F4 && (event.keysym.mod & KMOD_ALT) != 0)
    {
        target->HandleMessage(IWindow::Close, 0, 0);
        return;
    }
    const uint32_t key =
        event.keysym.sym == SDLK_ESCAPE ? IWindow::KeyEscape : static_cast<uint32_t>(event.keysym.scancode) | 0x10000u;
    target->HandleMessage(IWindow::KeyDown, key,
                          (event.repeat ? 1u : 0u) | ((event.keysym.mod & KMOD_SHIFT) != 0 ? IWindow::KeyShift : 0u));
}
} // namespace

k_MessagePump::Peeked k_MessagePump::PeekAndDispatch()
{
    if (k_Signals::Caught() != 0)
        return Peeked::Quit;
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0)
    {
        if (!g_quitPosted)
            return Peeked::None;
        g_quitPosted = false;
        return Peeked::Quit;
    }
    switch (event.type)
    {
    case SDL_QUIT:
        return Peeked::Quit;
    case SDL_WINDOWEVENT:
        DispatchWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        DispatchKey(event.key);
        break;
    default:
        break;
    }
    return Peeked::Dispatched;
}

void k_MessagePump::PostQuit()
{
    g_quitPosted = true;
}

void k_MessagePump::WaitForMessage(int milliseconds)
{
    if (g_quitPosted || k_Signals::Caught() != 0)
        return;
    // A null event leaves what arrives in the queue for the next peek. SDL's wait on X11 sleeps in poll(),
    // which a signal interrupts.
    SDL_WaitEventTimeout(nullptr, milliseconds);
}
