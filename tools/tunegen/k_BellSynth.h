#pragma once
// A glassy bell from two-operator frequency modulation with an inharmonic
// ratio; the brightness fades faster than the level, as a struck bar does.
// The note's parameter is its pan (0 left, 0.5 centre, 1 right).
#include "k_Instrument.h"

class k_BellSynth : public k_Instrument
{
public:
    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;
};
