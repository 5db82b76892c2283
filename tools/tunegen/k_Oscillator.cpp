#include "k_Oscillator.h"

#include "k_Sound.h"

#include <cmath>

namespace
{
// Correction for a unit step at phase 0, spread over one sample on each side.
double PolyBlep(double t, double dt)
{
    if (t < dt)
    {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt)
    {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}
} // namespace

k_Oscillator::k_Oscillator(Wave wave, float phase) : m_Wave(wave), m_Phase(0.0), m_Integrator(0.0f)
{
    SetPhase(phase);
}

void k_Oscillator::SetPhase(float phase)
{
    m_Phase = phase - std::floor(phase);
    // Start the triangle's integrator on the wave itself, so it carries no offset to leak away.
    m_Integrator = static_cast<float>(m_Phase < 0.5 ? -1.0 + 4.0 * m_Phase : 3.0 - 4.0 * m_Phase);
}

float k_Oscillator::Next(double hz)
{
    const double dt = std::fmin(hz / k_Sound::k_SampleRate, 0.49);
    const double t = m_Phase;
    double value = 0.0;
    switch (m_Wave)
    {
    case Wave::Sine:
        value = std::sin(2.0 * k_Sound::k_Pi * t);
        break;
    case Wave::Saw:
        value = 2.0 * t - 1.0 - PolyBlep(t, dt);
        break;
    case Wave::Square:
    case Wave::Triangle: {
        double half = t + 0.5;
        if (half >= 1.0)
            half -= 1.0;
        value = (t < 0.5 ? 1.0 : -1.0) + PolyBlep(t, dt) - PolyBlep(half, dt);
        if (m_Wave == Wave::Triangle)
        {
            // The integral of a band-limited square is a band-limited triangle; the leak keeps it centred.
            m_Integrator = static_cast<float>(dt * 4.0 * value + (1.0 - 0.5 * dt) * m_Integrator);
            value = m_Integrator;
        }
        break;
    }
    }
    m_Phase += dt;
    if (m_Phase >= 1.0)
        m_Phase -= 1.0;
    return static_cast<float>(value);
}
