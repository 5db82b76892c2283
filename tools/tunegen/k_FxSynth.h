#pragma once
// Transition effects, chosen by the note's pitch code: a noise riser that
// sweeps up over the note's length, an impact boom for drops, and a reversed
// swell that grows into the note's end. The note's parameter is unused.
#include "k_Instrument.h"

class k_FxSynth : public k_Instrument
{
public:
    static constexpr float k_Riser = 1.0f;
    static constexpr float k_Impact = 2.0f;
    static constexpr float k_Swell = 3.0f;

    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;
};
