#include "demo/k_DriftWorld.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "scene/k_Renderable.h"
#include "support/k_ShowTestEngine.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
constexpr int k_Size = 64;

// Paints a white square into whatever is bound (stage 1) and counts how often it did.
class k_SquareNode : public k_Renderable
{
public:
    using k_Renderable::k_Renderable;
    void Draw(int stage) override
    {
        if (stage != 1)
            return;
        ++drawn;
        glUseProgram(0);
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glVertex2f(-0.25f, -0.25f);
        glVertex2f(0.25f, -0.25f);
        glVertex2f(0.25f, 0.25f);
        glVertex2f(-0.25f, 0.25f);
        glEnd();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopAttrib();
    }
    int drawn = 0;
};

// What the drift world's target holds: its total brightness and the share of it outside the painted square.
struct Picture
{
    double energy = 0.0;
    double outside = 0.0;
};

Picture Read(ITexture* texture)
{
    std::vector<float> pixels(k_Size * k_Size * 4);
    texture->Bind(0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    Picture picture;
    for (int y = 0; y < k_Size; ++y)
        for (int x = 0; x < k_Size; ++x)
        {
            const float* p = &pixels[static_cast<size_t>((y * k_Size + x) * 4)];
            const double value = p[0] + p[1] + p[2];
            picture.energy += value;
            const bool inside = x >= 22 && x < 42 && y >= 22 && y < 42;
            if (!inside)
                picture.outside += value;
        }
    return picture;
}

struct DriftScene
{
    DriftScene()
    {
        world = std::make_unique<k_DriftWorld>(&engine);
        target = engine.GetResourceFactory()->CreateRenderTargetWithTexture(k_Size, k_Size, 3);
        world->SetRenderTarget(target);
        engine.AddWorld(world.get());
        target->Unbind();
        node = std::make_unique<k_SquareNode>(&engine);
        world->AddRenderable(node.get());
    }
    ~DriftScene() { world->RemoveRenderable(node.get()); }

    // Runs frames of the given length for about the given seconds.
    void Run(double seconds, double frame)
    {
        for (int i = 0; i < static_cast<int>(seconds / frame + 0.5); ++i)
            engine.Update(frame);
    }

    k_ShowTestEngine engine;
    std::unique_ptr<k_DriftWorld> world;
    IRenderTarget* target = nullptr;
    std::unique_ptr<k_SquareNode> node;
};
} // namespace

TEST_F(GlTest, DriftWorldRefusesToBuildWithoutARenderTarget)
{
    k_ShowTestEngine engine;
    k_DriftWorld world(&engine);
    try
    {
        world.Build();
        FAIL() << "built without a render target";
    }
    catch (const wchar_t* message)
    {
        EXPECT_STREQ(message, L"k_DriftWorld: Unable to work without a rendertarget.");
    }
}

// The feedback keeps the target's colour from the second frame on, and takes in a node only in the frame after
// it was made visible.
TEST_F(GlTest, DriftWorldDrawsAVisibleNodeInExactlyOneFrameAndKeepsItsPictureAfterwards)
{
    DriftScene scene;
    EXPECT_EQ(scene.world->GetClearFlags(), 259);
    EXPECT_EQ(scene.world->GetName(), "Drift");
    ASSERT_NE(scene.world->GetAuxiliaryTarget(), nullptr);
    EXPECT_EQ(scene.world->GetAuxiliaryTarget()->GetWidth(), k_Size);
    EXPECT_EQ(scene.world->GetAuxiliaryTexture()->GetFormat(), 3);

    scene.engine.Update(1.0 / 60.0);
    EXPECT_EQ(scene.world->GetClearFlags(), 257);
    EXPECT_TRUE(scene.world->IsStarted());
    EXPECT_EQ(scene.node->drawn, 1);
    EXPECT_FALSE(scene.node->IsVisible());
    scene.Run(3.0 / 60.0, 1.0 / 60.0);
    EXPECT_EQ(scene.node->drawn, 1);
    EXPECT_EQ(scene.world->GetClearFlags(), 257);

    scene.node->SetVisible(true);
    scene.engine.Update(1.0 / 60.0);
    EXPECT_EQ(scene.node->drawn, 2);
    EXPECT_FALSE(scene.node->IsVisible());
    EXPECT_EQ(scene.engine.graphics.errors.size(), 0u);
}

// What was taken in is carried away and fades over a few seconds, at the same pace at 60 and at 20 frames a second.
TEST_F(GlTest, DriftWorldCarriesThePictureAwayAndDissolvesItAtAnyFrameRate)
{
    DriftScene fast;
    fast.engine.Update(1.0 / 60.0);
    ITexture* fastTexture = fast.target->GetColorTextures()->front();
    const Picture first = Read(fastTexture);
    ASSERT_GT(first.energy, 100.0);
    fast.Run(1.0, 1.0 / 60.0);
    const Picture fastLater = Read(fastTexture);
    EXPECT_LT(fastLater.energy, first.energy * 0.8);
    EXPECT_GT(fastLater.energy, first.energy * 0.1);
    EXPECT_GT(fastLater.outside / fastLater.energy, first.outside / first.energy + 0.05);
    fast.Run(6.0, 1.0 / 60.0);
    EXPECT_LT(Read(fastTexture).energy, first.energy * 0.05);

    DriftScene slow;
    slow.engine.Update(1.0 / 60.0);
    slow.Run(1.0, 1.0 / 20.0);
    const Picture slowLater = Read(slow.target->GetColorTextures()->front());
    EXPECT_NEAR(slowLater.energy / fastLater.energy, 1.0, 0.15);
    EXPECT_NEAR(slowLater.outside / slowLater.energy, fastLater.outside / fastLater.energy, 0.1);
    EXPECT_EQ(fast.engine.graphics.errors.size() + slow.engine.graphics.errors.size(), 0u);
}

