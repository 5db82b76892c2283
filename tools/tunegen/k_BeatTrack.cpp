#include "k_BeatTrack.h"

#include "demo/k_ShowFile.h"
#include "k_Sound.h"

#include <cmath>
#include <numbers>

namespace
{
// A decaying sine from the frame on: amplitude, pitch and the seconds it takes to fall to 1/e.
void AddPing(k_StereoBuffer& buffer, std::ptrdiff_t frame, double amplitude, double hz, double decay)
{
    const double rate = k_Sound::k_SampleRate;
    const auto frames = static_cast<std::ptrdiff_t>(decay * 6.0 * rate);
    for (std::ptrdiff_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const auto v = static_cast<float>(amplitude * std::exp(-t / decay) * std::sin(2.0 * std::numbers::pi * hz * t));
        buffer.Add(frame + i, v, v);
    }
}
} // namespace

k_StereoBuffer k_BeatTrack::Render(const k_ShowFile& show)
{
    const double rate = k_Sound::k_SampleRate;
    const double length = show.GetLength();
    k_StereoBuffer buffer(static_cast<std::size_t>(std::ceil((length + TailSeconds) * rate)));
    const k_TempoMap& tempo = show.GetTempoMap();
    // Beats count from bar 1's downbeat; a pickup before it (bar 0) keeps its beats too.
    double beat = std::ceil(tempo.GetBeat(0.0) - 1e-9);
    for (double time = tempo.GetTimeOfBeat(beat); time < length; time = tempo.GetTimeOfBeat(++beat))
    {
        if (time < 0.0)
            continue;
        const auto frame = static_cast<std::ptrdiff_t>(std::llround(time * rate));
        const bool downbeat = std::fabs(tempo.GetPosition(time).beat - 1.0) < 1e-6;
        AddPing(buffer, frame, downbeat ? 0.35 : 0.25, downbeat ? DownbeatHz : ClickHz, 0.02);
        if (downbeat)
            AddPing(buffer, frame, 0.45, ThumpHz, 0.08);
    }
    return buffer;
}
