#include "demo/k_FirstRenderStep.h"
#include "demo/k_FourthRenderStep.h"
#include "demo/k_SecondRenderStep.h"
#include "demo/k_SkyRenderStep.h"
#include "demo/k_TerrainWorld.h"
#include "demo/k_ThirdRenderStep.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/ICamera.h"
#include "interfaces/ILight.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderCallback.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITimeline.h"
#include "interfaces/r_PrimitiveTopology.h"
#include "scene/k_HdrToLdrWorld.h"
#include "support/k_EngineFixture.h"
#include "support/k_GpuTestEngine.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

// The landscape on the real engine with the pack's materials: its light and camera, the state its steps
// leave, what each step contributes, and the picture through the tone map.
namespace
{
using TerrainWorldTest = k_EngineFixture;

// The float texels (RGBA) of a render target's colour texture.
std::vector<float> Texels(ITexture* texture)
{
    std::vector<float> texels(static_cast<size_t>(texture->GetWidth()) * texture->GetHeight() * 4);
    glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(texture)->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

bool IsSky(const float* texel)
{
    return std::fabs(texel[0] - 0.7f) < 1e-4f && std::fabs(texel[1] - 0.8f) < 1e-4f &&
           std::fabs(texel[2] - 0.9f) < 1e-4f;
}

// Share of the rows [from, to) of a picture (bottom row first) that is exactly the sky colour.
double SkyShare(const std::vector<float>& texels, int width, int from, int to)
{
    int sky = 0;
    for (int y = from; y < to; ++y)
        for (int x = 0; x < width; ++x)
            sky += IsSky(&texels[(static_cast<size_t>(y) * width + x) * 4]);
    return static_cast<double>(sky) / ((to - from) * width);
}

// Share of a picture's texels whose alpha is 1: in the mirrored picture, the land (the sky there has alpha 0).
double LandShare(const std::vector<float>& texels)
{
    size_t land = 0;
    for (size_t i = 3; i < texels.size(); i += 4)
        land += texels[i] == 1.0f;
    return static_cast<double>(land) / static_cast<double>(texels.size() / 4);
}

struct Scene
{
    explicit Scene(k_Engine* engine, bool withTarget) : world(engine)
    {
        engine->AddWorld(&world);
        if (withTarget)
        {
            target = engine->GetResourceFactory()->CreateRenderTargetWithTexture(k_GlTestContext::k_Width,
                                                                                 k_GlTestContext::k_Height, 3);
            world.SetRenderTarget(target);
        }
    }
    k_TerrainWorld world;
    IRenderTarget* target = nullptr;
};
} // namespace

TEST_F(TerrainWorldTest, BuildsTheGridAndStepsAndStartsWithLightAndCameraAtTimeZero)
{
    Scene scene(engine.get(), false);
    k_TerrainWorld& world = scene.world;
    EXPECT_EQ(world.GetName(), "Terrain");
    IMeshBuffer* mesh = world.GetTerrainMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 147456u);
    EXPECT_EQ(mesh->GetIndexCount(), 147456u);
    EXPECT_EQ(mesh->GetPrimitiveTopology(), r_PrimitiveTopology::Quad);
    const auto* vertices = static_cast<const float*>(mesh->GetVertices());
    // The first quad (row -96, column -96) and the last vertex (row 95, column 95).
    const std::vector<float> first(vertices, vertices + 10);
    EXPECT_EQ(first, (std::vector<float>{-95, 1, -96, static_cast<float>(97 / 129.0), static_cast<float>(96 / 129.0),
                                         -95, 1, -95, static_cast<float>(97 / 129.0), static_cast<float>(97 / 129.0)}));
    const float* last = vertices + (147456 - 1) * 5;
    EXPECT_EQ(std::vector<float>(last, last + 3), (std::vector<float>{95, 1, 95}));

