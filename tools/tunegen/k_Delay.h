#pragma once
// A stereo ping-pong echo: each repeat crosses to the other side and loses
// some treble, which widens a mono part and places it behind the mix.
#include <vector>

class k_StereoBuffer;

class k_Delay
{
public:
    // Delay time in seconds, feedback 0 to below 1, wet level, and the cutoff in Hz of the treble loss per repeat.
    k_Delay(double seconds, float feedback, float wet, float dampHz);

    // Adds the echoes of the buffer's signal to the buffer itself (the dry signal stays).
    void Process(k_StereoBuffer& buffer);

private:
    std::vector<float> m_Left;
    std::vector<float> m_Right;
    float m_Feedback;
    float m_Wet;
    float m_DampCoef;
};
