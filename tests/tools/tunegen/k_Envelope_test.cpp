#include "tools/tunegen/k_Envelope.h"

#include <cmath>
#include <gtest/gtest.h>

// Even the shortest settings must ramp over a few milliseconds: a step in level is an audible click.
TEST(k_Envelope, StartsAndEndsAtZeroWithoutSteps)
{
    for (float time : {0.0f, 0.002f, 0.3f})
    {
        k_Envelope env(time, time, 0.6f, time);
        float previous = 0.0f, largestStep = 0.0f, peak = 0.0f;
        int n = 0;
        for (; n < 44100; ++n)
        {
            const float v = env.Next();
            if (n == 0)
            {
                EXPECT_LT(v, 0.01f);
            }
            largestStep = std::max(largestStep, std::fabs(v - previous));
            peak = std::max(peak, v);
            previous = v;
        }
        EXPECT_NEAR(previous, 0.6f, 0.01f) << "sustain level reached";
        EXPECT_FLOAT_EQ(peak, 1.0f);
        env.Release();
        for (n = 0; n < 44100 && !env.Done(); ++n)
        {
            const float v = env.Next();
            largestStep = std::max(largestStep, std::fabs(v - previous));
            previous = v;
        }
        EXPECT_TRUE(env.Done()) << "release never ended";
        EXPECT_EQ(previous, 0.0f);
        EXPECT_LT(largestStep, 0.012f) << "attack/release time " << time;
    }
}

TEST(k_Envelope, ReleaseDuringAttackFallsFromWhereItIs)
{
    k_Envelope env(1.0f, 0.1f, 1.0f, 0.05f);
    float v = 0.0f;
    for (int n = 0; n < 2205; ++n) // 50 ms into a one-second attack
        v = env.Next();
    ASSERT_LT(v, 0.05f);
    env.Release();
    const float next = env.Next();
    EXPECT_LE(next, v);
    EXPECT_GT(next, v * 0.9f);
}