    // The four steps and the sky in order, and the terrain drawn only through them.
    const std::vector<IRenderable*> steps = *world.GetRenderables();
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0], world.GetFirstStep());
    EXPECT_EQ(steps[1], world.GetSecondStep());
    EXPECT_EQ(steps[2], world.GetThirdStep());
    EXPECT_EQ(steps[3], world.GetFourthStep());
    EXPECT_EQ(steps[4], world.GetSkyStep());
    EXPECT_EQ(dynamic_cast<IRenderable*>(mesh)->GetWorld(), nullptr);
    EXPECT_EQ(world.GetFirstStep()->GetTarget()->GetWidth(), 512);
    EXPECT_EQ(world.GetFirstStep()->GetTarget()->GetColorTextures()->size(), 2u);
    EXPECT_EQ(world.GetFirstStep()->GetColour()->GetFormat(), 3);
    EXPECT_EQ(world.GetSecondStep()->GetTarget()->GetWidth(), 256);
    EXPECT_EQ(world.GetSecondStep()->GetColour()->GetFormat(), 3);
    k_MaterialPass* water = world.GetThirdStep()->GetWaterMaterial()->GetPasses().front();
    EXPECT_EQ(water->textures.at(0).texture, world.GetFirstStep()->GetColour());
    EXPECT_EQ(water->textures.at(1).texture, world.GetSecondStep()->GetColour());
    EXPECT_EQ(water->textures.at(2).texture, world.GetFirstStep()->GetDepth());
    EXPECT_EQ(water->textures.at(2).wrapS, static_cast<unsigned>(GL_REPEAT));

    world.Update(); // demo time 0
    const k_VectorUA diffuse = world.GetLight()->GetDiffuse();
    EXPECT_NEAR(diffuse.x, 0.975f, 1e-6f);
    EXPECT_NEAR(diffuse.y, 0.825f, 1e-6f);
    EXPECT_NEAR(diffuse.z, 0.45f, 1e-6f);
    EXPECT_NEAR(diffuse.w, 0.75f, 1e-6f);
    EXPECT_EQ(world.GetLight()->GetAmbient().z, 0.32f);
    const k_VectorUA eye = world.GetCamera()->GetPosition();
    EXPECT_NEAR(eye.x, 0.0f, 1e-6f);
    EXPECT_EQ(eye.y, 12.0f);
    EXPECT_NEAR(eye.z, 64.0f, 1e-6f);
    EXPECT_EQ(world.GetClearColour()->y, 0.8f);

    ASSERT_NE(world.GetSkyStep()->GetSkyMaterial(), nullptr);
    EXPECT_FALSE(world.GetSkyStep()->GetSkyMaterial()->GetPasses().empty());
    for (const char* problem : {"Unknown", "not definied", "No shaders", "Missing", "FAILED", "ERROR", "no pass"})
        EXPECT_EQ(Log().find(problem), std::string::npos) << problem << "\n" << Log();
}

