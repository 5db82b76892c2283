#include "tools/tunegen/k_Limiter.h"
#include "tools/tunegen/k_StereoBuffer.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(k_Limiter, HoldsPeaksUnderTheCeilingAndLeavesQuietPassagesAlone)
{
    const std::size_t frames = 44100;
    k_StereoBuffer buffer(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        // A quiet tone with a loud burst on the right channel in the middle.
        const float tone = 0.3f * std::sin(static_cast<float>(i) * 0.05f);
        buffer.Left()[i] = tone;
        buffer.Right()[i] = (i >= 22050 && i < 22500) ? 3.0f * std::sin(static_cast<float>(i) * 0.3f) : tone;
    }
    const k_StereoBuffer original = buffer;
    const std::size_t turnedDown = k_Limiter(0.8f, 0.005, 0.05).Process(buffer);

    float peak = 0.0f, largestStep = 0.0f;
    for (std::size_t i = 0; i < frames; ++i)
    {
        peak = std::max({peak, std::fabs(buffer.Left()[i]), std::fabs(buffer.Right()[i])});
        if (i > 0)
            largestStep = std::max(largestStep, std::fabs(buffer.Left()[i] - buffer.Left()[i - 1]));
    }
    EXPECT_LE(peak, 0.8f + 1e-6f);
    EXPECT_GT(turnedDown, 400u);
    // The gain ramps: the quiet left channel never jumps by more than its own slope allows.
    EXPECT_LT(largestStep, 0.3f * 0.05f + 0.002f);
    // Well before the burst (more than the look-ahead) and well after it (the release), nothing changed.
    for (std::size_t i : {0u, 10000u, 21000u, 40000u})
        EXPECT_NEAR(buffer.Left()[i], original.Left()[i], 1e-3f) << i;
}
