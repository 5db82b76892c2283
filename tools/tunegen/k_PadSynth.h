#pragma once
// A wide string pad: five detuned band-limited saws spread across the stereo
// field through a slowly breathing low-pass. The note's parameter is its
// brightness (0 dark to 1 open).
#include "k_Instrument.h"

class k_PadSynth : public k_Instrument
{
public:
    // Attack and release in seconds.
    k_PadSynth(float attack, float release);

    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;

private:
    float m_Attack;
    float m_Release;
};
