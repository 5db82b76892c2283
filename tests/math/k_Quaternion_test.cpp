#include "math/k_Quaternion.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(k_Quaternion, ZeroAndUnitQuaternionsAreUsedAsTheyAre)
{
    EXPECT_EQ(k_Quaternion::ToMatrix(k_VectorUA(0, 0, 0, 0)), k_Matrix());
    EXPECT_EQ(k_Quaternion::ToMatrix(k_VectorUA(0, 0, 0, 1)), k_Matrix());
    // Half-turn about x, exactly unit length: no estimate applied, so the result is exact.
    const k_Matrix m = k_Quaternion::ToMatrix(k_VectorUA(1, 0, 0, 0));
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[5], -1.0f);
    EXPECT_EQ(m[10], -1.0f);
}

TEST(k_Quaternion, MatrixElementsFollowTheFixedOrder)
{
    // 90 degrees about z: (0, 0, sin 45, cos 45).
    const float h = std::sqrt(0.5f);
    const k_Matrix m = k_Quaternion::ToMatrix(k_VectorUA(0, 0, h, h));
    EXPECT_NEAR(m[0], 0.0f, 1e-3f);
    EXPECT_NEAR(m[1], -1.0f, 1e-3f); // 2(xy - wz)
    EXPECT_NEAR(m[4], 1.0f, 1e-3f);  // 2(xy + wz)
    EXPECT_NEAR(m[5], 0.0f, 1e-3f);
    EXPECT_NEAR(m[10], 1.0f, 1e-3f);
    EXPECT_EQ(m[3], 0.0f);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[15], 1.0f);
}

TEST(k_Quaternion, LongQuaternionIsNormalisedFirst)
{
    const k_Matrix unit = k_Quaternion::ToMatrix(k_VectorUA(0, 0, 0, 1));
    const k_Matrix twice = k_Quaternion::ToMatrix(k_VectorUA(0, 0, 0, 2)); // length 2
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(twice[i], unit[i], 1e-3f) << i;
    // Without normalising, element 0 of (0, 2, 0, 0) would be 1 - 8 = -7.
    EXPECT_NEAR(k_Quaternion::ToMatrix(k_VectorUA(0, 2, 0, 0))[0], -1.0f, 1e-3f);
}

TEST(k_Quaternion, FromAxisAngle)
{
    EXPECT_EQ(k_Quaternion::FromAxisAngle(1, 2, 3, 45, false), k_VectorUA(1, 2, 3, 45));
    EXPECT_EQ(k_Quaternion::FromAxisAngle(0, 0, 0, 0, false), k_VectorUA(0, 0, 0, 0));

    const k_VectorUA q = k_Quaternion::FromAxisAngle(0, 0, 5, 90, true);
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.y, 0.0f);
    EXPECT_NEAR(q.z, std::sqrt(0.5f), 1e-3f);
    EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6f);
    const k_Matrix m = k_Quaternion::ToMatrix(q);
    EXPECT_NEAR(m[1], -1.0f, 1e-3f);
    EXPECT_NEAR(m[4], 1.0f, 1e-3f);

    // A zero axis must not produce NaN: it gives a pure w and so no rotation.
    const k_VectorUA none = k_Quaternion::FromAxisAngle(0, 0, 0, 60, true);
    EXPECT_EQ(none.x, 0.0f);
    EXPECT_FALSE(std::isnan(none.w));
    const k_Matrix id = k_Quaternion::ToMatrix(none);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(id[i], k_Matrix()[i], 1e-3f) << i;
}
