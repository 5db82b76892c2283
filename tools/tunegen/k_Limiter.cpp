#include "k_Limiter.h"

#include "k_Sound.h"
#include "k_StereoBuffer.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

k_Limiter::k_Limiter(float ceiling, double lookAhead, double release)
    : m_Ceiling(ceiling), m_LookAhead(lookAhead), m_Release(release)
{
}

std::size_t k_Limiter::Process(k_StereoBuffer& buffer) const
{
    const std::size_t frames = buffer.Frames();
    if (frames == 0)
        return 0;
    float* left = buffer.Left();
    float* right = buffer.Right();
    const std::size_t window = std::max<std::size_t>(1, static_cast<std::size_t>(m_LookAhead * k_Sound::k_SampleRate));

    // The gain each frame needs on its own.
    std::vector<float> need(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        need[i] = peak > m_Ceiling ? m_Ceiling / peak : 1.0f;
    }

    // The smallest need over the coming window (a running minimum with a monotonic queue), so the gain is
    // already down when the peak arrives; then a slow release back towards unity.
    std::vector<float> gain(frames);
    std::deque<std::size_t> queue;
    const float releaseCoef = static_cast<float>(std::exp(-1.0 / (m_Release * k_Sound::k_SampleRate)));
    float held = 1.0f;
    std::size_t next = 0;
    for (std::size_t i = 0; i < frames; ++i)
    {
        for (; next < frames && next <= i + window; ++next)
        {
            while (!queue.empty() && need[queue.back()] >= need[next])
                queue.pop_back();
            queue.push_back(next);
        }
        while (queue.front() < i)
            queue.pop_front();
        const float target = need[queue.front()];
        held = std::min(target, 1.0f - (1.0f - held) * releaseCoef);
        gain[i] = held;
    }

    // Average the gain over the window: the drop becomes a ramp, and since every frame of the window before a
    // peak already holds a gain at or below the peak's need, the average is low enough when the peak arrives.
    double sum = 0.0;
    std::size_t reduced = 0;
    for (std::size_t i = 0; i < frames; ++i)
    {
        sum += gain[i];
        if (i >= window)
            sum -= gain[i - window];
        const std::size_t count = std::min(i + 1, window);
        const float g = std::min(1.0f, static_cast<float>(sum / static_cast<double>(count)));
        left[i] *= g;
        right[i] *= g;
        if (g < 0.891f)
            ++reduced;
    }
    return reduced;
}
