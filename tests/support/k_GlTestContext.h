#pragma once
// A real OpenGL context for tests: a hidden SDL window with a compatibility
// profile context (Mesa llvmpipe under Xvfb in CI), made current, desktop OpenGL 3.0
// or newer checked (libepoxy loads the entry points).
// One context serves the whole test process; tests derive from GlTest.
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

class k_GlTestContext
{
public:
    static constexpr int k_Width = 256;
    static constexpr int k_Height = 256;

    // Creates the process's context on first use; fails the calling test if no display or GL is available.
    static bool Ensure();
    // Makes the test context current again (after a test made a context of its own).
    static void MakeCurrent();
    // The hidden window, as the platform layer's handle (an SDL_Window).
    static void* GetWindow();
    // Swaps the hidden window's buffers.
    static void Swap();
    // The window's pixels (RGBA, bottom row first) read back with glReadPixels.
    static std::vector<uint8_t> ReadPixels(int x, int y, int width, int height);
    // Draws one quad over the whole viewport (clip space -1 to 1) with whatever program and state are set.
    static void DrawViewportQuad();
};

class GlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(k_GlTestContext::Ensure()) << "no OpenGL context (is DISPLAY set? run under xvfb-run)";
    }
};
