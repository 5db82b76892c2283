#include "animation/k_Bone.h"
#include "animation/k_TransformationAnimation.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IShaderCallback.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace
{
const k_VectorUA k_NoRotation(0, 0, 0, 0);

std::unique_ptr<k_Bone> MakeBone(int index, k_VectorUA position = {0, 0, 0, 1})
{
    return std::make_unique<k_Bone>(nullptr, L"b" + std::to_wstring(index), index, position, 1.0f, 1.0f, 1.0f,
                                    k_NoRotation);
}

// Applies a stored matrix (translation in elements 3, 7, 11) to a point as the skinning shader does.
k_VectorUA Transform(const float* m, const k_VectorUA& p)
{
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11], 1.0f};
}

void ExpectPoint(const k_VectorUA& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

TransformationKey Key(int channel, float time, k_VectorUA value)
{
    TransformationKey key;
    key.channel = channel;
    key.time = time;
    key.value = value;
    return key;
}
} // namespace

TEST(k_Bone, BindAndInverseBindMatricesOfATranslatedBone)
{
    auto bone = MakeBone(0, {1, 2, 3, 1});
    k_Matrix expected;
    expected[3] = 1, expected[7] = 2, expected[11] = 3;
    EXPECT_EQ(k_Matrix(bone->GetBindMatrix()), expected);
    k_Matrix inverse;
    inverse[3] = -1, inverse[7] = -2, inverse[11] = -3;
    EXPECT_EQ(k_Matrix(bone->GetInverseBindMatrix()), inverse);
}

TEST(k_Bone, ReparentingMovesTheBoneAndCyclesAreRefused)
{
    auto a = MakeBone(0), b = MakeBone(1), c = MakeBone(2);
    c->SetParent(a.get());
    c->SetParent(b.get());
    EXPECT_TRUE(a->GetChildren()->empty());
    ASSERT_EQ(b->GetChildren()->size(), 1u);
    EXPECT_EQ(c->GetParent(), b.get());

    testing::internal::CaptureStdout();
    b->SetParent(c.get()); // c hangs below b
    c->SetParent(c.get());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(c->GetParent(), b.get());
    EXPECT_NE(log.find("cannot be a child of itself"), std::string::npos);
}

TEST(k_Bone, TheRootOwnsTheMapAndOneIdentityPerIndex)
{
    auto root = MakeBone(0), left = MakeBone(1), right = MakeBone(2);
    left->SetParent(root.get());
    right->SetParent(root.get());
    EXPECT_EQ(right->GetBoneMap(), root->GetBoneMap());
    EXPECT_EQ(root->GetBoneMap()->size(), 3u);
    EXPECT_EQ(root->GetMatrixCount(), 3);
    EXPECT_EQ(left->GetMatrices(), root->GetMatrices());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(k_Matrix(root->GetMatrices() + 16 * i), k_Matrix()) << "matrix " << i;
}

TEST(k_Bone, IndicesWithGapsGetTheirOwnSlots)
{
    // The shader indexes the array by bone index, so index 5 needs six matrices, not two.
    auto root = MakeBone(0), tip = MakeBone(5, {0, 1, 0, 1});
    tip->SetParent(root.get());
    k_TransformationAnimation lift(L"lift", nullptr);
    lift.AddKey(Key(0, 0.0f, {0, 3, 0, 1}));
    tip->SetAnimation(&lift);
    EXPECT_EQ(root->GetMatrixCount(), 6);
    tip->GetTransformation(0.0f, 1);
    ExpectPoint(Transform(root->GetMatrices() + 16 * 5, {0, 1, 0, 1}), 0, 3, 0);
}

