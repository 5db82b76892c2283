#include "k_Delay.h"

#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>

k_Delay::k_Delay(double seconds, float feedback, float wet, float dampHz)
    : m_Left(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(seconds * k_Sound::k_SampleRate))), 0.0f),
      m_Right(m_Left.size(), 0.0f), m_Feedback(std::clamp(feedback, 0.0f, 0.95f)), m_Wet(wet),
      m_DampCoef(static_cast<float>(std::exp(-2.0 * k_Sound::k_Pi * dampHz / k_Sound::k_SampleRate)))
{
}

void k_Delay::Process(k_StereoBuffer& buffer)
{
    const std::size_t length = m_Left.size();
    std::size_t pos = 0;
    float lowLeft = 0.0f;
    float lowRight = 0.0f;
    float* left = buffer.Left();
    float* right = buffer.Right();
    for (std::size_t i = 0; i < buffer.Frames(); ++i)
    {
        const float outLeft = m_Left[pos];
        const float outRight = m_Right[pos];
        // One-pole low-pass in the loop: every repeat is darker than the one before.
        lowLeft = outLeft + (lowLeft - outLeft) * m_DampCoef;
        lowRight = outRight + (lowRight - outRight) * m_DampCoef;
        const float mono = 0.5f * (left[i] + right[i]);
        // Ping-pong: the input enters on the left, and each side feeds the other.
        m_Left[pos] = mono + lowRight * m_Feedback;
        m_Right[pos] = lowLeft * m_Feedback;
        left[i] += outLeft * m_Wet;
        right[i] += outRight * m_Wet;
        if (++pos == length)
            pos = 0;
    }
}
