#pragma once
// The melody voice: three detuned saws and a square an octave below through a
// resonant low-pass that opens at each note and settles, with a vibrato that
// fades in on held notes. The note's parameter is its brightness.
#include "k_Instrument.h"

class k_LeadSynth : public k_Instrument
{
public:
    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;
};
