#include "animation/k_TransformationAnimation.h"
#include "math/k_Quaternion.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
TransformationKey Key(int channel, float time, k_VectorUA value)
{
    TransformationKey k;
    k.channel = channel;
    k.time = time;
    k.value = value;
    return k;
}

void ExpectNear(const k_Matrix& a, const k_Matrix& b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}
} // namespace

TEST(k_TransformationAnimation, EmptyAnimationIsIdentityWithZeroDuration)
{
    k_TransformationAnimation a(L"walk", nullptr);
    EXPECT_EQ(a.GetName(), L"walk");
    EXPECT_EQ(a.GetTransformation(3.0f), k_Matrix());
    EXPECT_EQ(a.GetDuration(), 0.0f);
}

TEST(k_TransformationAnimation, SingleTranslationKeyHoldsAtAnyTime)
{
    k_TransformationAnimation a(L"a", nullptr);
    a.AddKey(Key(0, 2.0f, k_VectorUA(1, 2, 3, 1)));
    k_Matrix expected;
    expected[3] = 1;
    expected[7] = 2;
    expected[11] = 3;
    for (float t : {-5.0f, 2.0f, 100.0f})
        EXPECT_EQ(a.GetTransformation(t), expected) << t;
}

TEST(k_TransformationAnimation, ChannelsInterpolateLinearlyAndHoldOutsideTheirKeys)
{
    k_TransformationAnimation a(L"a", nullptr);
    a.AddKey(Key(0, 1.0f, k_VectorUA(0, 0, 0, 1)));
    a.AddKey(Key(0, 3.0f, k_VectorUA(4, -2, 8, 3)));
    EXPECT_FLOAT_EQ(a.GetTransformation(0.0f)[3], 0.0f);
    const k_Matrix mid = a.GetTransformation(2.0f);
    EXPECT_FLOAT_EQ(mid[3], 2.0f);
    EXPECT_FLOAT_EQ(mid[7], -1.0f);
    EXPECT_FLOAT_EQ(mid[11], 4.0f);
    EXPECT_FLOAT_EQ(mid[15], 2.0f); // the fourth translation component lands in m[15]
    EXPECT_FLOAT_EQ(a.GetTransformation(3.0f)[3], 4.0f);
    EXPECT_FLOAT_EQ(a.GetTransformation(9.0f)[3], 4.0f);

    // A key at an existing time replaces it.
    a.AddKey(Key(0, 3.0f, k_VectorUA(8, 0, 0, 1)));
    EXPECT_FLOAT_EQ(a.GetTransformation(3.0f)[3], 8.0f);
}

TEST(k_TransformationAnimation, RotationAboutZ)
{
    k_TransformationAnimation a(L"a", nullptr);
    a.AddKey(Key(1, 0.0f, k_VectorUA(0, 0, 90, 0)));
    const k_Matrix m = a.GetTransformation(0.0f);
    EXPECT_NEAR(m[0], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m[1], -1.0f);
    EXPECT_FLOAT_EQ(m[4], 1.0f);
    EXPECT_NEAR(m[5], 0.0f, 1e-6f);
}

TEST(k_TransformationAnimation, ResultComposesRotationTranslationAndScale)
{
    k_TransformationAnimation a(L"a", nullptr);
    a.AddKey(Key(1, 0.0f, k_VectorUA(30, 45, 60, 0)));
    a.AddKey(Key(0, 0.0f, k_VectorUA(1, 2, 3, 1)));
    a.AddKey(Key(2, 0.0f, k_VectorUA(2, 3, 4, 1)));
    const double d = 0.017453292519943295;
    const k_Matrix r = k_Matrix::RotationZ(60 * d) * (k_Matrix::RotationY(45 * d) * k_Matrix::RotationX(30 * d));
    const k_Matrix expected = r * (k_Matrix::Translation(k_VectorUA(1, 2, 3, 1)) * k_Matrix::Scale(2, 3, 4));
    ExpectNear(a.GetTransformation(0.0f), expected);
    // Rx then Ry then Rz differs from the other order, so the order is really checked.
    const k_Matrix other = k_Matrix::RotationX(30 * d) * (k_Matrix::RotationY(45 * d) * k_Matrix::RotationZ(60 * d));
    EXPECT_GT(std::fabs(a.GetTransformation(0.0f)[1] - (other * expected)[1]), 1e-3f);
}

TEST(k_TransformationAnimation, DurationIsTheLatestLastKeyAndNeverNegative)
{
    k_TransformationAnimation a(L"a", nullptr);
    a.AddKey(Key(0, -3.0f, k_VectorUA()));
    a.AddKey(Key(1, -1.0f, k_VectorUA()));
    EXPECT_EQ(a.GetDuration(), 0.0f);
    a.AddKey(Key(2, 4.5f, k_VectorUA(1, 1, 1, 1)));
    a.AddKey(Key(1, 2.0f, k_VectorUA()));
    EXPECT_EQ(a.GetDuration(), 4.5f);
}

TEST(k_TransformationAnimation, KeysOnUnknownChannelsOrNaNTimesAreIgnored)
{
    k_TransformationAnimation a(L"Bad", nullptr);
    testing::internal::CaptureStdout();
    a.AddKey(Key(3, 1.0f, k_VectorUA(5, 5, 5, 5)));
    a.AddKey(Key(-1, 1.0f, k_VectorUA(5, 5, 5, 5)));
    a.AddKey(Key(0, std::nanf(""), k_VectorUA(5, 5, 5, 5)));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("TransformationAnimation: Bad: ignored a key on unknown channel 3"), std::string::npos);
    EXPECT_NE(log.find("unknown channel -1"), std::string::npos);
    EXPECT_NE(log.find("not a number"), std::string::npos);
    EXPECT_EQ(a.GetTransformation(1.0f), k_Matrix());
    EXPECT_EQ(a.GetDuration(), 0.0f);
}
