#pragma once
// The base of every sound source of the tune: it renders one note at a time
// into a stereo buffer. A note is rendered from its own start to the end of
// its release, on fresh voice state, so notes never depend on each other and
// a render of any stretch of the tune gives the same samples.
#include "k_Note.h"

#include <cstdint>

class k_StereoBuffer;

class k_Instrument
{
public:
    virtual ~k_Instrument() = default;
    // Seconds a note may still sound after its held length (the release tail).
    virtual double Tail() const = 0;
    // Adds the note to the buffer, whose first frame lies at `origin` seconds; `seed` drives its noise and phases.
    virtual void Render(const k_Note& note, k_StereoBuffer& out, double origin, std::uint64_t seed) const = 0;
};
