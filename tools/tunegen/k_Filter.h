#pragma once
// A two-pole state-variable filter in trapezoidal (zero-delay feedback) form:
// it stays stable and in tune while its cutoff sweeps every sample.

class k_Filter
{
public:
    enum class Mode
    {
        LowPass,
        BandPass,
        HighPass,
    };

    explicit k_Filter(Mode mode = Mode::LowPass, float cutoffHz = 1000.0f, float resonance = 0.0f);

    // Sets cutoff in Hz (kept below the Nyquist frequency) and resonance from 0 (none) to nearly 1 (ringing).
    void Set(float cutoffHz, float resonance);
    // Filters one sample and returns the output of the chosen mode.
    float Process(float input);

private:
    Mode m_Mode;
    float m_K;
    float m_A1;
    float m_A2;
    float m_A3;
    float m_Ic1;
    float m_Ic2;
};
