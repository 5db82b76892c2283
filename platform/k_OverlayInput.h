#pragma once
// The studio overlay's link to the window system: the immediate-mode GUI's
// SDL2 backend, fed with every event of the window as SDL queues it (an event
// watch, so the program's own message pump stays as it is). Counts the
// pointer's events and presses, for the studio to know when the overlay has
// something new to answer while nothing else is drawn.
#include "interfaces/PlatformHandles.h"

#include <cstdint>

struct SDL_Window;

class k_OverlayInput
{
public:
    // Starts the GUI's SDL2 backend on the window (its GUI context must be current); false when it cannot.
    bool Start(k_WindowHandle window);
    k_OverlayInput() = default;
    ~k_OverlayInput();
    k_OverlayInput(const k_OverlayInput&) = delete;
    k_OverlayInput& operator=(const k_OverlayInput&) = delete;

    // Reads the window's size, the pointer and the time for the GUI's next frame.
    void NewFrame();

    // How many events of the pointer (moves, buttons, wheel), keys and the window came so far.
    uint64_t PeekEvents() const { return m_events; }

private:
    bool m_started = false;
    SDL_Window* m_window = nullptr;
    uint64_t m_events = 0;
};
