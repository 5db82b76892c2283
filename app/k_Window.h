#pragma once
// The application window on the platform layer: the full-screen mode change
// (falling back to a centred window), the GL context through the graphics
// device, the window's messages, and the swap that presents each frame.
#include "interfaces/IWindow.h"

class IEngine;

class k_Window : public IWindow
{
public:
    // The title is not copied: it must outlive the window.
    k_Window(const wchar_t* title, int width, int height, IEngine* engine, bool active, bool fullscreen);
    ~k_Window() override;
    k_Window(const k_Window&) = delete;
    k_Window& operator=(const k_Window&) = delete;

    void Create() override;
    int64_t HandleMessage(uint32_t message, uint32_t wParam, uint32_t lParam) override;
    bool Present() override;
    void SetActive(bool active) override { m_active = active; }
    bool IsActive() override { return m_active; }
    void SetFullscreen(bool fullscreen) override { m_fullscreen = fullscreen; }
    bool IsFullscreen() override { return m_fullscreen; }
    void SetDeviceContext(k_DeviceContext deviceContext) override { m_deviceContext = deviceContext; }
    k_DeviceContext GetDeviceContext() override { return m_deviceContext; }
    void SetTitle(const std::wstring& title) override;
    std::wstring GetTitle() override;
    k_WindowHandle GetHandle() override { return m_handle; }

    // Where a window of the outer size goes on a screen of the given size along one axis: centred,
    // then no further left than 0, then no further right than the screen's edge (which wins).
    static int CentredPosition(int outerSize, int screenSize);

protected:
    // Whether the display really runs the full-screen mode once the window is shown.
    virtual bool FullscreenHolds();

private:
    // Shows the cursor and centres the window on the display.
    void OpenCentred();

    const wchar_t* m_title;
    int m_width;
    int m_height;
    IEngine* m_engine;
    k_DeviceContext m_deviceContext = nullptr;
    k_WindowHandle m_handle = nullptr;
    bool m_active;
    bool m_fullscreen;
};
