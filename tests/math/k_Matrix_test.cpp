#include "math/k_Matrix.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace
{
void ExpectNear(const k_Matrix& a, const k_Matrix& b, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

k_Matrix Counting()
{
    k_Matrix a;
    for (int i = 0; i < 16; ++i)
        a[i] = static_cast<float>(i + 1);
    return a;
}
} // namespace

TEST(k_Matrix, DefaultIsIdentityInStorageOrder)
{
    const k_Matrix i;
    for (int e = 0; e < 16; ++e)
        EXPECT_EQ(i[e], (e % 5 == 0) ? 1.0f : 0.0f) << e;
}

TEST(k_Matrix, ProductFollowsTheColumnMajorFormula)
{
    const k_Matrix a = Counting();
    k_Matrix b;
    for (int i = 0; i < 16; ++i)
        b[i] = static_cast<float>(i % 3) - 1.0f;
    const k_Matrix p = a * b;
    for (int n = 0; n < 4; ++n)
        for (int j = 0; j < 4; ++j)
        {
            float expected = 0;
            for (int k = 0; k < 4; ++k)
                expected += a[4 * k + j] * b[4 * n + k];
            EXPECT_EQ(p[4 * n + j], expected);
        }
    // Column-major: a translation in m[12..14] moves the point held in b's last column.
    k_Matrix t;
    t[12] = 5;
    k_Matrix point = k_Matrix::Zero();
    point[15] = 1;
    EXPECT_EQ((t * point)[12], 5.0f);
    EXPECT_EQ(a * k_Matrix(), a);
    EXPECT_EQ(k_Matrix() * a, a);
}

TEST(k_Matrix, InverseOfRandomMatricesGivesIdentity)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    for (int round = 0; round < 20; ++round)
    {
        k_Matrix a;
        for (float& e : a.m)
            e = d(rng);
        bool ok = false;
        const k_Matrix inv = a.Inverse(&ok);
        ASSERT_TRUE(ok);
        ExpectNear(a * inv, k_Matrix(), 2e-3f);
        ExpectNear(inv * a, k_Matrix(), 2e-3f);
    }
}

TEST(k_Matrix, InverseOfKnownMatrices)
{
    k_Matrix t = k_Matrix::Translation(k_VectorUA(1, 2, 3, 1));
    const k_Matrix inv = t.Inverse();
    EXPECT_FLOAT_EQ(inv[3], -1.0f);
    EXPECT_FLOAT_EQ(inv[7], -2.0f);
    EXPECT_FLOAT_EQ(inv[11], -3.0f);
    EXPECT_FLOAT_EQ(k_Matrix::Scale(2, 4, 8).Determinant(), 64.0f);
    ExpectNear(k_Matrix::Scale(2, 4, 8).Inverse(), k_Matrix::Scale(0.5f, 0.25f, 0.125f), 1e-7f);
}

TEST(k_Matrix, SingularOrBrokenMatrixGivesIdentityAndSaysSo)
{
    k_Matrix rankThree = Counting(); // rows are in arithmetic progression
    bool ok = true;
    EXPECT_EQ(rankThree.Inverse(&ok), k_Matrix());
    EXPECT_FALSE(ok);

    EXPECT_EQ(k_Matrix::Zero().Inverse(&ok), k_Matrix());
    EXPECT_FALSE(ok);

    k_Matrix withNaN;
    withNaN[6] = std::nanf("");
    const k_Matrix r = withNaN.Inverse(&ok);
    EXPECT_FALSE(ok);
    for (float e : r.m)
        EXPECT_FALSE(std::isnan(e));

    k_Matrix tiny = k_Matrix::Scale(1e-20f, 1e-20f, 1e-20f); // determinant underflows to 0
    EXPECT_EQ(tiny.Inverse(&ok), k_Matrix());
    EXPECT_FALSE(ok);
}

// Element by element against values worked out by hand for 30 degrees (cos = sqrt(3)/2, sin = 1/2) and
// -90 degrees (cos = 0, sin = -1), so a sine term with the wrong sign shows.
TEST(k_Matrix, RotationsAboutXAndYHoldTheirSinesWhereTheyBelong)
{
    const double thirty = 3.14159265358979323846 / 6.0;
    const float c = 0.8660254f;
    const float x30[16] = {1, 0, 0, 0, 0, c, -0.5f, 0, 0, 0.5f, c, 0, 0, 0, 0, 1};
    const float y30[16] = {c, 0, 0.5f, 0, 0, 1, 0, 0, -0.5f, 0, c, 0, 0, 0, 0, 1};
    ExpectNear(k_Matrix::RotationX(thirty), k_Matrix(x30), 1e-6f);
    ExpectNear(k_Matrix::RotationY(thirty), k_Matrix(y30), 1e-6f);
    const float xMinus90[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    const float yMinus90[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    const double minus90 = -3.0 * thirty;
    ExpectNear(k_Matrix::RotationX(minus90), k_Matrix(xMinus90), 1e-6f);
    ExpectNear(k_Matrix::RotationY(minus90), k_Matrix(yMinus90), 1e-6f);
}
