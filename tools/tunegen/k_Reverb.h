#pragma once
// A stereo hall reverb: parallel damped feedback combs followed by series
// all-pass diffusers, with slightly different delay lengths per side for
// width, a pre-delay and a low cut so the tail does not muddy the bass.
#include <cstddef>
#include <vector>

class k_StereoBuffer;

class k_Reverb
{
public:
    // Room size 0 to 1 (tail length), damping 0 to 1 (treble loss in the tail), pre-delay in seconds.
    k_Reverb(float roomSize, float damping, double preDelay);

    // Replaces the buffer's contents (the send signal) with the reverb's wet output.
    void Process(k_StereoBuffer& buffer);

private:
    struct Comb
    {
        std::vector<float> line;
        std::size_t pos = 0;
        float store = 0.0f;
    };
    struct AllPass
    {
        std::vector<float> line;
        std::size_t pos = 0;
    };
    std::vector<Comb> m_Combs[2];
    std::vector<AllPass> m_AllPasses[2];
    std::vector<float> m_PreDelay;
    float m_Feedback;
    float m_Damping;
};
