#pragma once
// Mixes the song into finished stereo samples: renders every track's notes,
// applies its pumping and echo, sends it to the shared reverb, then removes DC,
// limits the peaks and fades the end to silence.
#include "k_StereoBuffer.h"

#include <cstddef>

class k_Song;

class k_Mixdown
{
public:
    // The finished mix of the stretch from `from` to `to` seconds (clamped to the song). If `limited` is given, it
    // receives the number of frames the limiter turned down by more than 1 dB.
    static k_StereoBuffer Render(const k_Song& song, double from, double to, std::size_t* limited = nullptr);
    // The ceiling of the finished mix as a linear peak level (about -2.5 dBFS, headroom for the encoder).
    static constexpr float k_Ceiling = 0.75f;
};
