#include "app/studio/k_StudioOverlay.h"
#include "demo/k_ShowFile.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_RecordingShell.h"

#include <epoxy/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

namespace
{
const k_ShowFile::Vocabulary k_Words{{"plasma-on"}, {"from-black"}};

// The red of the back buffer's pixel (x, y from the bottom).
int Red(int x, int y)
{
    return k_GlTestContext::ReadPixels(x, y, 1, 1)[0];
}

void Clear(float red, float green, float blue)
{
    glClearColor(red, green, blue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// The GL state the show's next frame relies on.
struct GlState
{
    GLint program = 0, texture = 0, activeTexture = 0, framebuffer = 0, alignment = 0, viewport[4] = {};
    GLboolean blend = GL_FALSE, depth = GL_FALSE, scissor = GL_FALSE, cull = GL_FALSE;

    static GlState Read()
    {
        GlState state;
        glGetIntegerv(GL_CURRENT_PROGRAM, &state.program);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &state.activeTexture);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &state.framebuffer);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &state.alignment);
        glGetIntegerv(GL_VIEWPORT, state.viewport);
        state.blend = glIsEnabled(GL_BLEND);
        state.depth = glIsEnabled(GL_DEPTH_TEST);
        state.scissor = glIsEnabled(GL_SCISSOR_TEST);
        state.cull = glIsEnabled(GL_CULL_FACE);
        return state;
    }
    bool operator==(const GlState& other) const
    {
        return program == other.program && texture == other.texture && activeTexture == other.activeTexture &&
               framebuffer == other.framebuffer && alignment == other.alignment && viewport[0] == other.viewport[0] &&
               viewport[1] == other.viewport[1] && viewport[2] == other.viewport[2] &&
               viewport[3] == other.viewport[3] && blend == other.blend && depth == other.depth &&
               scissor == other.scissor && cull == other.cull;
    }
};
} // namespace

class k_StudioOverlayGlTest : public GlTest
{
};

