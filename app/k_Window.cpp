#include "app/k_Window.h"

#include "engine/k_Log.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "platform/k_MessagePump.h"
#include "platform/k_SdlGlContext.h"
#include "platform/k_SdlWindow.h"
#include "platform/k_Signals.h"

k_Window::k_Window(const wchar_t* title, int width, int height, IEngine* engine, bool active, bool fullscreen)
    : m_title(title), m_width(width), m_height(height), m_engine(engine), m_active(active), m_fullscreen(fullscreen)
{
}

// --- creation ---

int k_Window::CentredPosition(int outerSize, int screenSize)
{
    int position = (screenSize - outerSize) / 2;
    if (position < 0)
        position = 0;
    if (position + outerSize > screenSize)
        position = screenSize - outerSize;
    return position;
}

void k_Window::Create()
{
    m_handle = k_SdlWindow::Create(m_title ? m_title : L"", m_width, m_height);
    if (!m_handle)
    {
        k_Log(k_Log::Colour::Error) << "Window: " << k_SdlWindow::GetError();
        throw L"Cannot create Window!";
    }
    k_SdlWindow::SetOwner(m_handle, this);

    if (m_fullscreen)
    {
        k_SdlWindow::ShowCursor(false);
        if (!k_SdlWindow::EnterFullscreen(m_handle, m_width, m_height))
        {
            k_Log() << "Window: full screen at " << m_width << "x" << m_height
                    << " is not possible, opening a window instead (" << k_SdlWindow::GetError() << ")";
            m_fullscreen = false;
        }
    }
    if (!m_fullscreen)
        OpenCentred();

    m_deviceContext = k_SdlWindow::GetDeviceContext(m_handle);
    if (!m_deviceContext)
        throw L"Cannot get Device Context!";

    IGraphics* graphics = m_engine->GetGraphics();
    graphics->CreateContext(m_deviceContext);
    graphics->Initialize();
    graphics->Resize(m_width, m_height);
    m_engine->SetWindow(this);
    k_SdlWindow::Show(m_handle);
    // The display changes its mode only now, as the window is shown, and may refuse it then.
    if (m_fullscreen && !FullscreenHolds())
    {
        k_Log() << "Window: the display refused " << m_width << "x" << m_height
                << " when the window was shown, opening a window instead";
        k_SdlWindow::LeaveFullscreen(m_handle);
        m_fullscreen = false;
        OpenCentred();
        graphics->Resize(m_width, m_height);
    }
}

void k_Window::OpenCentred()
{
    k_SdlWindow::ShowCursor(true);
    int screenX = 0, screenY = 0, screenWidth = 0, screenHeight = 0, outerWidth = 0, outerHeight = 0;
    k_SdlWindow::GetScreenArea(screenX, screenY, screenWidth, screenHeight);
    k_SdlWindow::GetOuterSize(m_handle, outerWidth, outerHeight);
    k_SdlWindow::SetPosition(m_handle, screenX + CentredPosition(outerWidth, screenWidth),
                             screenY + CentredPosition(outerHeight, screenHeight));
}

bool k_Window::FullscreenHolds()
{
    return k_SdlWindow::IsFullscreenAt(m_handle, m_width, m_height);
}

k_Window::~k_Window()
{
    k_SdlWindow::SetOwner(m_handle, nullptr);
    if (m_fullscreen)
    {
        k_SdlWindow::LeaveFullscreen(m_handle);
        k_SdlWindow::ShowCursor(true);
    }
    if (m_engine && m_engine->GetGraphics())
        m_engine->GetGraphics()->DestroyContext();
    m_deviceContext = nullptr;
    if (m_handle)
    {
        k_SdlWindow::Destroy(m_handle);
        m_handle = nullptr;
    }
}

// --- messages ---

int64_t k_Window::HandleMessage(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    switch (message)
    {
    case Size:
        if (IGraphics* graphics = m_engine->GetGraphics())
            graphics->Resize(static_cast<int>(lParam & 0xFFFF), static_cast<int>(lParam >> 16));
        return 0;
    case Activate:
        SetActive((wParam >> 16) == 0);
        return 0;
    case Close:
        k_MessagePump::PostQuit();
        return 0;
    case KeyDown:
        if (wParam == KeyEscape)
            k_MessagePump::PostQuit();
        return 0;
    case SysCommand:
        if (wParam == CommandScreenSave || wParam == CommandMonitorPower)
            return 0;
        if (wParam == CommandMinimize)
            SetActive(false);
        else if (wParam == CommandRestore)
            SetActive(true);
        return 1; // the platform does the rest
    default:
        return 1; // not handled here
    }
}

bool k_Window::Present()
{
    // The show presents after each loading step: a signal while it loads ends the program here.
    k_Signals::ThrowIfCaught();
    return k_SdlGlContext::Swap(m_deviceContext);
}

void k_Window::SetTitle(const std::wstring& title)
{
    k_SdlWindow::SetTitle(m_handle, title);
}

std::wstring k_Window::GetTitle()
{
    return k_SdlWindow::GetTitle(m_handle);
}
