#include "k_Reverb.h"

#include "k_Filter.h"
#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>

namespace
{
// Comb and all-pass lengths in samples at 44.1 kHz: mutually prime, so their echoes do not pile up on one
// period. The right side adds a small offset for a decorrelated, wide tail.
constexpr int k_CombLengths[] = {1103, 1181, 1259, 1361, 1433, 1499, 1567, 1621};
constexpr int k_AllPassLengths[] = {563, 439, 347, 223};
constexpr int k_StereoSpread = 27;
} // namespace

k_Reverb::k_Reverb(float roomSize, float damping, double preDelay)
    : m_PreDelay(std::max<std::size_t>(1, static_cast<std::size_t>(preDelay * k_Sound::k_SampleRate)), 0.0f),
      m_Feedback(0.70f + 0.28f * std::clamp(roomSize, 0.0f, 1.0f)), m_Damping(0.4f * std::clamp(damping, 0.0f, 1.0f))
{
    for (int side = 0; side < 2; ++side)
    {
        for (int length : k_CombLengths)
            m_Combs[side].push_back({std::vector<float>(length + side * k_StereoSpread, 0.0f)});
        for (int length : k_AllPassLengths)
            m_AllPasses[side].push_back({std::vector<float>(length + side * k_StereoSpread, 0.0f)});
    }
}

void k_Reverb::Process(k_StereoBuffer& buffer)
{
    k_Filter lowCut(k_Filter::Mode::HighPass, 180.0f, 0.0f);
    std::size_t prePos = 0;
    float* channels[2] = {buffer.Left(), buffer.Right()};
    const float inputGain = 0.03f;
    for (std::size_t i = 0; i < buffer.Frames(); ++i)
    {
        // The reverb is fed in mono after the pre-delay; the two sides differ only in their delay lengths.
        const float input = lowCut.Process(0.5f * (channels[0][i] + channels[1][i]));
        const float delayed = m_PreDelay[prePos];
        m_PreDelay[prePos] = input;
        if (++prePos == m_PreDelay.size())
            prePos = 0;
        for (int side = 0; side < 2; ++side)
        {
            float sum = 0.0f;
            for (Comb& comb : m_Combs[side])
            {
                const float out = comb.line[comb.pos];
                comb.store = out * (1.0f - m_Damping) + comb.store * m_Damping;
                comb.line[comb.pos] = delayed * inputGain + comb.store * m_Feedback;
                if (++comb.pos == comb.line.size())
                    comb.pos = 0;
                sum += out;
            }
            for (AllPass& pass : m_AllPasses[side])
            {
                const float stored = pass.line[pass.pos];
                const float out = stored - sum;
                pass.line[pass.pos] = sum + stored * 0.5f;
                if (++pass.pos == pass.line.size())
                    pass.pos = 0;
                sum = out;
            }
            channels[side][i] = sum;
        }
    }
}
