#include "animation/k_Path.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

// --- linear ---

TEST(k_Path, LinearInsideAndBeforeTheKeys)
{
    k_Path<float> p(nullptr);
    p.SetKey(0, 0);
    p.SetKey(2, 10);
    EXPECT_FLOAT_EQ(p.GetValue(1), 5);
    EXPECT_FLOAT_EQ(p.GetValue(2), 10);
    EXPECT_FLOAT_EQ(p.GetValue(0), 0);
    EXPECT_FLOAT_EQ(p.GetValue(-1), -5);
    EXPECT_FLOAT_EQ(p.GetValue(3), 15);
}

TEST(k_Path, LinearPastTheLastKeyUsesTheLastAndFirstKeys)
{
    k_Path<float> p(nullptr);
    p.SetKey(3, 6); // keys may arrive in any order
    p.SetKey(0, 0);
    p.SetKey(1, 10);
    EXPECT_FLOAT_EQ(p.GetValue(4), 8);
    EXPECT_FLOAT_EQ(p.GetValue(1), 10);
    EXPECT_FLOAT_EQ(p.GetValue(2), 8);
}

TEST(k_Path, SettingAKeyAtAnExistingTimeReplacesIt)
{
    k_Path<float> p(nullptr);
    p.SetKey(0, 0);
    p.SetKey(1, 5);
    p.SetKey(1, 7);
    EXPECT_FLOAT_EQ(p.GetValue(1), 7);
    EXPECT_FLOAT_EQ(p.GetValue(0.5f), 3.5f); // still one segment from (0, 0) to (1, 7)
}

TEST(k_Path, VectorPathInterpolatesAllFourComponents)
{
    k_Path<k_VectorUA> p(nullptr);
    p.SetKey(0, k_VectorUA(0, 0, 0, 0));
    p.SetKey(1, k_VectorUA(2, 4, 6, 8));
    EXPECT_EQ(p.GetValue(0.5f), k_VectorUA(1, 2, 3, 4));
    p.SetInterpolation(1);
    p.SetKey(2, k_VectorUA(4, 8, 12, 16));
    p.SetKey(3, k_VectorUA(6, 12, 18, 24));
    const k_VectorUA v = p.GetValue(1.5f);
    EXPECT_FLOAT_EQ(v.x, 3);
    EXPECT_FLOAT_EQ(v.w, 12);
}

// --- Catmull-Rom ---

TEST(k_Path, CatmullRomKeepsCollinearKeysLinearInInnerSegments)
{
    k_Path<float> p(nullptr);
    for (int i = 0; i < 4; ++i)
        p.SetKey(static_cast<float>(i), static_cast<float>(i));
    p.SetInterpolation(1);
    for (float t = 1.0f; t <= 2.0f; t += 0.125f)
        EXPECT_NEAR(p.GetValue(t), t, 1e-6f) << t;
    // On the first segment the missing predecessor is the first key itself.
    EXPECT_FLOAT_EQ(p.GetValue(0.5f), 0.4375f);
}

TEST(k_Path, CatmullRomCurvesAndHitsKeysExactly)
{
    k_Path<float> p(nullptr);
    const float values[] = {0, 1, 1, 0};
    for (int i = 0; i < 4; ++i)
        p.SetKey(static_cast<float>(i), values[i]);
    p.SetInterpolation(1);
    EXPECT_FLOAT_EQ(p.GetValue(1.5f), 1.125f);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(p.GetValue(static_cast<float>(i)), values[i]) << i;
    // The end segments mirror each other: the missing neighbour is the end key itself.
    EXPECT_FLOAT_EQ(p.GetValue(2.5f), 0.5f);
    EXPECT_FLOAT_EQ(p.GetValue(0.5f), 0.5f);
}

TEST(k_Path, CatmullRomWithTwoKeys)
{
    k_Path<float> p(nullptr);
    p.SetKey(0, 0);
    p.SetKey(1, 1);
    p.SetInterpolation(1);
    EXPECT_FLOAT_EQ(p.GetValue(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(p.GetValue(1), 1);
}

// --- cases the show never produces ---

TEST(k_Path, CatmullRomPastTheLastKeyHoldsTheLastValue)
{
    k_Path<float> p(nullptr);
    p.SetKey(0, 0);
    p.SetKey(1, 3);
    p.SetKey(2, 5);
    p.SetInterpolation(1);
    EXPECT_FLOAT_EQ(p.GetValue(2.0001f), 5);
    EXPECT_FLOAT_EQ(p.GetValue(1e9f), 5);
}

TEST(k_Path, FewerThanTwoKeys)
{
    k_Path<k_VectorUA> p(nullptr);
    EXPECT_EQ(p.GetValue(1), k_VectorUA(0, 0, 0, 0));
    p.SetKey(4, k_VectorUA(1, 2, 3, 4));
    for (int method : {0, 1})
    {
        p.SetInterpolation(method);
        EXPECT_EQ(p.GetValue(-10), k_VectorUA(1, 2, 3, 4));
        EXPECT_EQ(p.GetValue(4), k_VectorUA(1, 2, 3, 4));
        EXPECT_EQ(p.GetValue(10), k_VectorUA(1, 2, 3, 4));
    }
}

TEST(k_Path, UnknownMethodThrowsWhenEvaluatedNotWhenSet)
{
    k_Path<float> p(nullptr);
    p.SetKey(0, 0);
    p.SetKey(1, 1);
    p.SetInterpolation(2);
    try
    {
        p.GetValue(0.5f);
        FAIL() << "expected an error";
    }
    catch (const wchar_t* message)
    {
        EXPECT_EQ(std::wstring(message), L"Interpolation method not implemented!");
    }
    p.SetInterpolation(0);
    EXPECT_FLOAT_EQ(p.GetValue(0.5f), 0.5f);
}

TEST(k_Path, NaNKeyTimeIsIgnored)
{
    k_Path<float> p(nullptr);
    testing::internal::CaptureStdout();
    p.SetKey(std::nanf(""), 99);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Path: ignored a key"), std::string::npos);
    p.SetKey(0, 0);
    p.SetKey(1, 1);
    EXPECT_FLOAT_EQ(p.GetValue(1), 1);
}
