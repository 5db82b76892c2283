#include "graphics/k_RenderTarget.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/IRewindable.h"
#include "interfaces/ITexture.h"
#include "scene/k_Camera.h"
#include "scene/k_Light.h"
#include "scene/k_Renderable.h"
#include "scene/k_World.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// A world that records its hooks and GL facts seen at stage 1, and may skip its clear.
class k_RecordingWorld : public k_World
{
public:
    k_RecordingWorld(IEngine* engine, std::string name, std::vector<std::string>* log)
        : k_World(engine, name), m_log(log)
    {
    }
    void Build() override { ++builds; }
    void Update() override { ++updates; }
    void OnRenderStage(int stage) override
    {
        m_log->push_back(GetName() + ":stage" + std::to_string(stage));
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebufferAtStage[stage]);
        if (stage == 1)
        {
            lightingAtStage1 = glIsEnabled(GL_LIGHTING);
            light1AtStage1 = glIsEnabled(GL_LIGHT1);
            currentAtStage1 = m_engine->GetRenderer()->GetCurrentWorld();
        }
    }
    void Clear() override
    {
        m_log->push_back(GetName() + ":clear");
        if (clears)
            k_World::Clear();
    }

    bool clears = true;
    int builds = 0;
    int updates = 0;
    bool lightingAtStage1 = false;
    bool light1AtStage1 = false;
    IWorld* currentAtStage1 = nullptr;
    GLint framebufferAtStage[4] = {-1, -1, -1, -1};

private:
    std::vector<std::string>* m_log;
};

// A node that logs its renders and may fill a rectangle in normalised device coordinates.
class k_LoggingNode : public k_Renderable
{
public:
    k_LoggingNode(std::string name, std::vector<std::string>* log) : k_Renderable(nullptr), m_name(name), m_log(log) {}
    void Draw(int stage) override
    {
        if (stage != 1)
            return;
        m_log->push_back(m_name);
        if (fill)
        {
            glColor3f(0.0f, 0.0f, 1.0f);
            glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
        }
    }
    bool fill = false;

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

class k_RendererTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestPlainState();
    }
    void TearDown() override
    {
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
    }
    static std::vector<uint8_t> Pixel(int x, int y) { return k_GlTestContext::ReadPixels(x, y, 1, 1); }
    static std::vector<uint8_t> Rgba(int r, int g, int b, int a = 255)
    {
        return {uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
    }

    k_SceneTestEngine engine;
    std::vector<std::string> log;
};
} // namespace

// --- which worlds are cleared, drawn and updated ---

