#include "app/k_MainLoop.h"
#include "demo/k_Show.h"
#include "interfaces/ITimeline.h"
#include "platform/k_MessagePump.h"
#include "support/k_WindowFixture.h"

#include <SDL.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace
{
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The show: clears as the real one does, and quits after the first frame it begins.
class OneFrameDemo : public k_Show
{
public:
    explicit OneFrameDemo(IEngine* engine) : k_Show(engine, {{}, {}}) {}
    void BeginFrame() override
    {
        k_Show::BeginFrame();
        ++frames;
        k_MessagePump::PostQuit();
    }
    int frames = 0;
};

void PushWindowEvent(IWindow& window, Uint8 kind)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(window.GetHandle()));
    event.window.event = kind;
    SDL_PushEvent(&event);
}
} // namespace

// Minimised, the real loop sleeps in the event queue instead of spinning: over a second it uses a small share of
// a core (a spinning loop takes a whole one). The restore (pushed from another thread, as the window system would
// deliver it) wakes it, and the first frame's step covers the whole minimised second, so the picture catches up with
// the music.
TEST_F(WindowTest, MinimisedLoopSleepsAndTheFirstFrameCatchesUp)
{
    OneFrameDemo demo(engine.get());
    k_MainLoop loop(engine.get(), window.get(), &demo);
    PushWindowEvent(*window, SDL_WINDOWEVENT_MINIMIZED);
    loop.Start();

    const auto started = std::chrono::steady_clock::now();
    std::thread restorer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        PushWindowEvent(*window, SDL_WINDOWEVENT_RESTORED);
    });
    const double cpuBefore = ThreadCpuSeconds();
    loop.Run();
    const double cpu = ThreadCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    restorer.join();

    RecordProperty("minimised_cpu_seconds", std::to_string(cpu));
    EXPECT_EQ(demo.frames, 1);
    EXPECT_GE(wall, 0.99);
    EXPECT_LT(wall, 20.0) << "the restore woke the loop";
    EXPECT_LT(cpu, 0.05) << "the minimised loop used " << cpu << " s of CPU in " << wall << " s";
    EXPECT_GE(engine->GetTimeline()->GetRealTime(), 0.99) << "the first frame's step covers the minimised time";
}
