#include "tools/tunegen/k_Delay.h"
#include "tools/tunegen/k_Reverb.h"
#include "tools/tunegen/k_StereoBuffer.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
// Energy of the mid (L + R) or side (L - R) signal between two times.
double Energy(const k_StereoBuffer& buffer, double from, double to, bool side)
{
    double sum = 0.0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100); i < static_cast<std::size_t>(to * 44100); ++i)
    {
        const double v = side ? buffer.Left()[i] - buffer.Right()[i] : buffer.Left()[i] + buffer.Right()[i];
        sum += v * v;
    }
    return sum;
}
} // namespace

// A click into the tune's hall gives a wide tail that dies away instead of ringing on; even the largest,
// undamped room keeps losing energy.
TEST(k_Reverb, TailIsWideAndDiesAway)
{
    k_StereoBuffer buffer(44100 * 8);
    buffer.Left()[0] = buffer.Right()[0] = 1.0f;
    k_Reverb(0.82f, 0.45f, 0.025).Process(buffer);
    const double early = Energy(buffer, 0.0, 0.5, false);
    EXPECT_GT(early, 1e-4);
    EXPECT_GT(Energy(buffer, 0.0, 0.5, true), 0.2 * early) << "both sides carry the same tail";
    EXPECT_LT(Energy(buffer, 7.0, 8.0, false), early * 1e-6) << "the tail does not die away";

    k_StereoBuffer large(44100 * 10);
    large.Left()[0] = large.Right()[0] = 1.0f;
    k_Reverb(1.0f, 0.0f, 0.0).Process(large);
    EXPECT_LT(Energy(large, 9.0, 10.0, false), 0.3 * Energy(large, 4.0, 5.0, false));
}

// One repeat per delay time, crossing sides and getting quieter each time.
TEST(k_Delay, EchoesPingPongAndFade)
{
    const std::size_t step = 4410; // 0.1 s
    k_StereoBuffer buffer(step * 5 + 10);
    buffer.Left()[0] = buffer.Right()[0] = 1.0f;
    k_Delay(0.1, 0.5f, 1.0f, 20000.0f).Process(buffer);
    auto near = [&](const float* channel, std::size_t at) {
        float peak = 0.0f;
        for (std::size_t i = at - 3; i <= at + 3; ++i)
            peak = std::max(peak, std::fabs(channel[i]));
        return peak;
    };
    const float first = near(buffer.Left(), step);
    EXPECT_GT(first, 0.3f);
    EXPECT_LT(near(buffer.Right(), step), 0.01f);
    const float second = near(buffer.Right(), 2 * step);
    EXPECT_GT(second, 0.1f);
    EXPECT_LT(second, first);
    EXPECT_LT(near(buffer.Left(), 2 * step), 0.01f);
    EXPECT_LT(near(buffer.Left(), 3 * step), second);
}