TEST_F(k_RendererTest, DisabledWorldIsNeitherClearedNorDrawnButStillUpdated)
{
    k_RecordingWorld shown(&engine, "shown", &log), hidden(&engine, "hidden", &log);
    shown.SetClearColour(k_VectorUA(1, 0, 0, 1));
    hidden.SetClearColour(k_VectorUA(0, 1, 0, 1));
    k_LoggingNode node("hiddenNode", &log);
    hidden.AddRenderable(&node);
    hidden.SetEnabled(false);
    engine.AddWorld(&shown);
    engine.AddWorld(&hidden);
    EXPECT_EQ(hidden.builds, 1);

    engine.Update(0.01);
    EXPECT_EQ(
        log, (std::vector<std::string>{"shown:stage0", "shown:clear", "shown:stage1", "shown:stage2", "shown:stage3"}));
    EXPECT_EQ(hidden.updates, 1);
    EXPECT_EQ(Pixel(10, 10), Rgba(255, 0, 0));

    hidden.SetUpdated(false);
    engine.Update(0.01);
    EXPECT_EQ(hidden.updates, 1);
    EXPECT_EQ(shown.updates, 2);
    EXPECT_TRUE(engine.Graphics().errors.empty());
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RendererTest, WorldThatDoesNotClearDrawsOverThePreviousWorld)
{
    k_RecordingWorld back(&engine, "back", &log), front(&engine, "front", &log);
    back.SetClearColour(k_VectorUA(1, 0, 0, 1));
    front.SetClearColour(k_VectorUA(0, 1, 0, 1));
    front.clears = false;
    k_LoggingNode quad("quad", &log);
    quad.fill = true;
    front.AddRenderable(&quad);
    engine.AddWorld(&back);
    engine.AddWorld(&front);
    engine.Update(0.01);
    EXPECT_EQ(Pixel(10, 10), Rgba(255, 0, 0)); // the back world's clear survives
    EXPECT_EQ(Pixel(128, 128), Rgba(0, 0, 255));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// A frame nobody sees draws only what a later frame can read: worlds with a render target and worlds with
// frame-to-frame state; every world is still updated, and knows it is a warm-up frame meanwhile.
TEST_F(k_RendererTest, AWarmUpFrameDrawsOnlyWorldsWithATargetOrAState)
{
    struct k_StatefulWorld : k_RecordingWorld, IRewindable
    {
        using k_RecordingWorld::k_RecordingWorld;
        void Rewind() override {}
        void Update() override
        {
            k_RecordingWorld::Update();
            warmingUp.push_back(m_engine->GetRenderer()->IsWarmingUp());
            if (fail)
                throw L"a failing update";
        }
        std::vector<bool> warmingUp;
        bool fail = false;
    };
    k_RenderTarget target(&engine, 16, 16);
    ASSERT_NE(target.AddColorTexture(2), nullptr);
    k_RecordingWorld plain(&engine, "plain", &log), into(&engine, "into", &log);
    k_StatefulWorld stateful(&engine, "stateful", &log);
    into.SetRenderTarget(&target);
    stateful.clears = false;
    plain.SetClearColour(k_VectorUA(0, 1, 0, 1));
    k_LoggingNode node("plainNode", &log);
    plain.AddRenderable(&node);
    engine.AddWorld(&plain);
    engine.AddWorld(&into);
    engine.AddWorld(&stateful);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    engine.GetRenderer()->RenderWarmUpFrame(0.01, true);
    EXPECT_EQ(log,
              (std::vector<std::string>{"into:stage0", "into:stage1", "into:stage2", "into:stage3", "stateful:stage0",
                                        "stateful:clear", "stateful:stage1", "stateful:stage2", "stateful:stage3"}));
    EXPECT_EQ(plain.updates, 1);
    EXPECT_EQ(stateful.warmingUp, std::vector<bool>{true});
    EXPECT_FALSE(engine.GetRenderer()->IsWarmingUp());
    EXPECT_EQ(Pixel(10, 10), Rgba(255, 0, 0)) << "the plain world cleared the window in a warm-up frame";

    // Without the targets' worlds, only the stateful one draws; a left-out world's lights still go on for
    // the worlds after it, as in a whole frame.
    k_Light light(&engine);
    light.SetDiffuse(k_VectorUA(0.25f, 0.5f, 0.75f, 1.0f));
    into.AddLight(&light);
    const GLfloat black[4] = {0, 0, 0, 0};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, black);
    log.clear();
    engine.GetRenderer()->RenderWarmUpFrame(0.01, false);
    EXPECT_EQ(log, (std::vector<std::string>{"stateful:stage0", "stateful:clear", "stateful:stage1", "stateful:stage2",
                                             "stateful:stage3"}));
    GLfloat diffuse[4] = {};
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[2], 0.75f) << "the left-out world's light was not applied";
    EXPECT_EQ(into.updates, 2);

    // A whole frame draws every world again and is no warm-up, whatever the warm-up before it did.
    stateful.fail = true;
    EXPECT_ANY_THROW(engine.GetRenderer()->RenderWarmUpFrame(0.01, true));
    EXPECT_FALSE(engine.GetRenderer()->IsWarmingUp()) << "a throwing frame left the renderer warming up";
    stateful.fail = false;
    log.clear();
    engine.Update(0.01);
    EXPECT_EQ(std::count(log.begin(), log.end(), "plainNode"), 1);
    EXPECT_EQ(stateful.warmingUp.back(), false);
    EXPECT_EQ(Pixel(10, 10), Rgba(0, 255, 0)) << "the plain world's clear";
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// --- linked worlds ---