TEST_F(TerrainWorldTest, StepsLeaveTheTerrainAsTheyFoundItAndFillTheirTargets)
{
    Scene scene(engine.get(), true);
    k_TerrainWorld& world = scene.world;
    Frame(40.0);
    auto* terrain = dynamic_cast<IRenderable*>(world.GetTerrainMesh());
    const k_Matrix matrix = terrain->GetMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(matrix.Data()[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    const k_VectorUA position = terrain->GetPosition();
    EXPECT_EQ(position.x, 0.0f);
    EXPECT_EQ(position.y, 0.0f);
    EXPECT_EQ(position.z, 0.0f);
    k_MaterialPass* pass = world.GetTerrainMaterial()->GetPasses().front();
    EXPECT_EQ(pass->cullMode, static_cast<unsigned>(GL_BACK));
    EXPECT_EQ(pass->program->GetUniformInt("fogEnabled"), 1);
    EXPECT_EQ(pass->program->GetUniformInt("clipPlaneEnabled"), 1);
    EXPECT_FLOAT_EQ(world.GetThirdStep()->GetWaterMaterial()->GetPasses().front()->program->GetUniformFloat("time"),
                    40.0f);

    // A: only ground under the water (world height below 9), on transparent black elsewhere.
    const std::vector<float> under = Texels(world.GetFirstStep()->GetColour());
    const std::vector<float> depth = Texels(world.GetFirstStep()->GetDepth());
    int ground = 0;
    int empty = 0;
    for (size_t i = 0; i < under.size(); i += 4)
    {
        if (under[i + 3] == 0.0f)
        {
            ++empty;
            continue;
        }
        ++ground;
        EXPECT_LE(depth[i], 9.0f + 1e-3f);
        EXPECT_GT(depth[i + 1], 0.0f); // distance from the eye
    }
    EXPECT_GT(ground, 512 * 512 / 20);
    EXPECT_GT(empty, 512 * 512 / 20);
    // B: the mirrored land (alpha 1) on the mirrored sky (alpha 0), which is not the plain clear colour.
    const std::vector<float> mirrored = Texels(world.GetSecondStep()->GetColour());
    EXPECT_LT(LandShare(mirrored), 0.9);
    EXPECT_GT(LandShare(mirrored), 0.05);
    EXPECT_LT(SkyShare(mirrored, 256, 0, 256), 0.01);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

namespace
{
// Notes, each time the terrain's program is used, what the terrain is drawn with and where.
class k_TerrainDrawRecorder : public IShaderCallback
{
public:
    struct Draw
    {
        int fog = -1;
        int clip = -1;
        k_Matrix matrix;
        k_VectorUA position;
        unsigned cullMode = 0;
        GLint framebuffer = 0;
    };

    k_TerrainDrawRecorder(IRenderable* terrain, k_MaterialPass* pass) : m_terrain(terrain), m_pass(pass) {}
    std::wstring GetName() override { return L"terrainDrawRecorder"; }
    bool IsSupported(IShaderProgram*) override { return true; }
    void Apply(IShaderProgram* program, int) override
    {
        Draw draw;
        draw.fog = program->GetUniformInt("fogEnabled");
        draw.clip = program->GetUniformInt("clipPlaneEnabled");
        draw.matrix = m_terrain->GetMatrix();
        draw.position = m_terrain->GetPosition();
        draw.cullMode = m_pass->cullMode;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &draw.framebuffer);
        draws.push_back(draw);
    }

    std::vector<Draw> draws;

private:
    IRenderable* m_terrain;
    k_MaterialPass* m_pass;
};
} // namespace

// A holds the land seen from the camera without fog and B its mirror image about the water (y = 9) with fog
// (over the reflected ray's length), both with the water clip; the land drawn last has fog and no clip.
TEST_F(TerrainWorldTest, FirstStepDrawsWithoutFogAndTheSecondMirrorsAboutTheWater)
{
    Scene scene(engine.get(), true);
    auto* terrain = dynamic_cast<IRenderable*>(scene.world.GetTerrainMesh());
    k_MaterialPass* pass = scene.world.GetTerrainMaterial()->GetPasses().front();
    auto* recorder = new k_TerrainDrawRecorder(terrain, pass);
    ASSERT_TRUE(engine->GetResourceFactory()->RegisterShaderCallback(recorder));
    ASSERT_TRUE(pass->program->AddShaderCallback(L"terrainDrawRecorder", 0));
    Frame(40.0);
    ASSERT_EQ(recorder->draws.size(), 3u);
    const k_TerrainDrawRecorder::Draw& a = recorder->draws[0];
    const k_TerrainDrawRecorder::Draw& b = recorder->draws[1];
    const k_TerrainDrawRecorder::Draw& land = recorder->draws[2];
    EXPECT_EQ(a.fog, 0);
    EXPECT_EQ(b.fog, 1);
    EXPECT_EQ(land.fog, 1);
    EXPECT_EQ(a.clip, 1);
    EXPECT_EQ(b.clip, 1);
    EXPECT_EQ(land.clip, 0);
    EXPECT_NE(a.framebuffer, 0);
    EXPECT_NE(b.framebuffer, 0);
    EXPECT_NE(a.framebuffer, b.framebuffer);
    // y' = 18 - y: a point at the water's height stays there, one 3 above it goes 3 below.
    for (const float y : {9.0f, 12.0f, 0.0f})
    {
        const float* m = b.matrix.Data();
        const float p[3] = {5.0f, y, -7.0f};
        float moved[3];
        for (int row = 0; row < 3; ++row)
            moved[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
        EXPECT_FLOAT_EQ(moved[0] + b.position.x, 5.0f);
        EXPECT_FLOAT_EQ(moved[1] + b.position.y, 18.0f - y);
        EXPECT_FLOAT_EQ(moved[2] + b.position.z, -7.0f);
    }
    EXPECT_EQ(b.cullMode, 0u);
    for (const k_TerrainDrawRecorder::Draw* unmirrored : {&a, &land})
    {
        EXPECT_EQ(unmirrored->matrix, k_Matrix());
        EXPECT_EQ(unmirrored->position.y, 0.0f);
        EXPECT_EQ(unmirrored->cullMode, static_cast<unsigned>(GL_BACK));
    }
}

TEST_F(TerrainWorldTest, HiddenFourthStepLeavesWaterAndReflectionWithoutTheLand)
{
    Scene scene(engine.get(), true);
    const int width = k_GlTestContext::k_Width;
    scene.world.GetSkyStep()->SetVisible(false); // the clear colour marks where nothing was drawn
    Frame(40.0);
    const std::vector<float> full = Texels(scene.target->GetColorTextures()->front());
    scene.world.GetFourthStep()->SetVisible(false);
    Frame(0.0);
    const std::vector<float> waterOnly = Texels(scene.target->GetColorTextures()->front());
    const std::vector<float> mirrored = Texels(scene.world.GetSecondStep()->GetColour());

    // Without the land the upper rows (above the far shore) are open sky; with it, hills stand there.
    EXPECT_GT(SkyShare(waterOnly, width, 200, 256), 0.99);
    EXPECT_LT(SkyShare(full, width, 150, 256), SkyShare(waterOnly, width, 150, 256) - 0.05);
    // The water is still drawn over the lower rows, and the reflection is still made.
    EXPECT_LT(SkyShare(waterOnly, width, 0, 60), 0.01);
    EXPECT_LT(LandShare(mirrored), 0.9);
    EXPECT_GT(LandShare(mirrored), 0.05);
}

// Along the shore a texel of the picture under the water is only partly ground: filtered against the
// cleared background its values are the ground's times its share (alpha). The water must see the ground
// there as where it is wholly covered, not fall back to the dark of deep water (a seam at the waterline).
TEST_F(TerrainWorldTest, PartlyCoveredGroundUnderTheWaterLooksAsWhollyCoveredGround)
{
    Scene scene(engine.get(), true);
    k_TerrainWorld& world = scene.world;
    Frame(40.0);
    world.GetFourthStep()->SetVisible(false);
    world.GetFirstStep()->SetVisible(false); // its pictures are written below instead

    // Every texel is sand at the same share, lying 30 units of eye distance away: first whole, then at 3/8.
    auto waterOver = [&](float share) {
        const int size = world.GetFirstStep()->GetColour()->GetWidth();
        std::vector<float> colour(static_cast<size_t>(size) * size * 4);
        std::vector<float> depth(colour.size());
        for (size_t i = 0; i < colour.size(); i += 4)
        {
            const float sand[4] = {0.9f, 0.75f, 0.5f, 1.0f};
            const float ground[4] = {5.0f, 30.0f, 5.0f, 1.0f};
            for (int c = 0; c < 4; ++c)
            {
                colour[i + c] = sand[c] * share;
                depth[i + c] = ground[c] * share;
            }
        }
        for (auto [texture, texels] : {std::pair{world.GetFirstStep()->GetColour(), &colour},
                                       std::pair{world.GetFirstStep()->GetDepth(), &depth}})
        {
            glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(texture)->GetName());
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size, size, GL_RGBA, GL_FLOAT, texels->data());
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        Frame(0.0);
        return Texels(scene.target->GetColorTextures()->front());
    };
    const std::vector<float> whole = waterOver(1.0f);
    const std::vector<float> partly = waterOver(0.375f);

    // The lower rows are water; compare them texel for texel.
    const int width = k_GlTestContext::k_Width;
    double worst = 0.0;
    double brightest = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(60 * width) * 4; i += 4)
    {
        for (int c = 0; c < 3; ++c)
        {
            worst = std::max(worst, std::fabs(static_cast<double>(whole[i + c]) - partly[i + c]));
            brightest = std::max(brightest, static_cast<double>(whole[i + c]));
        }
    }
    EXPECT_GT(brightest, 0.1); // the water shows something to compare
    EXPECT_LT(worst, 0.01 * brightest);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainWorldTest, WithoutAWorldTargetTheWaterIsDrawnToTheWindow)
{
    Scene scene(engine.get(), false);
    scene.world.GetSkyStep()->SetVisible(false);
    Frame(40.0);
    scene.world.GetFourthStep()->SetVisible(false);
    Frame(0.0);
    // The window shows the clear colour above and the water below (displayed without tone mapping).
    const auto top = k_GlTestContext::ReadPixels(128, 250, 1, 1);
    EXPECT_NEAR(top[0], 179, 2);
    EXPECT_NEAR(top[2], 230, 2);
    const auto bottom = k_GlTestContext::ReadPixels(0, 0, k_GlTestContext::k_Width, 40);
    int water = 0;
    for (size_t i = 0; i < bottom.size(); i += 4)
        water += std::abs(bottom[i] - 179) > 6 || std::abs(bottom[i + 2] - 230) > 6;
    EXPECT_GT(water, static_cast<int>(bottom.size() / 4 * 9 / 10));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The show's order: terrain into a float target of the window's size, then the tone map onto the window.
TEST_F(TerrainWorldTest, ThroughTheToneMapShowsSkyAboveAndLandAndWaterBelow)
{
    Scene scene(engine.get(), true);
    k_HdrToLdrWorld hdr(engine.get(), scene.target->GetColorTextures()->front());
    engine->AddWorld(&hdr);
    scene.target->Unbind();
    Frame(53.0); // looking across the lake at the central island and the mountains behind
    for (int frame = 0; frame < 6; ++frame)
        Frame(0.4);
    const int width = k_GlTestContext::k_Width;
    const auto pixels = k_GlTestContext::ReadPixels(0, 0, width, k_GlTestContext::k_Height);
    auto at = [&](int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; };

    // Sky: mostly bright and bluish along the top, not blown out.
    int sky = 0;
    for (int y = 240; y < 256; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const uint8_t* p = at(x, y);
            sky += p[2] > 140 && p[2] > p[0] && p[0] < 250;
        }
    }
    EXPECT_GT(sky, 16 * width / 2);
    // Below: varied, neither black nor blown out.
    int black = 0;
    int white = 0;
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < 128; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const uint8_t* p = at(x, y);
            const int level = (p[0] + p[1] + p[2]) / 3;
            black += level < 8;
            white += level > 250;
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
        }
    }
    EXPECT_LT(black, width * 128 / 100);
    EXPECT_LT(white, width * 128 / 100);
    EXPECT_GT(highest - lowest, 60);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A damaged water material costs the water, not the show: the loader reports it, the build goes on and