TEST_F(k_StudioOverlayGlTest, DrawsOverThePictureKeepsItWhilePausedAndLeavesTheGlStateAsItWas)
{
    k_GpuTestEngine engine;
    k_Trace trace;
    k_RecordingWindow window(trace);
    window.handle = static_cast<k_WindowHandle>(k_GlTestContext::GetWindow());
    k_StudioOverlay overlay(&engine, &window);
    ASSERT_TRUE(overlay.IsStarted());
    const k_ShowFile show("length 16\ntempo 1 0 bpm 120\nsection one 0\nsection two 4:1\nswitch plasma-on 4:1\n"
                          "fade from-black 4:1 8\n"
                          "caption a.png 1 3 in alpha 0.5 out alpha 0.5 at 0 0 1\n"
                          "caption b.png 2 3 in alpha 0.5 out alpha 0.5 at 0 0 1\n",
                          "Show.txt", k_Words);
    ASSERT_TRUE(show.IsValid()) << (show.GetErrors().empty() ? "" : show.GetErrors().front());
    k_StudioOverlay::State state;
    state.show = &show;
    state.status.time = 4.0;
    state.status.paused = true;

    // A state the show might leave behind, which the overlay must not change.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    const GlState before = GlState::Read();

    // The show's picture: red. The strip covers the bottom rows (GL's row 0 is the bottom); the middle of
    // the left edge stays the picture's.
    Clear(1.0f, 0.0f, 0.0f);
    overlay.DrawOver(state);
    EXPECT_TRUE(GlState::Read() == before);
    EXPECT_LT(Red(128, 5), 120);
    EXPECT_EQ(Red(10, 128), 255);

    // Paused, the kept picture comes back under the overlay drawn anew, whatever the back buffer held.
    Clear(0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(overlay.Redraw(state));
    EXPECT_EQ(Red(10, 128), 255);
    EXPECT_LT(Red(128, 5), 120);
    EXPECT_TRUE(GlState::Read() == before);

    // Tab hides the strip: its rows are the picture's again. Tab again shows it.
    EXPECT_TRUE(overlay.OnKey(k_StudioOverlay::KeyTab, false, false));
    EXPECT_TRUE(overlay.HasInput());
    EXPECT_TRUE(overlay.Redraw(state));
    EXPECT_FALSE(overlay.IsStripShown());
    EXPECT_EQ(Red(128, 5), 255);
    EXPECT_TRUE(overlay.OnKey(k_StudioOverlay::KeyTab, false, true)); // a held key's repeat does nothing
    EXPECT_FALSE(overlay.IsStripShown());
    EXPECT_TRUE(overlay.OnKey(k_StudioOverlay::KeyTab, false, false));
    EXPECT_TRUE(overlay.IsStripShown());
    EXPECT_FALSE(overlay.OnKey(0x10000u + 44u, false, false)); // Space is the transport's

    // In play nothing is kept: a redraw answers the input only.
    state.status.paused = false;
    Clear(0.0f, 1.0f, 0.0f);
    overlay.DrawOver(state);
    Clear(0.0f, 0.0f, 1.0f);
    EXPECT_FALSE(overlay.Redraw(state));
    EXPECT_EQ(Red(10, 128), 0);
    EXPECT_TRUE(GlState::Read() == before);
    EXPECT_GT(overlay.GetFontBytes(), 0u);
    glDeleteTextures(1, &texture);
}

// A press on the strip holds its cursor; Tab hides the strip and lets go at once, so that the pointer's moves
// no longer count as scrubbing (they stop the studio's jumps).
TEST_F(k_StudioOverlayGlTest, HidingTheStripDuringADragLetsGo)
{
    k_GpuTestEngine engine;
    k_Trace trace;
    k_RecordingWindow window(trace);
    window.handle = static_cast<k_WindowHandle>(k_GlTestContext::GetWindow());
    auto* sdlWindow = static_cast<SDL_Window*>(k_GlTestContext::GetWindow());
    k_StudioOverlay overlay(&engine, &window);
    ASSERT_TRUE(overlay.IsStarted());
    const k_ShowFile show("length 16\ntempo 1 0 bpm 120\nsection one 0\n", "Show.txt", k_Words);
    ASSERT_TRUE(show.IsValid());
    k_StudioOverlay::State state;
    state.show = &show;
    state.status.paused = true;
    Clear(1.0f, 0.0f, 0.0f);
    overlay.DrawOver(state);

    // The window shown and the pointer over the strip (the bottom rows), then a press.
    SDL_ShowWindow(sdlWindow);
    for (int pumped = 0; pumped < 1000 && SDL_GetMouseFocus() != sdlWindow; ++pumped)
    {
        SDL_WarpMouseInWindow(sdlWindow, k_GlTestContext::k_Width / 2, k_GlTestContext::k_Height - 10);
        SDL_WaitEventTimeout(nullptr, 10);
    }
    ASSERT_EQ(SDL_GetMouseFocus(), sdlWindow);
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.windowID = SDL_GetWindowID(sdlWindow);
    press.button.button = SDL_BUTTON_LEFT;
    press.button.state = SDL_PRESSED;
    press.button.clicks = 1;
    press.button.x = k_GlTestContext::k_Width / 2;
    press.button.y = k_GlTestContext::k_Height - 10;
    SDL_PushEvent(&press);
    overlay.Redraw(state);
    EXPECT_TRUE(overlay.TakeJump().has_value());
    EXPECT_TRUE(overlay.IsScrubbing());

    EXPECT_TRUE(overlay.OnKey(k_StudioOverlay::KeyTab, false, false));
    EXPECT_FALSE(overlay.IsScrubbing());
    overlay.Redraw(state);
    EXPECT_FALSE(overlay.IsScrubbing());
    EXPECT_FALSE(overlay.TakeJump().has_value());
    SDL_HideWindow(sdlWindow);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}
