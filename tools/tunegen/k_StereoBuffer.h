#pragma once
// Two channels of float samples at the tune's sample rate, the unit every
// instrument, effect and mixing step reads and writes.
#include <algorithm>
#include <cstddef>
#include <vector>

class k_StereoBuffer
{
public:
    explicit k_StereoBuffer(std::size_t frames = 0) : m_Left(frames, 0.0f), m_Right(frames, 0.0f) {}

    // Number of sample frames (one left and one right sample each).
    std::size_t Frames() const { return m_Left.size(); }
    // Resizes both channels; new frames are silent.
    void Resize(std::size_t frames)
    {
        m_Left.resize(frames, 0.0f);
        m_Right.resize(frames, 0.0f);
    }
    // Sets every sample to zero.
    void Clear()
    {
        std::fill(m_Left.begin(), m_Left.end(), 0.0f);
        std::fill(m_Right.begin(), m_Right.end(), 0.0f);
    }
    float* Left() { return m_Left.data(); }
    float* Right() { return m_Right.data(); }
    const float* Left() const { return m_Left.data(); }
    const float* Right() const { return m_Right.data(); }

    // Adds one frame if it lies inside the buffer; frames outside are dropped, so voices may run past either end.
    void Add(std::ptrdiff_t frame, float left, float right)
    {
        if (frame < 0 || static_cast<std::size_t>(frame) >= m_Left.size())
            return;
        m_Left[static_cast<std::size_t>(frame)] += left;
        m_Right[static_cast<std::size_t>(frame)] += right;
    }

private:
    std::vector<float> m_Left;
    std::vector<float> m_Right;
};
