#include "tools/tunegen/k_Filter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace
{
// RMS of a filtered sine after the filter has settled.
double Response(k_Filter::Mode mode, float cutoff, double hz)
{
    k_Filter filter(mode, cutoff, 0.0f);
    double sum = 0.0;
    const int settle = 4410, count = 44100;
    for (int n = 0; n < settle + count; ++n)
    {
        const float y = filter.Process(static_cast<float>(std::sin(2.0 * 3.14159265358979 * hz * n / 44100.0)));
        if (n >= settle)
            sum += static_cast<double>(y) * y;
    }
    return std::sqrt(2.0 * sum / count);
}
} // namespace

TEST(k_Filter, ModesPassAndStopWhereTheyShould)
{
    EXPECT_NEAR(Response(k_Filter::Mode::LowPass, 1000.0f, 100.0), 1.0, 0.02);
    EXPECT_LT(Response(k_Filter::Mode::LowPass, 1000.0f, 10000.0), 0.015); // two octaves above: about -40 dB
    EXPECT_NEAR(Response(k_Filter::Mode::HighPass, 1000.0f, 10000.0), 1.0, 0.02);
    EXPECT_LT(Response(k_Filter::Mode::HighPass, 1000.0f, 100.0), 0.015);
    EXPECT_NEAR(Response(k_Filter::Mode::BandPass, 1000.0f, 1000.0), 0.5, 0.05); // k = 2 without resonance
}

// Sweeping the cutoff every sample from end to end at full resonance must neither blow up nor produce NaN.
TEST(k_Filter, StaysStableUnderExtremeSweeps)
{
    k_Filter filter(k_Filter::Mode::LowPass);
    float peak = 0.0f;
    for (int n = 0; n < 44100; ++n)
    {
        const float cutoff = (n / 50) % 2 ? 25000.0f : 5.0f; // beyond both ends: clamped
        filter.Set(cutoff * (1.0f + 0.001f * (n % 50)), 1.0f);
        const float y = filter.Process(n % 100 < 50 ? 1.0f : -1.0f);
        ASSERT_TRUE(std::isfinite(y)) << n;
        peak = std::max(peak, std::fabs(y));
    }
    EXPECT_LT(peak, 200.0f);
}
