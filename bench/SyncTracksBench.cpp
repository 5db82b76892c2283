// A sync track's value, read every frame for each track the show uses: a track of 1,000 keys of every
// interpolation, read at times spread over the show (through a tempo map of four spans). And a speed track's
// sum over time (the plasma's clock), read every frame once its table is made.
#include "animation/k_TempoMap.h"
#include "engine/k_SyncTracks.h"

#include <benchmark/benchmark.h>

namespace
{
const k_TempoMap k_Tempo({{1, 1.0, 4, 0.0}, {14, 27.0, 4, 0.0}, {39, 76.6, 4, 0.0}, {69, 137.0, 4, 120.0}});

template <bool Integral> void ReadTrack(benchmark::State& state)
{
    k_SyncTracks tracks(&k_Tempo, 8);
    const int track = tracks.GetTrack("camera:x");
    for (int i = 0; i < static_cast<int>(state.range(0)); ++i)
        tracks.SetKey(track, {i * 3, static_cast<float>(i % 17), i % 4});
    double time = 0.0;
    double sum = Integral ? tracks.GetIntegral(track, 0.0, 1.0) : 0.0; // makes the table, outside the timing
    for (auto _ : state)
    {
        sum += Integral ? tracks.GetIntegral(track, time, 1.0) : *tracks.GetValue(track, time);
        time += 0.0333;
        if (time > 200.0)
            time = 0.0;
    }
    benchmark::DoNotOptimize(sum);
}

void BM_SyncTrackValue(benchmark::State& state)
{
    ReadTrack<false>(state);
}
void BM_SyncTrackIntegral(benchmark::State& state)
{
    ReadTrack<true>(state);
}
BENCHMARK(BM_SyncTrackValue)->Arg(10)->Arg(1000);
BENCHMARK(BM_SyncTrackIntegral)->Arg(10)->Arg(1000);
} // namespace
