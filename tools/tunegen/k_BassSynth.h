#pragma once
// The bass: a saw with a sine underneath for weight, through a low-pass whose
// short envelope gives each note a plucked attack, lightly saturated. Kept in
// the middle of the stereo field. The note's parameter is its brightness.
#include "k_Instrument.h"

class k_BassSynth : public k_Instrument
{
public:
    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;
};