// the frame draws the rest.
TEST_F(GlTest, DamagedWaterMaterialLeavesTheWaterOutAndTheRestDraws)
{
    k_SceneTestDrainErrors();
    testing::internal::CaptureStdout();
    {
        k_GpuTestEngine engine;
        engine.WriteFile("Terrain/Water.mat", "material {\n  useshader nothing\n");
        engine.WriteFile("Terrain/Terraform.mat", "material {\n}\n");
        k_TerrainWorld world(&engine);
        world.Build();
        engine.renderer.currentWorld = &world;
        world.Update();
        glFrontFace(GL_CW);
        for (IRenderable* step : *world.GetRenderables())
            step->Render();
        glFrontFace(GL_CCW);
        EXPECT_TRUE(world.GetThirdStep()->GetWaterMaterial()->GetPasses().empty());
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Terrain/Water.mat has no pass"), std::string::npos) << log;
    k_SceneTestPlainState();
}

// --- the camera over the landscape ---

// Over the whole section, and above all where the path skims past the islands (40 to 47 s), the camera flies
// no lower than its height 12, sees the horizon (it looks down by less than half its 45-degree field, with room
// to spare) and keeps the central island's top (20 high at x -8, z 1 on the height field) in the frame.
TEST_F(TerrainWorldTest, CameraKeepsTheHorizonAndTheIslandInTheFrame)
{
    Scene scene(engine.get(), false);
    const double halfField = 22.5 * 3.14159265358979 / 180.0;
    for (double t = 27.0; t <= 76.5; t += 0.25)
    {
        engine->GetTimeline()->Seek(t);
        scene.world.Update();
        const k_VectorUA eye = scene.world.GetCamera()->GetPosition();
        const k_VectorUA target = scene.world.GetCamera()->GetTarget();
        const double look[3] = {target.x - eye.x, target.y - eye.y, target.z - eye.z};
        const double crest[3] = {-8.0 - eye.x, 20.0 - eye.y, 1.0 - eye.z};
        const double cosine = (look[0] * crest[0] + look[1] * crest[1] + look[2] * crest[2]) /
                              (std::hypot(look[0], look[1], look[2]) * std::hypot(crest[0], crest[1], crest[2]));
        EXPECT_GE(eye.y, 12.0f) << t;
        EXPECT_LT(std::atan2(-look[1], std::hypot(look[0], look[2])), halfField - 0.15) << "no horizon at " << t;
        EXPECT_GT(cosine, std::cos(halfField)) << "the island leaves the frame at " << t << " s";
    }
}

// --- water and sky ---

namespace
{
class TerrainWaterTest : public k_EngineFixture
{
protected:
    // Draws only the water at 40 s over pictures written here: black ground under it at `groundDistance` from
    // the eye, and a mirrored picture that is `below` under the screen's row `edgeRow` and `above` over it.
    std::vector<float> WaterOver(Scene& scene, float groundDistance, int edgeRow, float below, float above)
    {
        k_TerrainWorld& world = scene.world;
        for (IRenderable* step : *world.GetRenderables())
            step->SetVisible(step == world.GetThirdStep());
        const int under = world.GetFirstStep()->GetColour()->GetWidth();
        const int size = world.GetSecondStep()->GetColour()->GetWidth();
        std::vector<float> ground(static_cast<size_t>(under) * under * 4, 0.0f), depth(ground.size(), 0.0f);
        std::vector<float> mirrored(static_cast<size_t>(size) * size * 4, 1.0f);
        for (size_t i = 0; i < ground.size(); i += 4)
        {
            ground[i + 3] = 1.0f;
            depth[i + 1] = groundDistance;
            depth[i + 3] = 1.0f;
        }
        for (size_t i = 0; i < mirrored.size(); i += 4)
            mirrored[i] = mirrored[i + 1] = mirrored[i + 2] =
                static_cast<int>(i / 4 / size) * k_GlTestContext::k_Height < edgeRow * size ? below : above;
        for (auto [texture, texels] : {std::pair{world.GetFirstStep()->GetColour(), &ground},
                                       std::pair{world.GetFirstStep()->GetDepth(), &depth},
                                       std::pair{world.GetSecondStep()->GetColour(), &mirrored}})
        {
            glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(texture)->GetName());
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texture->GetWidth(), texture->GetHeight(), GL_RGBA, GL_FLOAT,
                            texels->data());
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        Frame(0.0);
        return Texels(scene.target->GetColorTextures()->front());
    }
};

double Level(const std::vector<float>& texels, int x, int y)
{
    const float* t = &texels[(static_cast<size_t>(y) * k_GlTestContext::k_Width + x) * 4];
    return (t[0] + t[1] + t[2]) / 3.0;
}
} // namespace

