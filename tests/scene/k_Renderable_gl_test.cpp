#include "interfaces/IRenderHook.h"
#include "math/k_Quaternion.h"
#include "scene/k_EmptyRenderable.h"
#include "scene/k_World.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// A node that writes "<name><stage>" into a shared log, keeps the model-view
// matrix it saw at stage 1 and, if asked, fills a rectangle there in its own space.
class k_RecordingNode : public k_Renderable
{
public:
    k_RecordingNode(std::string name, std::vector<std::string>* log) : k_Renderable(nullptr), m_name(name), m_log(log)
    {
    }
    void Draw(int stage) override
    {
        m_log->push_back(m_name + std::to_string(stage));
        if (stage != 1)
            return;
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
        if (hasRect)
        {
            glColor3f(1.0f, 1.0f, 1.0f);
            glRectf(rect[0], rect[1], rect[2], rect[3]);
        }
    }

    float modelView[16] = {};
    bool hasRect = false;
    float rect[4] = {};

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

class k_RecordingHook : public IRenderHook
{
public:
    explicit k_RecordingHook(std::vector<std::string>* log) : m_log(log) {}
    void BeginRender(IRenderable*) override { m_log->push_back("begin"); }
    void EndRender(IRenderable*) override { m_log->push_back("end"); }

private:
    std::vector<std::string>* m_log;
};

class k_RenderableTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestPlainState();
    }

    // Whether the window pixel under normalised device coordinates (x, y) is lit.
    static bool Lit(float x, float y)
    {
        const int px = static_cast<int>((x + 1.0f) * 0.5f * k_GlTestContext::k_Width);
        const int py = static_cast<int>((y + 1.0f) * 0.5f * k_GlTestContext::k_Height);
        return k_GlTestContext::ReadPixels(px, py, 1, 1)[0] > 128;
    }

    std::vector<std::string> log;
};
} // namespace

// --- transformation ---

// parent x T x S x R x M: the free matrix acts first, then the rotation, the
// scale along the parent's axes and the translation.
TEST_F(k_RenderableTest, TransformationIsTranslateScaleRotateThenFreeMatrix)
{
    k_RecordingNode node("n", &log);
    node.SetPosition(k_VectorUA(0.25f, -0.5f, 0.0f, 1.0f));
    node.SetScale(k_VectorUA(2, 1, 1, 1));
    node.SetRotation(k_Quaternion::FromAxisAngle(0, 0, 1, 90, true));
    k_Matrix free;
    free[12] = 0.1f; // the free matrix moves along the geometry's x first
    node.SetMatrix(free.Data());
    node.Render();
    // The quaternion rule turns the geometry's x axis onto the parent's -y and its y axis onto +x.
    // A point p goes to T(S(R(M p))): M(0,0) = (0.1, 0); R turns it to (0, -0.1); S keeps it; T adds (0.25, -0.5).
    const float* m = node.modelView;
    EXPECT_NEAR(m[12], 0.25f, 1e-3f);
    EXPECT_NEAR(m[13], -0.6f, 1e-3f);
    // Geometry x: along the parent's -y, length 1. Geometry y: along the parent's x, stretched to 2.
    EXPECT_NEAR(m[0], 0.0f, 1e-3f);
    EXPECT_NEAR(m[1], -1.0f, 1e-3f);
    EXPECT_NEAR(m[4], 2.0f, 1e-3f);
    EXPECT_NEAR(m[5], 0.0f, 1e-3f);
}

// A tall thin rectangle turned 90 degrees about z lies along x; the scale (2, 1, 1)
// then stretches it along the parent's x axis, which is the geometry's own y axis.
TEST_F(k_RenderableTest, ScaleTwoOneOneAndQuarterTurnStretchesAlongTheGeometrysY)
{
    k_RecordingNode node("n", &log);
    node.hasRect = true;
    node.rect[0] = -0.1f, node.rect[1] = -0.4f, node.rect[2] = 0.1f, node.rect[3] = 0.4f;
    node.SetScale(k_VectorUA(2, 1, 1, 1));
    node.SetRotation(k_Quaternion::FromAxisAngle(0, 0, 1, 90, true));
    node.Render();
    EXPECT_TRUE(Lit(0.0f, 0.0f));
    EXPECT_TRUE(Lit(0.7f, 0.0f)); // the 0.4 half-length, doubled
    EXPECT_TRUE(Lit(-0.7f, 0.0f));
    EXPECT_FALSE(Lit(0.0f, 0.15f)); // the 0.1 half-width is not doubled
    EXPECT_FALSE(Lit(0.0f, 0.5f));
}

// --- stages, hooks, visibility ---

TEST_F(k_RenderableTest, StagesHooksAndChildrenRunInOrder)
{
    k_RecordingNode parent("p", &log), child("c", &log);
    k_RecordingHook hook(&log);
    parent.AddRenderHook(&hook);
    parent.AddChild(&child);
    parent.Render();
    EXPECT_EQ(log, (std::vector<std::string>{"p0", "begin", "p1", "c0", "c1", "c2", "p2", "end"}));
}

TEST_F(k_RenderableTest, InvisibleNodeRunsStagesZeroAndTwoAndHooksButNoGeometryOrChildren)
{
    k_RecordingNode parent("p", &log), child("c", &log);
    k_RecordingHook hook(&log);
    parent.AddRenderHook(&hook);
    parent.AddChild(&child);
    parent.SetVisible(false);
    parent.Render();
    EXPECT_EQ(log, (std::vector<std::string>{"p0", "begin", "p2", "end"}));
}

// A cycle in the graph must not recurse without end.
TEST_F(k_RenderableTest, NodeThatContainsItselfIsDrawnOnceWithAMessage)
{
    k_RecordingNode parent("p", &log), child("c", &log);
    parent.AddChild(&child);
    child.AddChild(&parent);
    testing::internal::CaptureStdout();
    parent.Render();
    parent.Render();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(log.begin(), log.end(), "p1"), 2);
    EXPECT_EQ(std::count(log.begin(), log.end(), "c1"), 2);
    EXPECT_NE(out.find("a node is its own descendant"), std::string::npos);
    EXPECT_EQ(out.find("descendant", out.find("descendant") + 1), std::string::npos); // once
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- worlds ---

TEST(k_Renderable, WorldReachesNodesOnlyThroughTheWorldAndAddChild)
{
    k_World world(nullptr, "w");
    k_EmptyRenderable parent(nullptr), child(nullptr), late(nullptr), stranger(nullptr);

    parent.AddChild(&child); // the parent has no world yet
    world.AddRenderable(&parent);
    EXPECT_EQ(parent.GetWorld(), &world);
    EXPECT_EQ(child.GetWorld(), nullptr); // SetWorld does not propagate
    parent.AddChild(&late);
    EXPECT_EQ(late.GetWorld(), &world);

    stranger.SetWorld(&world);
    parent.RemoveChild(&stranger); // never added: the world is cleared all the same
    EXPECT_EQ(stranger.GetWorld(), nullptr);
    EXPECT_EQ(parent.GetChildren().size(), 2u);

    world.RemoveRenderable(&parent);
    EXPECT_EQ(parent.GetWorld(), nullptr);
    EXPECT_TRUE(world.GetRenderables()->empty());
    EXPECT_TRUE(parent.IsShared());
    EXPECT_TRUE(parent.IsVisible());
}
