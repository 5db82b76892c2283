// Seeking the whole show: the scheduler's rewind and replay of every caption, fade and switch (nothing drawn),
// from 0 to the last caption and back; and the warm-up a capture draws before a time sought to (two seconds
// of frames at 10 fps), on the test context's 256 x 256 window.
#include "demo/k_Demo.h"
#include "support/k_GlTestContext.h"
#include "support/k_ShowTestEngine.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace
{
struct Show
{
    std::unique_ptr<k_ShowTestEngine> engine = std::make_unique<k_ShowTestEngine>();
    std::unique_ptr<k_Demo> demo = std::make_unique<k_Demo>(engine.get());
    Show() { demo->Build(); }
    ~Show()
    {
        demo.reset();
        engine.reset();
    }
};

void BM_SeekTo190AndBack(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Show show;
    for (auto _ : state)
    {
        show.engine->Seek(190.0);
        show.engine->Seek(0.0);
    }
}
BENCHMARK(BM_SeekTo190AndBack)->Unit(benchmark::kMicrosecond);

void BM_SeekAndWarmUpAt10Fps(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Show show;
    const auto frames = static_cast<int>(std::ceil(k_Demo::WarmUpSeconds * 10.0));
    for (auto _ : state)
    {
        show.engine->Seek(150.0 - k_Demo::WarmUpSeconds);
        for (int i = 0; i < frames; ++i)
        {
            show.demo->BeginFrame();
            show.engine->Update(0.1);
        }
        k_GlTestContext::ReadPixels(0, 0, 1, 1); // waits for the frames to be drawn
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_SeekAndWarmUpAt10Fps)->Unit(benchmark::kMillisecond);
} // namespace
