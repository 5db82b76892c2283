// The shell's share of every frame: taking the (empty) message queue, reading
// the counter, clearing the screen for the frame and presenting it, on a real
// 1280 x 720 window with its own GL context (run under xvfb-run without a display).
#include "app/k_Window.h"
#include "demo/k_Demo.h"
#include "engine/k_Engine.h"
#include "platform/k_MessagePump.h"
#include "platform/k_PerformanceCounter.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace
{
struct Shell
{
    std::unique_ptr<k_Engine> engine = std::make_unique<k_Engine>();
    std::unique_ptr<k_Window> window = std::make_unique<k_Window>(L"shell bench", 1280, 720, engine.get(), true, false);
    std::unique_ptr<k_Demo> demo = std::make_unique<k_Demo>(engine.get());
    Shell() { window->Create(); }
};

// The loop's turn when nothing is waiting: one peek that finds the queue empty.
void BM_ShellEmptyMessageQueue(benchmark::State& state)
{
    Shell shell;
    while (k_MessagePump::PeekAndDispatch() != k_MessagePump::Peeked::None)
    {
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(k_MessagePump::PeekAndDispatch());
}
BENCHMARK(BM_ShellEmptyMessageQueue);

// Everything the loop does around the engine's Update: counter, BeginFrame's clear, Present's swap.
void BM_ShellFrameAround1280x720(benchmark::State& state)
{
    Shell shell;
    int64_t previous = k_PerformanceCounter::Read();
    double elapsed = 0.0;
    for (auto _ : state)
    {
        while (k_MessagePump::PeekAndDispatch() != k_MessagePump::Peeked::None)
        {
        }
        const int64_t current = k_PerformanceCounter::Read();
        elapsed = static_cast<double>(current - previous) / static_cast<double>(k_PerformanceCounter::Frequency());
        previous = k_PerformanceCounter::Read();
        shell.demo->BeginFrame();
        benchmark::DoNotOptimize(shell.window->Present());
    }
    benchmark::DoNotOptimize(elapsed);
}
BENCHMARK(BM_ShellFrameAround1280x720)->Unit(benchmark::kMillisecond);
} // namespace
