#include "k_Filter.h"

#include "k_Sound.h"

#include <algorithm>
#include <cmath>

k_Filter::k_Filter(Mode mode, float cutoffHz, float resonance)
    : m_Mode(mode), m_K(2.0f), m_A1(0.0f), m_A2(0.0f), m_A3(0.0f), m_Ic1(0.0f), m_Ic2(0.0f)
{
    Set(cutoffHz, resonance);
}

void k_Filter::Set(float cutoffHz, float resonance)
{
    const double hz = std::clamp(static_cast<double>(cutoffHz), 10.0, 0.45 * k_Sound::k_SampleRate);
    const double g = std::tan(k_Sound::k_Pi * hz / k_Sound::k_SampleRate);
    const double k = 2.0 - 1.96 * std::clamp(static_cast<double>(resonance), 0.0, 1.0);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    m_K = static_cast<float>(k);
    m_A1 = static_cast<float>(a1);
    m_A2 = static_cast<float>(g * a1);
    m_A3 = static_cast<float>(g * g * a1);
}

float k_Filter::Process(float input)
{
    const float v3 = input - m_Ic2;
    const float v1 = m_A1 * m_Ic1 + m_A2 * v3;
    const float v2 = m_Ic2 + m_A2 * m_Ic1 + m_A3 * v3;
    m_Ic1 = 2.0f * v1 - m_Ic1;
    m_Ic2 = 2.0f * v2 - m_Ic2;
    switch (m_Mode)
    {
    case Mode::LowPass:
        return v2;
    case Mode::BandPass:
        return v1;
    case Mode::HighPass:
        return input - m_K * v1 - v2;
    }
    return v2;
}
