#include "k_DrumKit.h"

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
// Frequencies of the square partials that make a hi-hat and cymbal sound metallic rather than like plain noise.
constexpr double k_MetalHz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};

struct Hit
{
    float left;
    float right;
};

// A fade over the first samples: even a sharp drum must not start with a step.
float Onset(std::size_t n)
{
    return n < 32 ? static_cast<float>(n) / 32.0f : 1.0f;
}
} // namespace

double k_DrumKit::Tail() const
{
    return 2.6;
}

void k_DrumKit::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    const std::ptrdiff_t first = k_Sound::FrameOf(note.start, origin);
    float panLeft, panRight;
    k_Sound::Balance(2.0f * note.param - 1.0f, panLeft, panRight);
    const int code = static_cast<int>(std::lround(note.pitch));
    const double sr = k_Sound::k_SampleRate;

    double length = 0.5;
    switch (code)
    {
    case 36:
        length = 0.55;
        break;
    case 38:
    case 39:
        length = 0.45;
        break;
    case 42:
        length = 0.12;
        break;
    case 46:
        length = 0.5;
        break;
    case 49:
        length = 2.5;
        break;
    default:
        length = 0.15;
        break;
    }
    const std::size_t frames = static_cast<std::size_t>(length * sr);

    k_Filter band(k_Filter::Mode::BandPass), high(k_Filter::Mode::HighPass), highRight(k_Filter::Mode::HighPass);
    k_Oscillator body(k_Oscillator::Wave::Sine, 0.0f);
    k_Oscillator metal[6];
    for (int i = 0; i < 6; ++i)
        metal[i] = k_Oscillator(k_Oscillator::Wave::Square, random.Unit());
    double phase = 0.0;
    switch (code)
    {
    case 38:
        band.Set(1800.0f, 0.2f);
        high.Set(900.0f, 0.0f);
        break;
    case 39:
        band.Set(1150.0f, 0.55f);
        break;
    case 37:
        band.Set(3200.0f, 0.85f);
        break;
    case 40:
        band.Set(2100.0f, 0.85f);
        break;
    case 42:
    case 46:
        high.Set(7500.0f, 0.1f);
        break;
    case 49:
        high.Set(4200.0f, 0.0f);
        highRight.Set(4200.0f, 0.0f);
        break;
    default:
        break;
    }

    for (std::size_t n = 0; n < frames; ++n)
    {
        const std::ptrdiff_t frame = first + static_cast<std::ptrdiff_t>(n);
        if (frame >= static_cast<std::ptrdiff_t>(out.Frames()))
            break;
        const float t = static_cast<float>(n / sr);
        // Every drum dies away to silence at the end of its length.
        const float end = std::min(1.0f, static_cast<float>(frames - n) / 256.0f);
        Hit hit{0.0f, 0.0f};
        switch (code)
        {
        case 36: {
            // A sine dropping from a thump to a low boom, with a short click on top.
            const double hz = 48.0 + 170.0 * std::exp(-t / 0.028) + 40.0 * std::exp(-t / 0.005);
            phase += hz / sr;
            const float env = std::exp(-t / 0.32f) * std::min(1.0f, t / 0.0015f + 0.05f);
            const float click = random.Bipolar() * std::exp(-t / 0.0025f) * 0.35f;
            const float v =
                0.85f * (std::tanh(1.8f * static_cast<float>(std::sin(2.0 * k_Sound::k_Pi * phase)) * env) + click);
            hit = {v, v};
            break;
        }
        case 38: {
            const float tone = body.Next(185.0 + 60.0 * std::exp(-t / 0.01)) * std::exp(-t / 0.07f) * 0.7f;
            const float noise = band.Process(random.Bipolar()) * 1.3f + high.Process(random.Bipolar()) * 0.5f;
            const float v = 0.6f * (tone + noise * std::exp(-t / 0.14f));
            hit = {v, v};
            break;
        }
        case 39: {
            // Three quick slaps and a short tail.
            float env = std::exp(-t / 0.11f);
            for (float slap : {0.0f, 0.011f, 0.022f})
                if (t >= slap)
                    env = std::max(env, std::exp(-(t - slap) / 0.006f));
            const float v = band.Process(random.Bipolar()) * env * 1.8f;
            hit = {v, v};
            break;
        }
        case 37:
        case 40: {
            const float v = band.Process(random.Bipolar()) * std::exp(-t / 0.012f) * 0.75f;
            hit = {v, v};
            break;
        }
        case 42:
        case 46:
        case 49: {
            float metalSum = 0.0f;
            for (int i = 0; i < 6; ++i)
                metalSum += metal[i].Next(k_MetalHz[i] * (code == 49 ? 1.47 : 1.0));
            const float decay = code == 42 ? 0.035f : (code == 46 ? 0.17f : 0.85f);
            const float env = std::exp(-t / decay);
            if (code == 49)
            {
                // Independent noise per side gives the cymbal its width.
                const float l = high.Process(random.Bipolar() + metalSum * 0.12f);
                const float r = highRight.Process(random.Bipolar() + metalSum * 0.12f);
                hit = {l * env * 0.6f, r * env * 0.6f};
            }
            else
            {
                const float v = high.Process(random.Bipolar() * 0.7f + metalSum * 0.18f) * env;
                hit = {v, v};
            }
            break;
        }
        default:
            break;
        }
        const float gain = note.velocity * Onset(n) * end;
        out.Add(frame, hit.left * gain * panLeft, hit.right * gain * panRight);
    }
}