// Deep water shows the reflection (a white against a black mirrored picture); in the shallows along the shore
// it fades out, so the water thins onto the ground instead of ending in a line. A straight, hard edge in the
// mirrored picture does not come out as a straight cut: the ripples move it up and down along its length.
TEST_F(TerrainWaterTest, ReflectionFadesInTheShallowsAndRipplesBreakUpItsEdges)
{
    Scene scene(engine.get(), true);
    Frame(40.0);
    for (const auto& [water, groundDistance, reflects] : {std::tuple{"deep", 1000.0f, true}, {"shore", 0.0f, false}})
    {
        const std::vector<float> white = WaterOver(scene, groundDistance, 0, 4.0f, 4.0f);
        const std::vector<float> black = WaterOver(scene, groundDistance, 0, 0.0f, 0.0f);
        double difference = 0.0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < k_GlTestContext::k_Width; ++x)
                difference = std::max(difference, Level(white, x, y) - Level(black, x, y));
        EXPECT_EQ(difference > 0.2, reflects) << water << ": " << difference;
        EXPECT_EQ(difference < 1e-3, !reflects) << water << ": " << difference;
    }

    const std::vector<float> edge = WaterOver(scene, 1000.0f, 30, 0.0f, 4.0f);
    const double middle = (Level(edge, 128, 2) + Level(edge, 128, 58)) / 2.0;
    int lowest = k_GlTestContext::k_Height;
    int highest = 0;
    for (int x = 8; x < k_GlTestContext::k_Width - 8; ++x)
    {
        int crossing = 0;
        while (crossing < 60 && Level(edge, x, crossing) < middle)
            ++crossing;
        lowest = std::min(lowest, crossing);
        highest = std::max(highest, crossing);
    }
    EXPECT_GT(Level(edge, 128, 58), Level(edge, 128, 2) + 0.2); // the edge shows on the water
    EXPECT_GE(highest - lowest, 5) << "rows " << lowest << " to " << highest;
    EXPECT_LT(highest - lowest, 20) << "rows " << lowest << " to " << highest;
}

