#pragma once
// The studio's window: the program's window, whose keys other than Escape go
// to the studio (with whether Shift was held) instead of being swallowed.
#include "app/k_Window.h"

#include <cstdint>
#include <functional>

class k_StudioWindow : public k_Window
{
public:
    using KeyHandler = std::function<void(uint32_t code, bool shift, bool repeat)>;

    // The title is not copied: it must outlive the window.
    k_StudioWindow(const wchar_t* title, int width, int height, IEngine* engine, KeyHandler keys);

    int64_t HandleMessage(uint32_t message, uint32_t wParam, uint32_t lParam) override;

private:
    KeyHandler m_keys;
};