TEST(k_Bone, ChildFollowsTheAnimatedParentAndIsWrittenIntoTheRootsArray)
{
    // A root at the origin turning about z, a child bound one unit up.
    auto root = MakeBone(0), child = MakeBone(1, {0, 1, 0, 1});
    child->SetParent(root.get());
    k_TransformationAnimation turn(L"turn", nullptr), bend(L"bend", nullptr);
    turn.AddKey(Key(1, 0.0f, {0, 0, 0, 0}));
    turn.AddKey(Key(1, 1.0f, {0, 0, 90, 0}));
    bend.AddKey(Key(0, 0.0f, {0, 1, 0, 1})); // the child's place relative to the root, no turn of its own
    root->SetAnimation(&turn);
    child->SetAnimation(&bend);
    root->GetMatrices();

    // At rest every vertex stays where it was bound.
    ExpectPoint(Transform(child->GetTransformation(0.0f, 1), {0, 2, 0, 1}), 0, 2, 0);
    // A quarter turn of the root carries the child's vertex (0, 2) to (-2, 0).
    const float* skin = child->GetTransformation(1.0f, 1);
    ExpectPoint(Transform(skin, {0, 2, 0, 1}), -2, 0, 0);
    EXPECT_EQ(k_Matrix(root->GetMatrices() + 16), k_Matrix(skin));
    // A bone without an animation moves rigidly with its parent.
    child->SetAnimation(nullptr);
    ExpectPoint(Transform(child->GetTransformation(1.0f, 2), {0, 2, 0, 1}), -2, 0, 0);
}

TEST(k_Bone, ACachedMatrixIsNeverStale)
{
    auto root = MakeBone(0), child = MakeBone(1);
    child->SetParent(root.get());
    k_TransformationAnimation up(L"up", nullptr), stay(L"stay", nullptr), other(L"other", nullptr);
    up.AddKey(Key(0, 0.0f, {0, 1, 0, 1}));
    stay.AddKey(Key(0, 0.0f, {0, 0, 0, 1}));
    other.AddKey(Key(0, 0.0f, {4, 0, 0, 1}));
    root->SetAnimation(&up);
    child->SetAnimation(&stay);
    ExpectPoint(Transform(child->GetTransformation(0.0f, 1), {0, 0, 0, 1}), 0, 1, 0);
    // A new animation on the parent reaches the child at the same time and stamp.
    root->SetAnimation(&other);
    ExpectPoint(Transform(child->GetTransformation(0.0f, 1), {0, 0, 0, 1}), 4, 0, 0);
    // So does a new parent.
    child->SetParent(nullptr);
    ExpectPoint(Transform(child->GetTransformation(0.0f, 1), {0, 0, 0, 1}), 0, 0, 0);
    // A key added to the animation shows with the next stamp.
    stay.AddKey(Key(0, 0.0f, {0, 0, 7, 1}));
    ExpectPoint(Transform(child->GetTransformation(0.0f, 2), {0, 0, 0, 1}), 0, 0, 7);
}

TEST(k_Bone, FactoryRegistersTheBonesCallbackAndOwnsItsBones)
{
    k_ResourceFactory factory(nullptr);
    IShaderCallback* bones = factory.FindShaderCallback(L"bones");
    ASSERT_NE(bones, nullptr);
    EXPECT_EQ(bones->GetName(), L"bones");
    IBone* bone = factory.CreateBone(L"hip", 3, {0, 0, 0, 1}, {2, 2, 2, 0}, k_NoRotation);
    ASSERT_NE(bone, nullptr);
    EXPECT_EQ(bone->GetIndex(), 3);
    EXPECT_EQ(bone->GetBindMatrix()[0], 2.0f);
    EXPECT_EQ(k_Bone::FromHandle(bone->GetHandle()), bone);
    // A null value, or the handle of nothing, uploads nothing and does not crash.
    bones->Apply(nullptr, 0);
    bones->Apply(nullptr, bone->GetHandle() + 1000);
}

TEST(k_Bone, HandlesOfDestroyedBonesFindNothing)
{
    int handle = 0;
    {
        auto bone = MakeBone(0);
        handle = bone->GetHandle();
        EXPECT_NE(handle, 0);
    }
    EXPECT_EQ(k_Bone::FromHandle(handle), nullptr);
    EXPECT_EQ(k_Bone::FromHandle(0), nullptr);
}
