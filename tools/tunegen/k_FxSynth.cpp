#include "k_FxSynth.h"

#include "k_Filter.h"
#include "k_Oscillator.h"
#include "k_Random.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

double k_FxSynth::Tail() const
{
    return 3.0;
}

void k_FxSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    const std::ptrdiff_t first = k_Sound::FrameOf(note.start, origin);
    const double sr = k_Sound::k_SampleRate;
    const int code = static_cast<int>(std::lround(note.pitch));
    const double length = code == 2 ? 3.0 : note.length;
    const std::size_t frames = static_cast<std::size_t>(length * sr);
    k_Filter left(k_Filter::Mode::BandPass), right(k_Filter::Mode::BandPass);
    k_Filter low(k_Filter::Mode::LowPass, 300.0f, 0.0f);
    k_Oscillator boom(k_Oscillator::Wave::Sine, 0.0f);
    k_Oscillator saw(k_Oscillator::Wave::Saw, 0.0f);
    double boomPhase = 0.0;

    for (std::size_t n = 0; n < frames; ++n)
    {
        const std::ptrdiff_t frame = first + static_cast<std::ptrdiff_t>(n);
        if (frame >= static_cast<std::ptrdiff_t>(out.Frames()))
            break;
        const float t = static_cast<float>(n / sr);
        const float x = static_cast<float>(n) / static_cast<float>(frames); // 0 to 1 over the effect
        // Fades at both ends: no effect starts or stops with a click, even one cut off at full level.
        const float edges = std::min({1.0f, static_cast<float>(n) / 64.0f, static_cast<float>(frames - n) / 600.0f});
        float l = 0.0f, r = 0.0f;
        if (code == 1)
        {
            if ((n & 15) == 0)
            {
                const float hz = 250.0f * std::pow(40.0f, x);
                left.Set(hz, 0.55f);
                right.Set(hz * 1.07f, 0.55f);
            }
            const float tone = saw.Next(k_Sound::MidiToHz(45.0f + 24.0f * x * x)) * 0.1f;
            const float env = x * x * (0.4f + 0.6f * x);
            l = (left.Process(random.Bipolar()) * 0.85f + tone) * env;
            r = (right.Process(random.Bipolar()) * 0.85f + tone) * env;
        }
        else if (code == 2)
        {
            // A sine falling from 90 to 35 Hz under a dull thud of noise.
            boomPhase += (35.0 + 55.0 * std::exp(-t / 0.18)) / sr;
            const float env = std::exp(-t / 0.7f);
            const float v = static_cast<float>(std::sin(2.0 * k_Sound::k_Pi * boomPhase)) * env +
                            low.Process(random.Bipolar()) * std::exp(-t / 0.12f) * 1.2f;
            l = r = 0.85f * v;
        }
        else if (code == 3)
        {
            if ((n & 15) == 0)
            {
                const float hz = 600.0f + 7000.0f * x * x;
                left.Set(hz, 0.2f);
                right.Set(hz * 1.1f, 0.2f);
            }
            const float env = std::pow(x, 3.0f);
            l = left.Process(random.Bipolar()) * env * 1.4f;
            r = right.Process(random.Bipolar()) * env * 1.4f;
        }
        const float gain = note.velocity * edges;
        out.Add(frame, l * gain, r * gain);
    }
}
