#include "support/k_WindowFixture.h"

#include "platform/k_MessagePump.h"

#include <chrono>
#include <thread>

void WindowTest::SetUp()
{
    GlTest::SetUp();
    engine = std::make_unique<k_Engine>();
    window = std::make_unique<k_Window>(L"window test", k_ClientWidth, k_ClientHeight, engine.get(), true, false);
    window->Create();
    Settle();
}

void WindowTest::TearDown()
{
    window.reset();
    engine.reset();
    DrainMessages();
    k_GlTestContext::MakeCurrent();
}

bool WindowTest::DrainMessages()
{
    // SDL ends each round of polling with a marker, so one empty peek can hide events pushed after it:
    // the queue is empty once two peeks in a row find nothing.
    bool quit = false;
    int empty = 0;
    while (empty < 2)
    {
        const k_MessagePump::Peeked peeked = k_MessagePump::PeekAndDispatch();
        empty = peeked == k_MessagePump::Peeked::None ? empty + 1 : 0;
        quit = quit || peeked == k_MessagePump::Peeked::Quit;
    }
    return quit;
}

void WindowTest::Settle()
{
    // Showing a window brings exposure, focus and size events a little later.
    int quietRounds = 0;
    for (int round = 0; round < 40 && quietRounds < 4; ++round)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        quietRounds = k_MessagePump::PeekAndDispatch() == k_MessagePump::Peeked::None ? quietRounds + 1 : 0;
        DrainMessages();
    }
}
