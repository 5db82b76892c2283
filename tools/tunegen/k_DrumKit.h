#pragma once
// Synthesised drums, chosen by the note's pitch code: kick, snare, clap,
// closed and open hi-hat, crash, and the tick and tock of a clock. The note's
// parameter is the pan (0 left, 0.5 centre, 1 right).
#include "k_Instrument.h"

class k_DrumKit : public k_Instrument
{
public:
    static constexpr float k_Kick = 36.0f;
    static constexpr float k_Tick = 37.0f;
    static constexpr float k_Snare = 38.0f;
    static constexpr float k_Clap = 39.0f;
    static constexpr float k_Tock = 40.0f;
    static constexpr float k_ClosedHat = 42.0f;
    static constexpr float k_OpenHat = 46.0f;
    static constexpr float k_Crash = 49.0f;

    double Tail() const override;
    void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const override;
};
