#include "k_BassSynth.h"

#include "k_Envelope.h"
#include "k_Filter.h"
#include "k_Oscillator.h"
#include "k_Random.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <cmath>
#include <cstddef>

namespace
{
constexpr float k_Release = 0.05f;
}

double k_BassSynth::Tail() const
{
    return k_Release * 1.2 + 0.05;
}

void k_BassSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    k_Oscillator saw(k_Oscillator::Wave::Saw, random.Unit());
    k_Oscillator sine(k_Oscillator::Wave::Sine, 0.0f);
    k_Envelope amp(0.004f, 0.25f, 0.75f, k_Release);
    k_Filter filter(k_Filter::Mode::LowPass);
    const double hz = k_Sound::MidiToHz(note.pitch);
    const float level = 0.34f * note.velocity;
    const float open = 200.0f + 1400.0f * note.param;

    Play(note, out, origin, amp, [&](std::size_t n, std::ptrdiff_t frame, float env) {
        if ((n & 7) == 0)
        {
            const float t = static_cast<float>(n) / k_Sound::k_SampleRate;
            filter.Set(110.0f + open * std::exp(-t / 0.11f), 0.3f);
        }
        const float tone = filter.Process(saw.Next(hz)) + 0.6f * sine.Next(hz);
        const float s = std::tanh(1.4f * tone) * env * level;
        out.Add(frame, s, s);
    });
}
