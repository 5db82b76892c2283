#include "demo/k_AfterWorld.h"
#include "demo/k_OrvelantLogo.h"
#include "demo/k_PlasmaWorld.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IShaderProgram.h"
#include "support/k_ShowTestEngine.h"

#include <epoxy/gl.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace
{
// The window's colour at (x, y).
std::array<int, 3> At(int x, int y)
{
    const std::vector<uint8_t> p = k_GlTestContext::ReadPixels(x, y, 1, 1);
    return {p[0], p[1], p[2]};
}

void FillWindow(float r, float g, float b)
{
    k_SceneTestPlainState();
    glClearColor(r, g, b, 1.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void SetFade(k_PlasmaWorld& world, float r, float g, float b, float a)
{
    const float colour[4] = {r, g, b, a};
    world.GetProgram()->SetUniformVector("fadeColor", colour, 4);
}

// The pixels a frame of the engine drew, counted by the driver.
GLuint SamplesDrawn(k_ShowTestEngine& engine)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    engine.Update(1.0 / 60.0);
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    glDeleteQueries(1, &query);
    return samples;
}
} // namespace

TEST_F(GlTest, PlasmaWorldStartsAsAHalfBlackOverlayWithThePlasmaOff)
{
    k_ShowTestEngine engine;
    k_PlasmaWorld world(&engine);
    engine.AddWorld(&world);
    EXPECT_EQ(world.GetName(), "Plasma");
    ASSERT_NE(world.GetProgram(), nullptr);
    EXPECT_EQ(world.GetProgram()->GetUniformVector4("fadeColor"), (std::array<float, 4>{0, 0, 0, 0.5f}));
    EXPECT_EQ(world.GetProgram()->GetUniformInt("disablePlasma"), 1);
    EXPECT_TRUE(world.IsEnabled());
    // The overlay quad is the world's own, not one of its nodes.
    EXPECT_TRUE(world.GetRenderables()->empty());
}

// The overlay never clears: with the plasma off only the fade colour is blended over the picture below it.
TEST_F(GlTest, PlasmaWorldBlendsTheFadeColourOverThePictureBelow)
{
    k_ShowTestEngine engine;
    k_PlasmaWorld world(&engine);
    engine.AddWorld(&world);

    SetFade(world, 0, 0, 0, 0);
    FillWindow(1, 0, 0);
    engine.Update(1.0 / 60.0);
    EXPECT_EQ(At(128, 128), (std::array<int, 3>{255, 0, 0}));

    SetFade(world, 0, 0, 1, 0.5f);
    FillWindow(1, 0, 0);
    engine.Update(1.0 / 60.0);
    const std::array<int, 3> mixed = At(40, 200);
    EXPECT_NEAR(mixed[0], 128, 2);
    EXPECT_EQ(mixed[1], 0);
    EXPECT_NEAR(mixed[2], 128, 2);
    EXPECT_EQ(engine.graphics.errors.size(), 0u);
}

// The quad is left out only where it would blend nothing: the plasma off and the fade colour's alpha 0.
TEST_F(GlTest, PlasmaWorldLeavesOutItsQuadOnlyWhenItWouldBlendNothing)
{
    k_ShowTestEngine engine;
    k_PlasmaWorld world(&engine);
    engine.AddWorld(&world);

    SetFade(world, 0, 0, 1, 0);
    FillWindow(1, 0, 0);
    EXPECT_EQ(SamplesDrawn(engine), 0u);
    EXPECT_EQ(At(128, 128), (std::array<int, 3>{255, 0, 0}));

    SetFade(world, 0, 0, 1, 0.25f);
    FillWindow(1, 0, 0);
    EXPECT_GT(SamplesDrawn(engine), 0u);
    EXPECT_NEAR(At(128, 128)[2], 64, 2);

    world.GetProgram()->SetUniformInt("disablePlasma", 0);
    SetFade(world, 0, 0, 1, 0);
    FillWindow(1, 0, 0);
    EXPECT_GT(SamplesDrawn(engine), 0u);
    EXPECT_NE(At(128, 128), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(engine.graphics.errors.size(), 0u);
}

// With the plasma on the whole screen is covered in a moving, many-coloured pattern, and the fade colour still
// lies over it.
TEST_F(GlTest, PlasmaWorldShowsAMovingColourfulPlasmaUnderTheFadeColour)
{
    k_ShowTestEngine engine;
    k_PlasmaWorld world(&engine);
    engine.AddWorld(&world);
    world.GetProgram()->SetUniformInt("disablePlasma", 0);
    SetFade(world, 0, 0, 0, 0);

    auto grid = [] {
        std::vector<std::array<int, 3>> colours;
        for (int y = 16; y < 256; y += 32)
            for (int x = 16; x < 256; x += 32)
                colours.push_back(At(x, y));
        return colours;
    };
    FillWindow(0, 0, 0);
    engine.Update(90.0);
    const std::vector<std::array<int, 3>> first = grid();
    std::set<std::array<int, 3>> distinct(first.begin(), first.end());
    EXPECT_GT(distinct.size(), 40u);
    int lit = 0;
    int hueChanges = 0;
    for (const auto& c : first)
    {
        lit += (c[0] + c[1] + c[2]) > 12;
        hueChanges += (c[0] > c[2]) != (first[0][0] > first[0][2]);
    }
    EXPECT_GT(lit, 56);
    EXPECT_GT(hueChanges, 4);

    FillWindow(0, 0, 0);
    engine.Update(0.5);
    const std::vector<std::array<int, 3>> later = grid();
    int moved = 0;
    for (size_t i = 0; i < first.size(); ++i)
        moved += std::abs(first[i][0] - later[i][0]) + std::abs(first[i][1] - later[i][1]) > 20;
    EXPECT_GT(moved, 20);

    SetFade(world, 1, 1, 1, 1);
    FillWindow(0, 0, 0);
    engine.Update(0.1);
    EXPECT_EQ(At(128, 128), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(engine.graphics.errors.size(), 0u);
}

TEST_F(GlTest, AfterWorldStartsWithTheLogoHiddenAndClearsOnlyDepth)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"OrvelantLogo.png"] = k_ShowTestEngine::WhitePng(64, 32);
    k_AfterWorld world(&engine);
    engine.AddWorld(&world);
    EXPECT_EQ(world.GetName(), "AfterWorld");
    ASSERT_NE(world.GetLogo(), nullptr);
    ASSERT_EQ(world.GetRenderables()->size(), 1u);
    EXPECT_EQ(world.GetRenderables()->front(), dynamic_cast<IRenderable*>(world.GetLogo()->GetMesh()));
    EXPECT_EQ(world.GetLogoProgram()->GetUniformFloat("alpha"), 0.0f);

    // Depth is reset to the world's clear depth, even when the frame set another clear depth and the last pass
    // drawn left depth writes off; the colour stays.
    FillWindow(0, 0.5f, 0);
    glClearDepth(0.0);
    glDepthMask(GL_FALSE);
    world.Clear();
    float depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    EXPECT_EQ(At(5, 5), (std::array<int, 3>{0, 128, 0}));
}

// The logo is drawn over the picture below it, faded by its "alpha", a little above the middle of the screen.
TEST_F(GlTest, AfterWorldDrawsTheLogoOverThePictureByItsAlpha)
{
    k_ShowTestEngine engine;
    engine.files.overrides[L"OrvelantLogo.png"] = k_ShowTestEngine::WhitePng(64, 32);
    k_AfterWorld world(&engine);
    engine.AddWorld(&world);

    auto* logo = dynamic_cast<IRenderable*>(world.GetLogo()->GetMesh());
    FillWindow(0, 0, 0.5f);
    engine.Update(1.0 / 60.0);
    EXPECT_EQ(At(128, 150), (std::array<int, 3>{0, 0, 128}));
    // At alpha 0 the logo would change nothing: its quad is not drawn at all.
    EXPECT_FALSE(logo->IsVisible());

    world.GetLogoProgram()->SetUniformFloat("alpha", 1.0f);
    FillWindow(0, 0, 0.5f);
    engine.Update(1.0 / 60.0);
    EXPECT_TRUE(logo->IsVisible());
    EXPECT_EQ(At(128, 150), (std::array<int, 3>{255, 255, 255}));
    // Well below the logo the picture is untouched.
    EXPECT_EQ(At(128, 20), (std::array<int, 3>{0, 0, 128}));
    EXPECT_EQ(engine.graphics.errors.size(), 0u);
}
