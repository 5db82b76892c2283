#include "scene/k_Camera.h"
#include "scene/k_Frustum.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
// The fast reciprocal-square-root estimate leaves about 12 bits.
constexpr float k_Tolerance = 1e-3f;

void ExpectNear(const k_VectorUA& actual, const k_VectorUA& expected)
{
    EXPECT_NEAR(actual.x, expected.x, k_Tolerance);
    EXPECT_NEAR(actual.y, expected.y, k_Tolerance);
    EXPECT_NEAR(actual.z, expected.z, k_Tolerance);
    EXPECT_NEAR(actual.w, expected.w, k_Tolerance);
}
} // namespace

// --- the look-at frame ---

TEST(k_Camera, PositionTargetAndDirectionReorthogonaliseTheFrame)
{
    k_Camera camera(nullptr);
    camera.SetPosition(k_VectorUA(0, 0, 10, 0));
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 0, -1, 0));
    ExpectNear(camera.GetRight(), k_VectorUA(1, 0, 0, 0));
    ExpectNear(camera.GetUp(), k_VectorUA(0, 1, 0, 0));
    ExpectNear(camera.GetUpPoint(), k_VectorUA(0, 1, 10, 0));

    camera.SetTarget(k_VectorUA(10, 0, 10, 0));
    ExpectNear(camera.GetDirection(), k_VectorUA(1, 0, 0, 0));
    ExpectNear(camera.GetRight(), k_VectorUA(0, 0, 1, 0));
    ExpectNear(camera.GetUp(), k_VectorUA(0, 1, 0, 0));

    camera.SetDirection(k_VectorUA(0, 0, -2, 0));
    EXPECT_EQ(camera.GetTarget(), k_VectorUA(0, 0, 8, 0)); // position + the direction as given
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 0, -1, 0));
    ExpectNear(camera.GetRight(), k_VectorUA(1, 0, 0, 0));
    ExpectNear(camera.GetUp(), k_VectorUA(0, 1, 0, 0));
    ExpectNear(camera.GetUpPoint(), k_VectorUA(0, 1, 10, 0));
}

TEST(k_Camera, UpAndUpPointAreNotReorthogonalised)
{
    k_Camera camera(nullptr);
    camera.SetPosition(k_VectorUA(0, 0, 10, 0)); // looking down -z
    camera.SetUp(k_VectorUA(0, 1, 1, 0));
    const float h = std::sqrt(0.5f);
    ExpectNear(camera.GetUp(), k_VectorUA(0, h, h, 0));
    EXPECT_EQ(camera.GetUpPoint(), k_VectorUA(0, 1, 11, 0)); // position + the vector as given
    ExpectNear(camera.GetRight(), k_VectorUA(1, 0, 0, 0));
    EXPECT_GT(std::fabs(camera.GetUp().Dot(camera.GetDirection())), 0.5f);

    camera.SetUpPoint(k_VectorUA(0, 0, 12, 0)); // straight behind the eye
    ExpectNear(camera.GetUp(), k_VectorUA(0, 0, 1, 0));
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 0, -1, 0));
    EXPECT_EQ(camera.GetUpPoint(), k_VectorUA(0, 0, 12, 0));
}

// Putting the eye on the target for a moment (as moving both one after the
// other can) must not zero the frame for good.
TEST(k_Camera, DegenerateStepsKeepTheFrame)
{
    k_Camera camera(nullptr);
    camera.SetPosition(k_VectorUA(0, 0, 0, 0)); // on the target
    camera.SetTarget(k_VectorUA(0, 0, -1, 0));
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 0, -1, 0));
    ExpectNear(camera.GetUp(), k_VectorUA(0, 1, 0, 0));
    ExpectNear(camera.GetRight(), k_VectorUA(1, 0, 0, 0));

    camera.SetUp(k_VectorUA(0, 0, 0, 0));
    camera.SetDirection(k_VectorUA(0, 0, 0, 0));
    camera.SetTarget(k_VectorUA(0, 5, 0, 0)); // straight up: parallel to the up vector
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 1, 0, 0));
    ExpectNear(camera.GetRight(), k_VectorUA(1, 0, 0, 0));
    EXPECT_GT(camera.GetUp().LengthSquared(), 0.5f);
    camera.SetTarget(k_VectorUA(0, 0, 5, 0));
    ExpectNear(camera.GetDirection(), k_VectorUA(0, 0, 1, 0));
    EXPECT_NEAR(camera.GetUp().Length(), 1.0f, k_Tolerance);
    EXPECT_NEAR(camera.GetUp().Dot(camera.GetDirection()), 0.0f, k_Tolerance);
}

