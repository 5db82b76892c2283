#include "k_PadSynth.h"

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
constexpr int k_Saws = 5;
constexpr float k_DetuneCents[k_Saws] = {-16.0f, -7.0f, 0.0f, 6.0f, 15.0f};
constexpr float k_Pans[k_Saws] = {-0.9f, 0.5f, 0.0f, -0.5f, 0.9f};
} // namespace

k_PadSynth::k_PadSynth(float attack, float release) : m_Attack(attack), m_Release(release) {}

double k_PadSynth::Tail() const
{
    return m_Release * 1.2 + 0.05;
}

void k_PadSynth::Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const
{
    k_Random random(seed);
    k_Oscillator saws[k_Saws];
    double hz[k_Saws];
    float gainLeft[k_Saws];
    float gainRight[k_Saws];
    for (int i = 0; i < k_Saws; ++i)
    {
        saws[i] = k_Oscillator(k_Oscillator::Wave::Saw, random.Unit());
        hz[i] = k_Sound::MidiToHz(note.pitch + k_DetuneCents[i] / 100.0f);
        k_Sound::Balance(k_Pans[i], gainLeft[i], gainRight[i]);
    }
    k_Envelope amp(m_Attack, 1.0f, 0.85f, m_Release);
    k_Filter left(k_Filter::Mode::LowPass), right(k_Filter::Mode::LowPass);
    const float base = 250.0f + 3800.0f * note.param * note.param;
    const float lfoRate = 0.17f + 0.06f * random.Unit();
    const float lfoPhase = random.Unit();
    const float level = 0.16f * note.velocity;

    Play(note, out, origin, amp, [&](std::size_t n, std::ptrdiff_t frame, float env) {
        if ((n & 15) == 0)
        {
            const float t = static_cast<float>(n) / k_Sound::k_SampleRate;
            const float lfo = std::sin(2.0f * static_cast<float>(k_Sound::k_Pi) * (lfoRate * t + lfoPhase));
            const float cutoff = base * (1.0f + 0.25f * lfo) * (0.6f + 0.4f * env);
            left.Set(cutoff, 0.15f);
            right.Set(cutoff * 1.03f, 0.15f);
        }
        float sumLeft = 0.0f, sumRight = 0.0f;
        for (int i = 0; i < k_Saws; ++i)
        {
            const float s = saws[i].Next(hz[i]);
            sumLeft += s * gainLeft[i];
            sumRight += s * gainRight[i];
        }
        const float gain = env * level;
        out.Add(frame, left.Process(sumLeft) * gain, right.Process(sumRight) * gain);
    });
}
