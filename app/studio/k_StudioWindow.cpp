#include "app/studio/k_StudioWindow.h"

k_StudioWindow::k_StudioWindow(const wchar_t* title, int width, int height, IEngine* engine, KeyHandler keys)
    : k_Window(title, width, height, engine, true, false), m_keys(std::move(keys))
{
}

int64_t k_StudioWindow::HandleMessage(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    if (message == KeyDown && wParam != KeyEscape && m_keys)
    {
        m_keys(wParam, (lParam & KeyShift) != 0, (lParam & 1u) != 0);
        return 0;
    }
    return k_Window::HandleMessage(message, wParam, lParam);
}