// --- the frustum ---

TEST(k_Camera, FrustumIsRebuiltOncePerChangeAndNotForTheFieldOfView)
{
    k_Camera camera(nullptr);
    auto* frustum = dynamic_cast<k_Frustum*>(camera.GetFrustum());
    ASSERT_NE(frustum, nullptr);
    EXPECT_EQ(frustum->GetUpdateCount(), 1);
    camera.GetFrustum();
    EXPECT_EQ(frustum->GetUpdateCount(), 1);

    camera.SetTag(7);
    EXPECT_EQ(camera.GetTag(), 7);
    camera.GetFrustum();
    camera.GetFrustum();
    EXPECT_EQ(frustum->GetUpdateCount(), 2);

    camera.SetFieldOfView(60);
    camera.GetFrustum();
    EXPECT_EQ(frustum->GetUpdateCount(), 2);

    camera.SetPosition(k_VectorUA(0, 0, 10, 0));
    camera.SetTarget(k_VectorUA(0, 0, 0, 0));
    camera.SetUp(k_VectorUA(0, 1, 0, 0));
    camera.GetFrustum();
    EXPECT_EQ(frustum->GetUpdateCount(), 3);
}

// The camera's frustum reaches 1000 although its projection stops at 256.
TEST(k_Camera, FrustumReachesAThousand)
{
    k_Camera camera(nullptr);
    camera.SetPosition(k_VectorUA(0, 0, 0, 0));
    camera.SetTarget(k_VectorUA(0, 0, -1, 0));
    IFrustum* frustum = camera.GetFrustum();
    EXPECT_EQ(frustum->TestPoint(k_VectorUA(0, 0, -999, 0)), k_Frustum::Inside);
    EXPECT_EQ(frustum->TestPoint(k_VectorUA(0, 0, -1001, 0)), k_Frustum::Outside);
    EXPECT_EQ(frustum->TestPoint(k_VectorUA(0, 0, -0.05f, 0)), k_Frustum::Outside);
}

class k_FrustumTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A 90 degree square frustum from the origin down -z, near 1, far 100.
        frustum.SetPerspective(90, 1, 1, 100);
        frustum.Update(k_VectorUA(0, 0, 0, 0), k_VectorUA(0, 0, -1, 0), k_VectorUA(0, 1, 0, 0));
    }
    k_Frustum frustum;
};

TEST_F(k_FrustumTest, PointsInsideAndOutside)
{
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(0, 0, -50, 0)), k_Frustum::Inside);
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(40, -40, -50, 0)), k_Frustum::Inside);
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(60, 0, -50, 0)), k_Frustum::Outside);  // right
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(0, 60, -50, 0)), k_Frustum::Outside);  // top
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(0, 0, -0.5f, 0)), k_Frustum::Outside); // before near
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(0, 0, -150, 0)), k_Frustum::Outside);  // beyond far
    EXPECT_EQ(frustum.TestPoint(k_VectorUA(0, 0, 10, 0)), k_Frustum::Outside);    // behind the eye
}

TEST_F(k_FrustumTest, SpheresInsideIntersectingAndOutside)
{
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(0, 0, -50, 0), 1), k_Frustum::Inside);
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(50, 0, -50, 0), 5), k_Frustum::Intersecting); // on the right plane
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(0, 0, -100, 0), 5), k_Frustum::Intersecting); // on the far plane
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(0, 0, -150, 0), 10), k_Frustum::Outside);
    // Straddles the left plane but lies wholly beyond the far one.
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(-200, 0, -200, 0), 30), k_Frustum::Outside);
    // Straddles the left plane and lies inside every other.
    EXPECT_EQ(frustum.TestSphere(k_VectorUA(-50, 0, -50, 0), 3), k_Frustum::Intersecting);
}
