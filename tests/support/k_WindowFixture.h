#pragma once
// A real engine and a real application window (windowed, 320 x 200) with
// its own GL context, for tests of the window and its messages. The shared
// test context is made current again afterwards.
#include "app/k_Window.h"
#include "engine/k_Engine.h"
#include "support/k_GlTestContext.h"

#include <memory>

class WindowTest : public GlTest
{
protected:
    static constexpr int k_ClientWidth = 320;
    static constexpr int k_ClientHeight = 200;

    void SetUp() override;
    void TearDown() override;
    // Takes every waiting message; returns true when a quit request was among them.
    bool DrainMessages();
    // Serves the window system's own events until it has been quiet for a while.
    void Settle();

    std::unique_ptr<k_Engine> engine;
    std::unique_ptr<k_Window> window;
};
