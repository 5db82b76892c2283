#include "k_LeadSynth.h"

#include "k_Envelope.h"
#include "k_Filter.h"
#include "k_Oscillator.h"
#include "k_Random.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace
{
constexpr float k_Release = 0.22f;
}

double k_LeadSynth::Tail() const
{
    return k_Release * 1.2 + 0.05;
}

void k_LeadSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    k_Oscillator saws[3] = {k_Oscillator(k_Oscillator::Wave::Saw, random.Unit()),
                            k_Oscillator(k_Oscillator::Wave::Saw, random.Unit()),
                            k_Oscillator(k_Oscillator::Wave::Saw, random.Unit())};
    k_Oscillator sub(k_Oscillator::Wave::Square, random.Unit());
    const float cents[3] = {-9.0f, 0.0f, 8.0f};
    k_Envelope amp(0.006f, 0.35f, 0.72f, k_Release);
    k_Filter left(k_Filter::Mode::LowPass), right(k_Filter::Mode::LowPass);
    const float base = 900.0f + 2600.0f * note.param;
    const float level = 0.15f * note.velocity;

    double hz[3];
    double subHz = 0.0;
    Play(note, out, origin, amp, [&](std::size_t n, std::ptrdiff_t frame, float env) {
        if ((n & 7) == 0)
        {
            const float t = static_cast<float>(n) / k_Sound::k_SampleRate;
            // Vibrato waits a quarter second, then grows to about a tenth of a semitone.
            const float depth = 0.11f * std::clamp((t - 0.25f) / 0.35f, 0.0f, 1.0f);
            const float vibrato = depth * std::sin(2.0f * static_cast<float>(k_Sound::k_Pi) * 5.3f * t);
            for (int i = 0; i < 3; ++i)
                hz[i] = k_Sound::MidiToHz(note.pitch + vibrato + cents[i] / 100.0f);
            subHz = k_Sound::MidiToHz(note.pitch - 12.0f + vibrato);
            const float sweep = std::exp(-t / 0.22f);
            const float cutoff = base * (1.0f + 2.2f * sweep);
            left.Set(cutoff, 0.35f);
            right.Set(cutoff * 1.04f, 0.35f);
        }
        const float a = saws[0].Next(hz[0]);
        const float b = saws[1].Next(hz[1]);
        const float c = saws[2].Next(hz[2]);
        const float s = sub.Next(subHz) * 0.35f;
        const float gain = env * level;
        out.Add(frame, left.Process(a * 0.9f + b * 0.7f + c * 0.3f + s) * gain,
                right.Process(a * 0.3f + b * 0.7f + c * 0.9f + s) * gain);
    });
}