// The feedback steps on the demo clock's grid: whatever the frame rate or the speed, the same demo time holds the
// same picture, also with a node drawn in again on the way.
TEST_F(GlTest, DriftWorldHoldsTheSamePictureAtADemoTimeAtAnyFrameRateAndSpeed)
{
    auto pixels = [](DriftScene& scene) {
        std::vector<float> values(k_Size * k_Size * 4);
        scene.target->GetColorTextures()->front()->Bind(0);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, values.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return values;
    };
    // The node drawn in at 1/60 s and again by the frame that reaches half a second later; a second on, the
    // picture is read.
    auto play = [&](double frame, double speed) {
        DriftScene scene;
        scene.engine.Update(1.0 / 60.0);
        scene.engine.GetTimeline()->SetSpeed(speed);
        const double realFrame = frame / speed;
        scene.Run(0.5 / speed - realFrame, realFrame);
        scene.node->SetVisible(true);
        scene.Run(0.5 / speed + realFrame, realFrame);
        EXPECT_NEAR(scene.engine.GetTimeline()->GetTime(), 1.0 + 1.0 / 60.0, 1e-9);
        EXPECT_EQ(scene.node->drawn, 2);
        EXPECT_EQ(scene.engine.graphics.errors.size(), 0u);
        return pixels(scene);
    };
    const std::vector<float> reference = play(1.0 / 60.0, 1.0);
    double energy = 0.0;
    for (const float value : reference)
        energy += value;
    ASSERT_GT(energy, 100.0);
    struct Case
    {
        double frame; // demo seconds a frame
        double speed;
    };
    for (const Case& played : {Case{1.0 / 30.0, 1.0}, Case{1.0 / 144.0, 1.0}, Case{1.0 / 20.0, 1.0}, Case{0.1, 1.0},
                               Case{1.0 / 60.0, 0.25}, Case{1.0 / 30.0, 4.0}})
    {
        const std::vector<float> picture = play(played.frame, played.speed);
        float most = 0.0f;
        for (size_t i = 0; i < picture.size(); ++i)
            most = std::max(most, std::abs(picture[i] - reference[i]));
        EXPECT_LT(most, 1e-5f) << "frames of " << played.frame << " s at speed " << played.speed;
    }
}

// The last stage shows what the world carries over the window's picture, not only in its target.
TEST_F(GlTest, DriftWorldShowsWhatItCarriesInTheWindow)
{
    DriftScene scene;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    scene.engine.Update(1.0 / 60.0);
    auto brightness = [](int x, int y) {
        const std::vector<uint8_t> p = k_GlTestContext::ReadPixels(x, y, 1, 1);
        return p[0] + p[1] + p[2];
    };
    const int middle = k_GlTestContext::k_Width / 2;
    EXPECT_GT(brightness(middle, middle), 600);
    EXPECT_GT(brightness(middle + 24, middle - 24), 600);
    EXPECT_LT(brightness(middle + 48, middle), 60);
    EXPECT_LT(brightness(8, 8), 30);
    EXPECT_LT(brightness(k_GlTestContext::k_Width - 8, k_GlTestContext::k_Height - 8), 30);
    EXPECT_EQ(scene.engine.graphics.errors.size(), 0u);
}

// Until a node has drawn into it, the picture is the cleared zero: the passes are left out and the screen and
// the auxiliary target stay as they were. The first node starts them; a picture cleared to a colour is not empty.
TEST_F(GlTest, DriftWorldLeavesOutItsPassesUntilANodeHasDrawnIntoIt)
{
    DriftScene scene;
    scene.node->SetVisible(false);
    ITexture* auxiliary = scene.world->GetAuxiliaryTexture();
    const std::vector<float> marked(k_Size * k_Size * 4, 0.5f);
    auto mark = [&] {
        auxiliary->Bind(0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, k_Size, k_Size, GL_RGBA, GL_FLOAT, marked.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    };
    // The first frame runs the passes (on zero), so that their draw code is ready when a node arrives.
    mark();
    scene.engine.Update(1.0 / 60.0);
    EXPECT_EQ(Read(auxiliary).energy, 0.0);
    mark();
    scene.Run(3.0 / 60.0, 1.0 / 60.0);
    EXPECT_TRUE(scene.world->IsStarted());
    EXPECT_TRUE(scene.world->IsEmpty());
    EXPECT_NEAR(Read(auxiliary).energy, k_Size * k_Size * 1.5, 1.0); // not processed into

    scene.node->SetVisible(true);
    scene.engine.Update(1.0 / 60.0);
    EXPECT_FALSE(scene.world->IsEmpty());
    EXPECT_GT(Read(scene.target->GetColorTextures()->front()).energy, 100.0);
    scene.engine.Update(1.0 / 60.0);
    EXPECT_LT(Read(auxiliary).energy, k_Size * k_Size * 1.5 - 100.0); // the next step wrote it

    DriftScene grey;
    grey.node->SetVisible(false);
    grey.world->SetClearColour(k_VectorUA(0.2f, 0.2f, 0.2f, 1.0f));
    grey.engine.Update(1.0 / 60.0);
    EXPECT_FALSE(grey.world->IsEmpty());
    EXPECT_EQ(scene.engine.graphics.errors.size() + grey.engine.graphics.errors.size(), 0u);
}
