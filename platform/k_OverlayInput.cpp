#include "platform/k_OverlayInput.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>

namespace
{
// Called by SDL for every event it queues, on the thread that pumps them (the program's only one).
int Watch(void* count, SDL_Event* event)
{
    ImGui_ImplSDL2_ProcessEvent(event);
    switch (event->type)
    {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
    case SDL_KEYDOWN:
    case SDL_WINDOWEVENT:
        ++*static_cast<uint64_t*>(count);
        break;
    default:
        break;
    }
    return 1;
}
} // namespace

bool k_OverlayInput::Start(k_WindowHandle window)
{
    if (!window || !ImGui_ImplSDL2_InitForOpenGL(reinterpret_cast<SDL_Window*>(window), SDL_GL_GetCurrentContext()))
        return false;
    m_started = true;
    m_window = reinterpret_cast<SDL_Window*>(window);
    SDL_AddEventWatch(Watch, &m_events);
    return true;
}

k_OverlayInput::~k_OverlayInput()
{
    if (!m_started)
        return;
    SDL_DelEventWatch(Watch, &m_events);
    ImGui_ImplSDL2_Shutdown();
}

void k_OverlayInput::NewFrame()
{
    ImGui_ImplSDL2_NewFrame();
    // The backend takes the pointer from the screen's position less the window's, which SDL does not always
    // know (a window placed without a window manager); the window's own position of the pointer is right.
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_GetMouseFocus() == m_window)
        ImGui::GetIO().MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
}
