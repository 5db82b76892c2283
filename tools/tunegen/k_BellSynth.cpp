#include "k_BellSynth.h"

#include "k_Envelope.h"
#include "k_Random.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <cmath>
#include <cstddef>

namespace
{
constexpr float k_Release = 0.9f;
}

double k_BellSynth::Tail() const
{
    return k_Release * 1.2 + 0.05;
}

void k_BellSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    k_Envelope amp(0.002f, 2.8f, 0.0f, k_Release);
    const double hz = k_Sound::MidiToHz(note.pitch);
    const double carrierStep = hz / k_Sound::k_SampleRate;
    const double modulatorStep = 3.5 * carrierStep;
    const double shimmerStep = 2.0 * carrierStep * 1.0015;
    double carrier = random.Unit(), modulator = 0.0, shimmer = random.Unit();
    float gainLeft, gainRight;
    k_Sound::Balance(2.0f * note.param - 1.0f, gainLeft, gainRight);
    const float level = 0.16f * note.velocity;
    const double twoPi = 2.0 * k_Sound::k_Pi;

    Play(note, out, origin, amp, [&](std::size_t n, std::ptrdiff_t frame, float env) {
        const double t = static_cast<double>(n) / k_Sound::k_SampleRate;
        const double index = 2.2 * std::exp(-t / 0.35) + 0.25;
        const double s = std::sin(twoPi * carrier + index * std::sin(twoPi * modulator)) +
                         0.25 * std::exp(-t / 0.6) * std::sin(twoPi * shimmer);
        carrier += carrierStep;
        modulator += modulatorStep;
        shimmer += shimmerStep;
        carrier -= std::floor(carrier);
        modulator -= std::floor(modulator);
        shimmer -= std::floor(shimmer);
        const float v = static_cast<float>(s) * env * level;
        out.Add(frame, v * gainLeft, v * gainRight);
    });
}
