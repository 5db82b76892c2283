#include "app/k_MainLoop.h"
#include "support/k_RecordingShell.h"

#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using Trace = k_Trace;

// A scripted message queue and a counter at 1000 ticks per second that the script moves.
class ScriptedLoop : public ::testing::Test
{
protected:
    using Peeked = k_MessagePump::Peeked;

    Trace trace;
    k_RecordingEngine engine{trace};
    k_RecordingWindow window{trace};
    k_RecordingDemo demo{&engine, trace};
    // Each peek takes the next step; an empty script ends the run with a quit.
    std::deque<std::function<Peeked()>> script;
    int64_t ticks = 0;
    int waits = 0;

    k_MainLoop MakeLoop()
    {
        return k_MainLoop(
            &engine, &window, &demo,
            [this] {
                if (script.empty())
                    return Peeked::Quit;
                auto step = script.front();
                script.pop_front();
                return step();
            },
            [this] { return ticks; }, [] { return int64_t{1000}; }, [this] { ++waits; });
    }
    std::function<Peeked()> Message()
    {
        return [] { return Peeked::Dispatched; };
    }
    std::function<Peeked()> Nothing(int64_t advance = 0)
    {
        return [this, advance] {
            ticks += advance;
            return Peeked::None;
        };
    }
};
} // namespace

// Every waiting message is served before a frame; a frame is BeginFrame, Update with the step, Present.
TEST_F(ScriptedLoop, MessagesFirstThenOneFrameInOrder)
{
    k_MainLoop loop = MakeLoop();
    ticks = 100;
    loop.Start();
    script = {Message(), Message(), Nothing(250), Message(), Nothing(50)};
    loop.Run();
    const Trace expected = {"begin", "update 0.250000", "present", "begin", "update 0.050000", "present"};
    EXPECT_EQ(trace, expected);
}

// While minimised nothing is drawn and the clock is not read; the loop sleeps on each empty turn instead of
// spinning, and the next frame gets the whole interval.
TEST_F(ScriptedLoop, MinimisedTimeBecomesTheNextStep)
{
    k_MainLoop loop = MakeLoop();
    loop.Start();
    script = {Nothing(20),
              [this] {
                  window.active = false;
                  return Peeked::Dispatched;
              },
              Nothing(1000),
              Nothing(2000),
              [this] {
                  window.active = true;
                  return Peeked::Dispatched;
              },
              Nothing(500)};
    loop.Run();
    const Trace expected = {"begin", "update 0.020000", "present", "begin", "update 3.500000", "present"};
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(waits, 2) << "one sleep for each empty turn while minimised, none while active";
}

// The engine's quit request ends the loop before the next frame, but only while the window is active.
TEST_F(ScriptedLoop, QuitRequestIsCheckedBeforeEachActiveFrame)
{
    k_MainLoop loop = MakeLoop();
    loop.Start();
    engine.quitAfterUpdates = 2;
    // The script never runs dry: only the quit request can end this run.
    for (int i = 0; i < 100; ++i)
        script.push_back(Nothing(10));
    loop.Run();
    EXPECT_EQ(trace.size(), 6u) << "two frames, then the request stops the third";
    EXPECT_EQ(script.size(), 97u);

    trace.clear();
    window.active = false;
    engine.quit = true;
    script = {Nothing(), Nothing()}; // minimised: the request waits; the queue's quit ends the run
    loop.Run();
    EXPECT_TRUE(trace.empty());
}