TEST_F(k_RendererTest, LinkingWorldDrawsOnlyTheSharedNodesOfTheLinkedWorldFirst)
{
    k_RecordingWorld source(&engine, "source", &log), linking(&engine, "linking", &log);
    k_LoggingNode shared("shared", &log), secret("secret", &log), own("own", &log);
    secret.SetShared(false);
    source.AddRenderable(&shared);
    source.AddRenderable(&secret);
    linking.AddRenderable(&own);
    linking.SetLinkedWorld(&source);
    source.SetEnabled(false);
    engine.AddWorld(&source);
    engine.AddWorld(&linking);

    engine.Update(0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"linking:stage0", "linking:clear", "linking:stage1", "shared", "own",
                                             "linking:stage2", "linking:stage3"}));

    log.clear();
    source.SetEnabled(true);
    engine.Update(0.01);
    EXPECT_EQ(std::count(log.begin(), log.end(), "secret"), 1); // by its own world only
    EXPECT_EQ(std::count(log.begin(), log.end(), "shared"), 2);
}

// --- render targets ---

// A world with a target: stage 0 runs on the window, stages 1 and 2 inside the target, stage 3 on the
// window again; the target is cleared as the world's own flags say, and the window is left alone.
TEST_F(k_RendererTest, WorldWithATargetDrawsIntoItWithItsOwnClearFlags)
{
    k_RenderTarget target(&engine, 16, 16);
    ITexture* texture = target.AddColorTexture(2);
    ASSERT_NE(texture, nullptr);
    k_RecordingWorld world(&engine, "off", &log);
    world.SetRenderTarget(&target);
    world.SetClearColour(k_VectorUA(1, 0, 0, 1));
    world.SetClearFlags(k_RenderTarget::k_ClearColour | k_RenderTarget::k_DrawAll);
    engine.AddWorld(&world);
    auto texel = [&] {
        std::vector<uint8_t> texels(16 * 16 * 4);
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(texture)->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return std::vector<uint8_t>(texels.begin() + 4 * (8 * 16 + 8), texels.begin() + 4 * (8 * 16 + 9));
    };

    engine.Update(0.01);
    EXPECT_EQ(log, (std::vector<std::string>{"off:stage0", "off:stage1", "off:stage2", "off:stage3"}));
    const GLint framebuffer = static_cast<GLint>(target.GetFramebuffer());
    ASSERT_NE(framebuffer, 0);
    EXPECT_EQ(std::vector<GLint>(world.framebufferAtStage, world.framebufferAtStage + 4),
              (std::vector<GLint>{0, framebuffer, framebuffer, 0}));
    EXPECT_EQ(texel(), Rgba(255, 0, 0));
    EXPECT_EQ(Pixel(10, 10), Rgba(0, 0, 0)); // the window is not cleared by a world with a target

    // Without the colour flag the target keeps what it holds; with it, it takes the new colour.
    world.SetClearColour(k_VectorUA(0, 1, 0, 1));
    world.SetClearFlags(k_RenderTarget::k_DrawAll);
    engine.Update(0.01);
    EXPECT_EQ(texel(), Rgba(255, 0, 0));
    world.SetClearFlags(k_RenderTarget::k_ClearColour | k_RenderTarget::k_DrawAll);
    engine.Update(0.01);
    EXPECT_EQ(texel(), Rgba(0, 255, 0));
    EXPECT_TRUE(engine.Graphics().errors.empty());
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// --- camera and lights ---

TEST_F(k_RendererTest, CameraAndLightsAreAppliedPerWorldAndLightingFollowsTheList)
{
    k_RecordingWorld lit(&engine, "lit", &log), dark(&engine, "dark", &log);
    k_Camera camera(&engine);
    k_Light first(&engine), second(&engine);
    lit.SetCamera(&camera);
    lit.AddLight(&first);
    lit.AddLight(&second);
    engine.AddWorld(&lit);
    engine.AddWorld(&dark);
    engine.Update(0.01);

    EXPECT_TRUE(lit.lightingAtStage1);
    EXPECT_TRUE(lit.light1AtStage1);
    EXPECT_EQ(lit.currentAtStage1, &lit);
    EXPECT_FALSE(dark.lightingAtStage1);
    EXPECT_EQ(dark.currentAtStage1, &dark);
    EXPECT_EQ(engine.GetRenderer()->GetCurrentWorld(), &dark);
    // The dark world has no camera: the lit world's view stays in effect.
    float modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_NEAR(modelView[14], -5.0f, 1e-5f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
}

// --- sub-frames ---

class k_SubFrameTest : public k_RendererTest
{
protected:
    void SetUp() override
    {
        k_RendererTest::SetUp();
        engine.AddWorld(&world);
        GLint bits = 0;
        glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
        hasAccumulation = bits > 0;
    }
    // The number of timeline advances (each one a drawn pass) of one frame.
    size_t Passes(double dt)
    {
        engine.Timeline().steps.clear();
        engine.Update(dt);
        return engine.Timeline().steps.size();
    }

    k_RecordingWorld world{&engine, "w", &log};
    bool hasAccumulation = false;
};

TEST_F(k_SubFrameTest, AdaptiveCountFollowsTheFrameTime)
{
    engine.Renderer().SetAdaptive(true);
    engine.Renderer().SetSubFrameCount(3);
    const size_t slow = Passes(0.020);
    EXPECT_EQ(engine.Renderer().GetSubFrameCount(), 2);
    engine.Renderer().SetSubFrameCount(3);
    const size_t fast = Passes(0.010);
    EXPECT_EQ(engine.Renderer().GetSubFrameCount(), 4);
    if (hasAccumulation)
    {
        EXPECT_EQ(slow, 2u);
        EXPECT_EQ(fast, 4u);
        EXPECT_DOUBLE_EQ(engine.Timeline().steps[0], 0.0025);
    }
    else
    {
        // Without an accumulation buffer the frame is drawn in one pass.
        EXPECT_EQ(slow, 1u);
        EXPECT_EQ(fast, 1u);
    }
    // A slow frame never drives the count below one.
    engine.Renderer().SetSubFrameCount(0);
    EXPECT_EQ(Passes(0.1), 1u);
    EXPECT_EQ(engine.Renderer().GetSubFrameCount(), 1);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// Each pass's picture weighs 1/count in the window: cleared white, black, white
// over three passes, the window shows two thirds of white (170, or 213 where the
// driver returns the sum sRGB-encoded, as Mesa does into this window). Passes
// adding up past 1 overflow the accumulation buffer and come back near black.
TEST_F(k_SubFrameTest, PassesAreAveragedInTheWindow)
{
    if (!hasAccumulation)
        GTEST_SKIP() << "the test context has no accumulation buffer";
    class k_FlickeringWorld : public k_World
    {
    public:
        using k_World::k_World;
        void Update() override
        {
            const float level = (m_passes++ % 2 == 0) ? 1.0f : 0.0f;
            SetClearColour(k_VectorUA(level, level, level, 1.0f));
        }

    private:
        int m_passes = 0;
    } flickering(&engine, "flickering");
    engine.AddWorld(&flickering);
    engine.Renderer().SetSubFrameCount(3);
    EXPECT_EQ(Passes(0.03), 3u);
    const std::vector<uint8_t> pixel = Pixel(20, 20);
    for (int channel = 0; channel < 3; ++channel)
    {
        EXPECT_GE(pixel[channel], 168);
        EXPECT_LE(pixel[channel], 215);
    }
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_SubFrameTest, CountOfZeroOrOneDrawsOnePassWithTheFullStep)
{
    for (int count : {0, 1})
    {
        engine.Renderer().SetSubFrameCount(count);
        EXPECT_EQ(Passes(0.04), 1u);
        EXPECT_DOUBLE_EQ(engine.Timeline().steps[0], 0.04);
        EXPECT_EQ(engine.Renderer().GetSubFrameCount(), count);
    }
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}
