#include "k_PluckSynth.h"

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
constexpr float k_Release = 0.08f;
}

k_PluckSynth::k_PluckSynth(float decay) : m_Decay(decay) {}

double k_PluckSynth::Tail() const
{
    return k_Release * 1.2 + 0.05;
}

void k_PluckSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    k_Oscillator saw(k_Oscillator::Wave::Saw, random.Unit());
    k_Oscillator square(k_Oscillator::Wave::Square, random.Unit());
    k_Envelope amp(0.002f, m_Decay, 0.0f, k_Release);
    k_Filter left(k_Filter::Mode::LowPass), right(k_Filter::Mode::LowPass);
    const double sawHz = k_Sound::MidiToHz(note.pitch - 0.04f);
    const double squareHz = k_Sound::MidiToHz(note.pitch + 0.04f);
    const float level = 0.2f * note.velocity;
    const float open = 150.0f + 7000.0f * note.param * note.param;

    Play(note, out, origin, amp, [&](std::size_t n, std::ptrdiff_t frame, float env) {
        if ((n & 7) == 0)
        {
            const float t = static_cast<float>(n) / k_Sound::k_SampleRate;
            const float cutoff = 180.0f + open * std::exp(-t / 0.07f);
            left.Set(cutoff, 0.5f);
            right.Set(cutoff * 1.1f, 0.5f);
        }
        const float a = saw.Next(sawHz);
        const float b = square.Next(squareHz) * 0.6f;
        const float gain = env * level;
        out.Add(frame, left.Process(a * 0.8f + b * 0.4f) * gain, right.Process(a * 0.4f + b * 0.8f) * gain);
    });
}
