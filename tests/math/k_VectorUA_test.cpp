#include "math/k_VectorUA.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(k_VectorUA, DotAndLengthIncludeW)
{
    const k_VectorUA a(1, 2, 3, 4);
    EXPECT_FLOAT_EQ(a.Dot(k_VectorUA(1, 1, 1, 1)), 10.0f);
    EXPECT_FLOAT_EQ(k_VectorUA(0, 0, 0, 2).Length(), 2.0f);
    EXPECT_FLOAT_EQ(k_VectorUA(1, 1, 1, 1).Length(), 2.0f);
}

TEST(k_VectorUA, CrossUsesXyzAndGivesZeroW)
{
    const k_VectorUA x(1, 0, 0, 7), y(0, 1, 0, 9);
    EXPECT_EQ(x.Cross(y), k_VectorUA(0, 0, 1, 0));
    EXPECT_EQ(y.Cross(x), k_VectorUA(0, 0, -1, 0));
    EXPECT_EQ(k_VectorUA(2, 3, 4, 0).Cross(k_VectorUA(5, 6, 7, 0)), k_VectorUA(-3, 6, -3, 0));
}

TEST(k_VectorUA, NormalizeUsesTheTwelveBitEstimateOverAllFour)
{
    const k_VectorUA n = k_VectorUA(3, 0, 0, 4).Normalized();
    // The estimate is not exact but is within its documented error.
    EXPECT_NEAR(n.x, 0.6f, 0.6f * 3.7e-4f);
    EXPECT_NEAR(n.w, 0.8f, 0.8f * 3.7e-4f);
    EXPECT_NE(n.Length(), 1.0f) << "expected the fast estimate, not an exact 1/sqrt";
    for (float s : {1e-6f, 0.3f, 1.0f, 2.0f, 77.0f, 1e6f})
        EXPECT_NEAR(k_VectorUA::ReciprocalSqrtEstimate(s) * std::sqrt(s), 1.0f, 3.7e-4f) << s;
}

TEST(k_VectorUA, NormalizingZeroStaysZeroInsteadOfNaN)
{
    k_VectorUA z;
    z.Normalize();
    EXPECT_EQ(z, k_VectorUA(0, 0, 0, 0));
}
