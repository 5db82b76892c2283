#pragma once
// Shared constants and small helpers of the tune generator: the sample rate,
// pitch to frequency, decibels and the balance law used for panning.
#include <cmath>
#include <cstddef>

namespace k_Sound
{
constexpr int k_SampleRate = 44100;
constexpr double k_Pi = 3.14159265358979323846;

// The frame of a buffer starting at `origin` seconds on which an event at `time` seconds falls. Both times are
// rounded to whole frames first, so an event lands on the same sample whichever stretch is rendered.
inline std::ptrdiff_t FrameOf(double time, double origin)
{
    return static_cast<std::ptrdiff_t>(std::llround(time * k_SampleRate) - std::llround(origin * k_SampleRate));
}

// Frequency in Hz of a (possibly fractional) MIDI note number; 69 is A4 = 440 Hz.
inline double MidiToHz(double note)
{
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

// Linear gain of a level in decibels.
inline double DbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

// Left and right gains of a balance control: pan -1 is hard left, 0 leaves both at unity, +1 is hard right.
inline void Balance(float pan, float& left, float& right)
{
    left = pan > 0.0f ? 1.0f - pan : 1.0f;
    right = pan < 0.0f ? 1.0f + pan : 1.0f;
}
} // namespace k_Sound
