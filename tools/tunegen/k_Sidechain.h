#pragma once
// The pumping of the mix under the kick: a curve from 0 to 1 over a stretch of
// the tune that jumps up at every kick and relaxes within a beat. Tracks
// multiply by 1 - duck x curve.
#include <cstddef>
#include <vector>

class k_Sidechain
{
public:
    // The curve for `frames` frames from `origin` seconds, given the kick times in seconds.
    k_Sidechain(const std::vector<double>& kicks, double origin, std::size_t frames);

    // The curve's value at a frame of the stretch.
    float At(std::size_t frame) const { return m_Curve[frame]; }

private:
    std::vector<float> m_Curve;
};