// Drawn where there is no land, the sky is bluer at the top (30 degrees up) than just above the horizon
// (rows 186 to 196), and brighter with the light low ahead of the camera than behind it.
TEST_F(TerrainWorldTest, SkyDeepensUpwardAndGlowsAroundTheLight)
{
    Scene scene(engine.get(), true);
    k_TerrainWorld& world = scene.world;
    world.GetFourthStep()->SetVisible(false);
    Frame(40.0);
    const k_VectorUA eye = world.GetCamera()->GetPosition();
    std::vector<float> sky[2]; // the light ahead, behind
    for (int side = 0; side < 2; ++side)
    {
        const float away = side == 0 ? -20.0f : 20.0f;
        world.GetLight()->SetLightPosition(k_VectorUA(eye.x * away, 300.0f, eye.z * away, 1.0f));
        Frame(0.0);
        sky[side] = Texels(scene.target->GetColorTextures()->front());
    }
    auto sum = [](const std::vector<float>& texels, int from, int to, int channel) {
        double total = 0.0;
        for (size_t i = static_cast<size_t>(from) * k_GlTestContext::k_Width * 4;
             i < static_cast<size_t>(to) * k_GlTestContext::k_Width * 4; i += 4)
            total += channel < 3 ? texels[i + channel] : (texels[i] + texels[i + 1] + texels[i + 2]) / 3.0;
        return total;
    };
    EXPECT_GT(sum(sky[1], 246, 256, 2) / sum(sky[1], 246, 256, 0),
              1.05 * sum(sky[1], 186, 196, 2) / sum(sky[1], 186, 196, 0));
    EXPECT_GT(sum(sky[0], 186, 256, 3), 1.2 * sum(sky[1], 186, 256, 3));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
