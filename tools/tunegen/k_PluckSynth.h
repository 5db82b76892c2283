#pragma once
// A short plucked synth for arpeggios and chord stabs: saw and square through
// a resonant low-pass that snaps shut, the level decaying while held. The
// note's parameter is its brightness.
#include "k_Instrument.h"

class k_PluckSynth : public k_Instrument
{
public:
    // Decay of the level in seconds (short for arpeggios, longer for stabs).
    explicit k_PluckSynth(float decay);

    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;

private:
    float m_Decay;
};
