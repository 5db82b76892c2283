#include "interfaces/IGraphics.h"
#include "platform/k_SdlWindow.h"
#include "support/k_WindowFixture.h"

#include <epoxy/gl.h>
#include <SDL.h>

// --- creation ---

TEST_F(WindowTest, CreateOpensAWindowWithItsOwnContextAndAnEmptyBar)
{
    EXPECT_NE(window->GetHandle(), nullptr);
    EXPECT_NE(window->GetDeviceContext(), nullptr);
    EXPECT_FALSE(window->IsFullscreen());
    EXPECT_TRUE(window->IsActive());
    EXPECT_EQ(engine->GetWindow(), window.get());
    IGraphics* graphics = engine->GetGraphics();
    EXPECT_EQ(graphics->GetWidth(), k_ClientWidth);
    EXPECT_EQ(graphics->GetHeight(), k_ClientHeight);
    EXPECT_GT(graphics->GetMaxTextureSize(), 0);

    // The empty bar is in the back buffer: black inside, the outline's top edge at y = 0.06.
    glReadBuffer(GL_BACK);
    unsigned char centre[4] = {};
    glReadPixels(k_ClientWidth / 2, k_ClientHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    EXPECT_EQ(centre[0] + centre[1] + centre[2], 0);
    bool outline = false;
    for (int y = 103; y <= 109; ++y)
    {
        unsigned char pixel[4] = {};
        glReadPixels(k_ClientWidth / 2, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        outline = outline || (pixel[0] == 51 && pixel[1] == 128 && pixel[2] == 230);
    }
    EXPECT_TRUE(outline);
    EXPECT_TRUE(window->Present());
}

TEST_F(WindowTest, TitleRoundTripsWideText)
{
    EXPECT_EQ(window->GetTitle(), L"window test");
    window->SetTitle(L"Orvelant \u2013 \u00fcber");
    EXPECT_EQ(window->GetTitle(), L"Orvelant \u2013 \u00fcber");
}

// --- full screen ---

namespace
{
// A display that takes the mode change at first and refuses it only when the window is shown.
class LateRefusalWindow : public k_Window
{
public:
    using k_Window::k_Window;

protected:
    bool FullscreenHolds() override { return false; }
};

SDL_Window* Native(IWindow& window)
{
    return reinterpret_cast<SDL_Window*>(window.GetHandle());
}
} // namespace

// Full screen in the display's own mode holds once shown and hides the cursor; closing shows it again. A display
// that refuses the mode only when the window is shown gets the refused change's answer all the same: a window of
// the client size, centred on the display, with the cursor shown.
TEST_F(WindowTest, FullscreenHoldsOrFallsBackToACentredWindow)
{
    int x = 0, y = 0, width = 0, height = 0;
    k_SdlWindow::GetScreenArea(x, y, width, height);
    ASSERT_GT(width, 0);
    {
        k_Engine fullEngine;
        k_Window full(L"full screen test", width, height, &fullEngine, true, true);
        full.Create();
        Settle();
        EXPECT_TRUE(full.IsFullscreen());
        EXPECT_TRUE(k_SdlWindow::IsFullscreenAt(full.GetHandle(), width, height));
        EXPECT_FALSE(k_SdlWindow::IsCursorShown());
        EXPECT_FALSE(k_SdlWindow::IsFullscreenAt(full.GetHandle(), width / 2, height / 2));
    }
    EXPECT_TRUE(k_SdlWindow::IsCursorShown());

    k_Engine lateEngine;
    LateRefusalWindow late(L"late refusal test", width, height, &lateEngine, true, true);
    late.Create();
    Settle();
    EXPECT_FALSE(late.IsFullscreen());
    EXPECT_EQ(SDL_GetWindowFlags(Native(late)) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_TRUE(k_SdlWindow::IsCursorShown());
    int clientWidth = 0, clientHeight = 0, left = 0, top = 0;
    SDL_GetWindowSize(Native(late), &clientWidth, &clientHeight);
    EXPECT_EQ(clientWidth, width);
    EXPECT_EQ(clientHeight, height);
    EXPECT_EQ(lateEngine.GetGraphics()->GetWidth(), width);
    int outerWidth = 0, outerHeight = 0;
    k_SdlWindow::GetOuterSize(late.GetHandle(), outerWidth, outerHeight);
    int borderTop = 0, borderLeft = 0;
    SDL_GetWindowBordersSize(Native(late), &borderTop, &borderLeft, nullptr, nullptr);
    SDL_GetWindowPosition(Native(late), &left, &top);
    EXPECT_EQ(left - borderLeft, x + k_Window::CentredPosition(outerWidth, width));
    EXPECT_EQ(top - borderTop, y + k_Window::CentredPosition(outerHeight, height));
}

// --- messages ---

TEST_F(WindowTest, SizeMessagesResizeTheGraphicsDevice)
{
    window->HandleMessage(IWindow::Size, 0, (150u << 16) | 400u);
    EXPECT_EQ(engine->GetGraphics()->GetWidth(), 400);
    EXPECT_EQ(engine->GetGraphics()->GetHeight(), 150);
    window->HandleMessage(IWindow::Size, 0, 640u);
    EXPECT_EQ(engine->GetGraphics()->GetHeight(), 1);
}

TEST_F(WindowTest, OnlyMinimisingMakesTheWindowInactive)
{
    EXPECT_EQ(window->HandleMessage(IWindow::Activate, (1u << 16) | 1u, 0), 0);
    EXPECT_FALSE(window->IsActive());
    window->HandleMessage(IWindow::Activate, 1u, 0);
    EXPECT_TRUE(window->IsActive());
    window->HandleMessage(IWindow::Activate, 0u, 0); // deactivated, not minimised: the show goes on
    EXPECT_TRUE(window->IsActive());

    EXPECT_NE(window->HandleMessage(IWindow::SysCommand, IWindow::CommandMinimize, 0), 0);
    EXPECT_FALSE(window->IsActive());
    EXPECT_NE(window->HandleMessage(IWindow::SysCommand, IWindow::CommandRestore, 0), 0);
    EXPECT_TRUE(window->IsActive());
    // Nor does SDL minimise a full-screen window on its own when another window takes the focus.
    EXPECT_FALSE(SDL_GetHintBoolean(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, SDL_TRUE));
    EXPECT_EQ(window->HandleMessage(IWindow::SysCommand, IWindow::CommandScreenSave, 0), 0);
    EXPECT_EQ(window->HandleMessage(IWindow::SysCommand, IWindow::CommandMonitorPower, 0), 0);
    // The system-command codes are compared whole.
    EXPECT_NE(window->HandleMessage(IWindow::SysCommand, IWindow::CommandScreenSave | 1u, 0), 0);
}

TEST_F(WindowTest, EscapeAndCloseRequestQuitOtherKeysAreSwallowed)
{
    EXPECT_EQ(window->HandleMessage(IWindow::KeyDown, 'A', 0), 0);
    EXPECT_EQ(window->HandleMessage(IWindow::KeyDown, 0x10000u | 41u, 0), 0);
    EXPECT_FALSE(DrainMessages());
    EXPECT_EQ(window->HandleMessage(IWindow::KeyDown, IWindow::KeyEscape, 0), 0);
    EXPECT_TRUE(DrainMessages());
    EXPECT_EQ(window->HandleMessage(IWindow::Close, 0, 0), 0);
    EXPECT_TRUE(DrainMessages());
    EXPECT_NE(window->HandleMessage(0x0400, 0, 0), 0); // anything else: not handled here
}
