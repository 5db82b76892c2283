#include "k_Envelope.h"

#include "k_Sound.h"

#include <algorithm>
#include <cmath>

namespace
{
// Shortest attack and shortest decay or release: anything faster is heard as a click.
constexpr float k_MinAttack = 0.004f;
constexpr float k_MinCurve = 0.01f;

// Per-sample coefficient of an exponential approach that covers about 99.9% of the way in the given time.
float Coefficient(float seconds)
{
    return std::exp(-6.9f / (std::max(seconds, k_MinCurve) * k_Sound::k_SampleRate));
}
} // namespace

k_Envelope::k_Envelope(float attack, float decay, float sustain, float release)
    : m_Stage(Stage::Attack), m_Level(0.0f), m_Sustain(std::clamp(sustain, 0.0f, 1.0f)),
      m_AttackStep(1.0f / (std::max(attack, k_MinAttack) * k_Sound::k_SampleRate)), m_DecayCoef(Coefficient(decay)),
      m_ReleaseCoef(Coefficient(release))
{
}

void k_Envelope::Release()
{
    if (m_Stage == Stage::Attack)
        m_Level = m_Level * m_Level * (3.0f - 2.0f * m_Level); // continue from the level last returned
    if (m_Stage != Stage::Off)
        m_Stage = Stage::Release;
}

float k_Envelope::Next()
{
    switch (m_Stage)
    {
    case Stage::Attack: {
        // A linear ramp, shaped into a smooth S so the start has no corner.
        m_Level += m_AttackStep;
        if (m_Level >= 1.0f)
        {
            m_Level = 1.0f;
            m_Stage = Stage::Decay;
        }
        return m_Level * m_Level * (3.0f - 2.0f * m_Level);
    }
    case Stage::Decay:
        m_Level = m_Sustain + (m_Level - m_Sustain) * m_DecayCoef;
        if (m_Level - m_Sustain < 1e-4f)
        {
            m_Level = m_Sustain;
            m_Stage = Stage::Sustain;
        }
        return m_Level;
    case Stage::Sustain:
        return m_Level;
    case Stage::Release:
        // Aim slightly below zero so the curve reaches zero in finite time instead of creeping towards it.
        m_Level = -0.001f + (m_Level + 0.001f) * m_ReleaseCoef;
        if (m_Level <= 0.0f)
        {
            m_Level = 0.0f;
            m_Stage = Stage::Off;
        }
        return m_Level;
    case Stage::Off:
        break;
    }
    return 0.0f;
}
