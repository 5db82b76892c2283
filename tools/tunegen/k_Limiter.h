#pragma once
// A look-ahead peak limiter for the finished mix: the gain starts to fall a
// few milliseconds before a peak, so no sample exceeds the ceiling and the
// gain never jumps (no clicks, no clipping distortion).

#include <cstddef>

class k_StereoBuffer;

class k_Limiter
{
public:
    // Ceiling as a linear peak level; look-ahead and release in seconds.
    k_Limiter(float ceiling, double lookAhead, double release);

    // Limits the buffer in place and returns how many frames it turned down by more than 1 dB.
    std::size_t Process(k_StereoBuffer& buffer) const;

private:
    float m_Ceiling;
    double m_LookAhead;
    double m_Release;
};
