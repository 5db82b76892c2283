// Cost of making the show's tune at build time: mixing a stretch of the
// busiest section (the counter "x_realtime" is seconds of music per second of
// work), building the score, and encoding a stretch as Ogg Vorbis.
#include "tools/tunegen/k_Mixdown.h"
#include "tools/tunegen/k_OggWriter.h"
#include "tools/tunegen/k_Song.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace
{
void BM_MixGreetings(benchmark::State& state)
{
    const k_Song song(k_Song::LoadShowFile(ORV_SHOW_FILE));
    const double seconds = 8.0;
    for (auto _ : state)
    {
        k_StereoBuffer mix = k_Mixdown::Render(song, 150.0, 150.0 + seconds);
        benchmark::DoNotOptimize(mix.Left());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixGreetings)->Unit(benchmark::kMillisecond);

void BM_BuildScore(benchmark::State& state)
{
    // The show file is read once: the figure is the arrangement's.
    const k_ShowFile show = k_Song::LoadShowFile(ORV_SHOW_FILE);
    for (auto _ : state)
    {
        k_Song song(show);
        benchmark::DoNotOptimize(song.Tracks().data());
    }
}
BENCHMARK(BM_BuildScore)->Unit(benchmark::kMicrosecond);

void BM_EncodeOgg(benchmark::State& state)
{
    const double seconds = 8.0;
    const k_StereoBuffer mix = k_Mixdown::Render(k_Song(k_Song::LoadShowFile(ORV_SHOW_FILE)), 150.0, 150.0 + seconds);
    const std::string path = (std::filesystem::temp_directory_path() / "orvelant-bench-tune.ogg").string();
    for (auto _ : state)
        k_OggWriter::Write(path, mix, 0.5f);
    std::remove(path.c_str());
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeOgg)->Unit(benchmark::kMillisecond);
} // namespace
