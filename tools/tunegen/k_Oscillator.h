#pragma once
// A band-limited oscillator: sine, and saw, square and triangle whose steps
// are smoothed with polynomial band-limited steps (PolyBLEP), so high notes
// do not fold back into harsh aliasing.

class k_Oscillator
{
public:
    enum class Wave
    {
        Sine,
        Saw,
        Square,
        Triangle,
    };

    explicit k_Oscillator(Wave wave = Wave::Saw, float phase = 0.0f);

    // Sets the phase, 0 to 1 of a cycle.
    void SetPhase(float phase);
    // The next sample (-1 to 1) at the given frequency in Hz; the frequency may change every sample.
    float Next(double hz);

private:
    Wave m_Wave;
    double m_Phase;
    float m_Integrator; // leaky integral of the square, for the triangle
};
