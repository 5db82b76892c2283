// The per-frame cost of the scheduler with the show's load (about 150 events and 60
// intervals over three minutes), and of evaluating paths.
#include "animation/k_AnimationManager.h"
#include "animation/k_Path.h"
#include "engine/k_Timeline.h"
#include "support/k_FakeEngine.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace
{
// Just the two services the scheduler reaches, handed out by the tests' stand-in engine.
struct ClockEngine
{
    k_FakeEngine engine;
    k_Timeline m_timeline{&engine};
    k_AnimationManager m_manager{&engine};

    ClockEngine()
    {
        engine.timeline = &m_timeline;
        engine.animationManager = &m_manager;
    }
};

struct Target : IEvent, IAnimateable
{
    double sum = 0;
    void Trigger(int code) override { sum += code; }
    void Animate(double progress, int code) override { sum += progress * code; }
};

constexpr double ShowLength = 180.0;

// 150 events and 60 intervals of 4 to 12 seconds spread over the show.
std::unique_ptr<ClockEngine> BuildShow(Target& target)
{
    auto engine = std::make_unique<ClockEngine>();
    for (int i = 0; i < 150; ++i)
        engine->m_manager.AddEvent(i * ShowLength / 150.0, &target, i);
    for (int i = 0; i < 60; ++i)
    {
        const int slot = i % 5 == 4 ? i - 1 : i; // every fifth shares its predecessor's start
        const double start = slot * ShowLength / 60.0;
        engine->m_manager.AddAnimation(start, start + 4.0 + (i % 3) * 4.0, &target, i);
    }
    return engine;
}
} // namespace

// One frame of a show played at 60 frames per second: Advance, which runs Update.
static void BM_AnimationManagerUpdate_ShowFrame(benchmark::State& state)
{
    Target target;
    auto engine = BuildShow(target);
    for (auto _ : state)
    {
        engine->m_timeline.Advance(1.0 / 60.0);
        if (engine->m_timeline.GetTime() > ShowLength)
        {
            state.PauseTiming();
            engine = BuildShow(target);
            state.ResumeTiming();
        }
    }
    benchmark::DoNotOptimize(target.sum);
}
BENCHMARK(BM_AnimationManagerUpdate_ShowFrame);

// Update alone at a fixed moment in the middle of the show (three intervals active).
static void BM_AnimationManagerUpdate_MidShow(benchmark::State& state)
{
    Target target;
    auto engine = BuildShow(target);
    engine->m_timeline.Advance(ShowLength / 2 + 0.001);
    for (auto _ : state)
        engine->m_manager.Update();
    benchmark::DoNotOptimize(target.sum);
}
BENCHMARK(BM_AnimationManagerUpdate_MidShow);

// A path of 16 keys evaluated across its range; the argument is the method.
static void BM_PathGetValue(benchmark::State& state)
{
    k_Path<k_VectorUA> path(nullptr);
    for (int i = 0; i < 16; ++i)
        path.SetKey(static_cast<float>(i), k_VectorUA(i, i * 2.0f, i * 3.0f, 1));
    path.SetInterpolation(static_cast<int>(state.range(0)));
    float t = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(path.GetValue(t));
        t = t > 15.0f ? 0.0f : t + 0.37f;
    }
}
BENCHMARK(BM_PathGetValue)->Arg(0)->Arg(1);
