#include "graphics/k_MaterialPass.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "scene/k_HdrToLdrWorld.h"
#include "support/k_EngineFixture.h"

#include <epoxy/gl.h>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

// The tone-mapping chain on the real engine and the pack's five materials.
namespace
{
using HdrToLdrWorldTest = k_EngineFixture;

// A texture that only reports a size: a source the chain cannot be built for.
class k_SizeOnlyTexture : public ITexture
{
public:
    k_SizeOnlyTexture(int width, int height) : m_width(width), m_height(height) {}
    int GetWidth() override { return m_width; }
    int GetHeight() override { return m_height; }
    void Load(IFile*) override {}
    void Bind(int) override {}
    int GetFormat() override { return 3; }
    bool HasMipmaps() override { return false; }

private:
    int m_width;
    int m_height;
};

std::vector<int> Sizes(const std::vector<k_HdrToLdrWorld::Level>& chain)
{
    std::vector<int> sizes;
    for (const auto& level : chain)
    {
        EXPECT_EQ(level.target->GetWidth(), level.target->GetHeight());
        EXPECT_EQ(level.target->GetColorTextures()->front(), level.texture);
        sizes.push_back(level.target->GetWidth());
    }
    return sizes;
}

// Fills the source target's picture with one colour, and a square of another in the middle.
void Paint(IRenderTarget* source, float value, float spot = -1.0f, int spotSize = 0)
{
    source->Bind(0);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(value, value, value, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (spot >= 0.0f)
    {
        glEnable(GL_SCISSOR_TEST);
        const int at = (source->GetWidth() - spotSize) / 2;
        glScissor(at, at, spotSize, spotSize);
        glClearColor(spot, spot, spot, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    source->Unbind();
}

int Green(int x, int y)
{
    return k_GlTestContext::ReadPixels(x, y, 1, 1)[1];
}
} // namespace

TEST_F(HdrToLdrWorldTest, BuildsTheChainsForTheSourceAndSharesTheDeltaTimeCallback)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IRenderTarget* source = factory->CreateRenderTargetWithTexture(1024, 768, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld first(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&first);
    EXPECT_EQ(first.GetName(), "Hdr");
    EXPECT_EQ(Sizes(first.GetLuminanceChain()), (std::vector<int>{48, 12, 3, 1}));
    EXPECT_EQ(Sizes(first.GetBlurChain()), (std::vector<int>{768, 384, 192}));
    EXPECT_EQ(first.GetAdaptedA().target->GetWidth(), 1);
    EXPECT_EQ(first.GetAdaptedB().target->GetWidth(), 1);
    ASSERT_EQ(first.GetRenderables()->size(), 1u);
    ASSERT_NE(first.GetCamera(), nullptr);

    // Every pass of the chain is there, with the uniforms the world sets.
    k_MaterialPass* toneMap = first.GetToneMapPass();
    ASSERT_NE(toneMap, nullptr);
    ASSERT_NE(toneMap->program, nullptr);
    EXPECT_EQ(toneMap->textures.at(0).texture, source->GetColorTextures()->front());
    EXPECT_FLOAT_EQ(toneMap->program->GetUniformFloat("Exposure"), 1.0f);

    // The adaption steps over the seconds the world gives it.
    IMaterial* adaptionMaterial = factory->CreateMaterial(L"Hdr/LuminanceAdaption.mat", L"Hdr/LuminanceAdaption.mat");
    ASSERT_NE(adaptionMaterial, nullptr);
    k_MaterialPass* adaption = adaptionMaterial->FindPass(&first);
    ASSERT_TRUE(adaption && adaption->program);
    EXPECT_GE(adaption->program->GetUniformLocation("adaptSeconds"), 0);
    IShaderCallback* callback = factory->FindShaderCallback(L"deltatime");
    ASSERT_NE(callback, nullptr);
    k_HdrToLdrWorld second(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&second);
    EXPECT_EQ(factory->FindShaderCallback(L"deltatime"), callback);

    for (const char* problem : {"Unknown", "not definied", "No shaders", "Missing", "FAILED", "ERROR", "no pass"})
        EXPECT_EQ(Log().find(problem), std::string::npos) << problem << "\n" << Log();
}

TEST_F(HdrToLdrWorldTest, AdaptedLuminanceTexturesAlternateFrameByFrame)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);
    ITexture* a = world.GetAdaptedA().texture;
    ITexture* b = world.GetAdaptedB().texture;
    ASSERT_NE(a, b);
    k_MaterialPass* toneMap = world.GetToneMapPass();
    std::vector<ITexture*> seen;
    for (int frame = 0; frame < 4; ++frame)
    {
        Frame(1.0 / 30.0);
        seen.push_back(toneMap->textures.at(1).texture);
        // What was written this frame is read as last frame's value next frame.
        EXPECT_EQ(world.GetAdaptedB().texture, seen.back());
        EXPECT_EQ(toneMap->textures.at(2).texture, world.GetBlurChain().back().texture);
    }
    EXPECT_EQ(seen, (std::vector<ITexture*>{a, b, a, b}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Each pass reads what its place in the chain gives it: the glow the adapted luminance before this frame's
// adaption overwrites it (written two frames before), the adaption the value written last frame (unit 0) and
// the last luminance level (unit 2), the tone map the value written this frame; the glow's strength is 0.25.
TEST_F(HdrToLdrWorldTest, EachPassReadsWhatItsPlaceInTheChainGivesIt)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IRenderTarget* source = factory->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    ITexture* picture = source->GetColorTextures()->front();
    k_HdrToLdrWorld world(engine.get(), picture);
    engine->AddWorld(&world);
    IMaterial* glowMaterial = factory->CreateMaterial(L"Hdr/Glow.mat", L"Hdr/Glow.mat");
    IMaterial* adaptionMaterial = factory->CreateMaterial(L"Hdr/LuminanceAdaption.mat", L"Hdr/LuminanceAdaption.mat");
    ASSERT_TRUE(glowMaterial && adaptionMaterial);
    k_MaterialPass* glow = glowMaterial->FindPass(&world);
    k_MaterialPass* adaption = adaptionMaterial->FindPass(&world);
    ASSERT_TRUE(glow && glow->program && adaption);
    EXPECT_FLOAT_EQ(glow->program->GetUniformFloat("GlowStrength"), 0.25f);
    EXPECT_FLOAT_EQ(glow->program->GetUniformFloat("Exposure"), 1.0f);
    for (int frame = 0; frame < 3; ++frame)
    {
        SCOPED_TRACE(frame);
        ITexture* overwritten = world.GetAdaptedA().texture;
        ITexture* lastFrames = world.GetAdaptedB().texture;
        Frame(1.0 / 30.0);
        EXPECT_EQ(glow->textures.at(0).texture, picture);
        EXPECT_EQ(glow->textures.at(1).texture, overwritten);
        EXPECT_EQ(adaption->textures.at(0).texture, lastFrames);
        EXPECT_EQ(adaption->textures.at(2).texture, world.GetLuminanceChain().back().texture);
        EXPECT_EQ(world.GetToneMapPass()->textures.at(1).texture, overwritten);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Whatever the brightness of an even picture, once adapted it shows as the same mid-light grey; a sudden
// change shows first, then the eye adapts over the following seconds.
TEST_F(HdrToLdrWorldTest, EvenPictureToneMapsToTheSameGreyAtAnyBrightnessAfterAdaption)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);

    Paint(source, 0.25f);
    for (int frame = 0; frame < 6; ++frame)
        Frame(0.5);
    const int dim = Green(128, 128);
    EXPECT_GE(dim, 125);
    EXPECT_LE(dim, 175);
    EXPECT_LE(std::abs(Green(10, 240) - dim), 2); // even, apart from the dither

    Paint(source, 4.0f);
    Frame(1.0 / 60.0);
    Frame(1.0 / 60.0);
    const int dazzled = Green(128, 128);
    EXPECT_GT(dazzled, dim + 30);
    for (int frame = 0; frame < 8; ++frame)
        Frame(0.5);
    EXPECT_LE(std::abs(Green(128, 128) - dim), 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// After a rewind (a seek) the first frame's update still sees the picture of the time before the seek: the
// adaption must start from the new time's first picture, not from that light.
TEST_F(HdrToLdrWorldTest, ARewindAdaptsFromTheNewTimesPictureNotTheOneBefore)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);
    Paint(source, 0.25f);
    for (int frame = 0; frame < 8; ++frame)
        Frame(0.5);
    const int adapted = Green(128, 128);

    Paint(source, 4.0f); // the bright time before the seek, adapted to
    for (int frame = 0; frame < 8; ++frame)
        Frame(0.5);
    world.Rewind();
    Frame(1.0 / 30.0);    // reads the bright picture still in the source
    Paint(source, 0.25f); // the new time's picture
    Frame(1.0 / 30.0);
    Frame(1.0 / 30.0);
    // Met at once, as at the show's start: the even picture is the adapted grey, not darkened by the old light.
    EXPECT_LE(std::abs(Green(128, 128) - adapted), 3) << "adapted " << adapted;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A warm-up that draws the source only now and then (IRenderer::RedrawsTargets) adapts, when it measures
// again, over all the time since its last step: the eye ends where frame-by-frame adaption to the same light
// ends. Frames with nothing new to measure leave the adapted value alone.
TEST_F(HdrToLdrWorldTest, AWarmUpThatSkipsPicturesAdaptsOverTheWholeTimeSkipped)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);
    IRenderer* renderer = engine->GetRenderer();
    // Adapted to a dim picture, then a bright one for 1.2 s, the last frame a whole one; returns the adapted
    // log luminance written last.
    float glowReads = 0.0f;
    auto adaptThen = [&](const std::function<void()>& brightSecond) {
        world.Rewind();
        Paint(source, 0.25f);
        for (int frame = 0; frame < 10; ++frame)
            Frame(0.5);
        Paint(source, 4.0f);
        brightSecond();
        Frame(0.1);
        float texel[4] = {};
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(world.GetAdaptedB().texture)->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel);
        EXPECT_EQ(texel[1], 1.0f) << "no valid adapted value";
        // What the next frame's glow reads, the value written before the last.
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(world.GetAdaptedA().texture)->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel + 2);
        glBindTexture(GL_TEXTURE_2D, 0);
        glowReads = texel[2];
        return texel[0];
    };
    const float frameByFrame = adaptThen([&] {
        for (int frame = 0; frame < 11; ++frame)
            renderer->RenderWarmUpFrame(0.1, true);
    });
    const float glowFrameByFrame = glowReads;
    const float skipping = adaptThen([&] {
        renderer->RenderWarmUpFrame(0.1, true);
        for (int frame = 0; frame < 9; ++frame)
            renderer->RenderWarmUpFrame(0.1, false);
        renderer->RenderWarmUpFrame(0.1, true);
    });
    const float glowSkipping = glowReads;
    const float barely = adaptThen([] {});
    // From log 0.25 towards log 4 (a gap of 2.77): 1.2 s close all but e^-1.68 of it, 0.1 s all but e^-0.14.
    const float dim = std::log(0.25f), gap = std::log(4.0f) - dim;
    EXPECT_NEAR(frameByFrame, dim + gap * (1.0f - std::exp(-1.68f)), 0.02f);
    EXPECT_NEAR(skipping, frameByFrame, 0.01f);
    // Frame by frame the glow's value lies a frame back; after the catch-up it is the value caught up to.
    EXPECT_NEAR(glowSkipping, skipping, 0.01f);
    EXPECT_LT(glowFrameByFrame, frameByFrame - 0.01f);
    EXPECT_GT(glowFrameByFrame, frameByFrame - 0.2f);
    EXPECT_NEAR(barely, dim + gap * (1.0f - std::exp(-0.14f)), 0.02f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The eye adapts on the demo clock: a demo second played slowed down or sped up (the studio's speeds) leaves the
// adapted light where a demo second at speed 1 does.
TEST_F(HdrToLdrWorldTest, AdaptionKeepsItsPacePerDemoSecondAtAnySpeed)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);
    ITimeline* timeline = engine->GetTimeline();
    auto adapted = [&] {
        float texel[4] = {};
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(world.GetAdaptedB().texture)->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texel);
        glBindTexture(GL_TEXTURE_2D, 0);
        return texel[0];
    };
    // Adapted to a dim picture at speed 1, then a bright one for one demo second at the speed in 40 frames.
    auto oneDemoSecond = [&](double speed) {
        world.Rewind();
        timeline->SetSpeed(1.0);
        Paint(source, 0.25f);
        for (int frame = 0; frame < 10; ++frame)
            Frame(0.5);
        Paint(source, 4.0f);
        timeline->SetSpeed(speed);
        const double start = timeline->GetTime();
        for (int frame = 0; frame < 40; ++frame)
            Frame(0.025 / speed);
        EXPECT_NEAR(timeline->GetTime() - start, 1.0, 1e-9) << "speed " << speed;
        return adapted();
    };
    const float dim = std::log(0.25f), gap = std::log(4.0f) - dim;
    const float atOne = oneDemoSecond(1.0);
    // A second closes all but e^-1.4 of the gap.
    EXPECT_NEAR(atOne, dim + gap * (1.0f - std::exp(-1.4f)), 0.03f);
    for (const double speed : {0.25, 1.0 / 16.0, 8.0})
        EXPECT_NEAR(oneDemoSecond(speed), atOne, 0.002f) << "speed " << speed;

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HdrToLdrWorldTest, BrightSpotGlowsIntoItsSurroundings)
{
    IRenderTarget* source = engine->GetResourceFactory()->CreateRenderTargetWithTexture(256, 256, 3);
    ASSERT_NE(source, nullptr);
    k_HdrToLdrWorld world(engine.get(), source->GetColorTextures()->front());
    engine->AddWorld(&world);

    Paint(source, 0.2f);
    for (int frame = 0; frame < 6; ++frame)
        Frame(0.5);
    const int plainNear = Green(128 + 10, 128);

    Paint(source, 0.2f, 400.0f, 6);
    for (int frame = 0; frame < 3; ++frame)
        Frame(1.0 / 60.0);
    EXPECT_GE(Green(128, 128), 250);                 // the spot itself is white
    EXPECT_GT(Green(128 + 10, 128), plainNear + 10); // a halo beside it
    EXPECT_GT(Green(128, 128 - 10), plainNear + 10);
    EXPECT_GT(Green(128 + 10, 128), Green(128 + 20, 128)); // fading with distance
    EXPECT_LE(std::abs(Green(20, 20) - plainNear), 2);     // and gone far away
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HdrToLdrWorldTest, SourceTheDriverCannotChainEndsTheBuildWithAMessage)
{
    k_SizeOnlyTexture huge(2000000, 1000000);
    k_HdrToLdrWorld tooLarge(engine.get(), &huge);
    try
    {
        tooLarge.Build();
        ADD_FAILURE() << "built a chain the driver cannot hold";
    }
    catch (const wchar_t* message)
    {
        EXPECT_EQ(std::wstring(message), L"HDR: a luminance render target could not be made.");
    }
    // The build stopped after the tone map and the adaption were made, with no luminance level: a frame
    // that still reaches the world does nothing.
    ASSERT_NE(tooLarge.GetToneMapPass(), nullptr);
    ASSERT_TRUE(tooLarge.GetLuminanceChain().empty());
    tooLarge.Update();

    k_SizeOnlyTexture tiny(640, 7);
    k_HdrToLdrWorld tooSmall(engine.get(), &tiny);
    EXPECT_THROW(tooSmall.Build(), const wchar_t*);
    k_HdrToLdrWorld none(engine.get(), nullptr);
    EXPECT_THROW(none.Build(), const wchar_t*);
    // A world whose build failed does nothing per frame.
    none.Update();
}
