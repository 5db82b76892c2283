#include "demo/k_CameraAttachedRenderable.h"
#include "demo/k_DistortedQuad.h"
#include "demo/k_TextEvent.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "scene/k_Camera.h"
#include "scene/k_EmptyRenderable.h"
#include "scene/k_World.h"
#include "support/k_ShowTestEngine.h"

#include <epoxy/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A world with the captions' world name, so the caption material's own pass is used.
struct CaptionScene
{
    CaptionScene()
    {
        engine.files.overrides[L"wide.png"] = k_ShowTestEngine::WhitePng(64, 16);
        engine.files.overrides[L"square.png"] = k_ShowTestEngine::WhitePng(32, 32);
        camera = engine.GetResourceFactory()->CreateCamera();
        world.SetCamera(camera);
        world.SetClearColour(k_VectorUA(0, 0, 0, 1));
        engine.AddWorld(&world);
        drift.SetEnabled(false);
        engine.AddWorld(&drift);
    }

    int Brightness(int x, int y)
    {
        const std::vector<uint8_t> p = k_GlTestContext::ReadPixels(x, y, 1, 1);
        return p[0] + p[1] + p[2];
    }

    k_ShowTestEngine engine;
    ICamera* camera = nullptr;
    k_World world{&engine, "AfterWorld"};
    k_World drift{&engine, "Drift"};
};
} // namespace

// Every quad gets a material of its own (the picture's whole address and an instance number name it), told
// the picture's aspect ratio; a quad made after one of its picture went takes that one's free instance.
TEST_F(GlTest, DistortedQuadsHaveAMaterialEachAndTheTexturesAspectRatio)
{
    CaptionScene scene;
    IResourceFactory* factory = scene.engine.GetResourceFactory();
    ITexture* wide = factory->CreateTexture(L"wide.png", L"wide.png");
    ITexture* square = factory->CreateTexture(L"square.png", L"square.png");
    ASSERT_NE(wide, nullptr);
    ASSERT_NE(square, nullptr);
    k_DistortedQuad first(&scene.engine, wide);
    k_DistortedQuad second(&scene.engine, square);
    auto again = std::make_unique<k_DistortedQuad>(&scene.engine, wide);
    EXPECT_NE(first.GetMaterial(), second.GetMaterial());
    EXPECT_NE(first.GetMaterial(), again->GetMaterial());
    EXPECT_EQ(again->GetInstance(), 1);
    IMaterial* second_instance = again->GetMaterial();
    again.reset();
    k_DistortedQuad remade(&scene.engine, wide);
    EXPECT_EQ(remade.GetInstance(), 1);
    EXPECT_EQ(remade.GetMaterial(), second_instance);
    EXPECT_NE(k_DistortedQuad::MaterialName(wide), k_DistortedQuad::MaterialName(square));
    EXPECT_NE(k_DistortedQuad::MaterialName(wide), k_DistortedQuad::MaterialName(wide, 1));
    EXPECT_EQ(k_DistortedQuad::MaterialName(wide).rfind(L"Quad", 0), 0u);

    ASSERT_EQ(first.GetMaterial()->GetPasses().size(), 2u);
    for (k_MaterialPass* pass : first.GetMaterial()->GetPasses())
        EXPECT_EQ(pass->textures.at(0).texture, wide);
    first.Draw(0);
    second.Draw(0);
    for (k_MaterialPass* pass : first.GetMaterial()->GetPasses())
        EXPECT_EQ(pass->program->GetUniformFloat("texAspectRatio"), 4.0f);
    EXPECT_EQ(second.GetMaterial()->GetPasses().front()->program->GetUniformFloat("texAspectRatio"), 1.0f);
}

// A caption slides in from off screen to the place it was given and is seen there.
TEST_F(GlTest, ACaptionSlidesInToItsPlaceAndIsSeenThere)
{
    CaptionScene scene;
    k_TextEvent caption(&scene.world, &scene.engine, &scene.drift, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 0.0, 10.0,
                        {3, 2.0f}, {4, 2.0f});
    ASSERT_NE(caption.GetNode(), nullptr);
    // Where the show's first caption rests: a little left of the middle, in the upper half, from the left.
    caption.SetPlace(-0.1f, 0.42f, 1.25f, -1.0f);
    const int x = 115;
    const int y = 182;

    scene.engine.Update(0.05);
    EXPECT_EQ(caption.GetNode()->GetWorld(), &scene.world);
    EXPECT_LT(scene.Brightness(x, y), 30);
    scene.engine.Update(2.0);
    EXPECT_GT(scene.Brightness(x, y), 700);
    EXPECT_LT(scene.Brightness(x, 40), 30);
    scene.engine.Update(8.0);
    EXPECT_EQ(caption.GetNode()->GetWorld(), nullptr);
    EXPECT_LT(scene.Brightness(x, y), 30);
    EXPECT_EQ(scene.engine.graphics.errors.size(), 0u);
}

// Two captions of one picture, each at its own place and time: the first alone at 1 s, both at 3 s.
TEST_F(GlTest, TwoCaptionsOfOnePictureShowAtTheirOwnPlacesAndTimes)
{
    CaptionScene scene;
    k_TextEvent left(&scene.world, &scene.engine, nullptr, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 0.5, 4.0, {0, 0.0f},
                     {0, 0.0f});
    k_TextEvent right(&scene.world, &scene.engine, nullptr, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 2.0, 4.0,
                      {0, 0.0f}, {0, 0.0f});
    left.SetPlace(-0.5f, 0.5f, 0.8f, 0.0f);
    right.SetPlace(0.5f, -0.5f, 0.8f, 0.0f);
    ASSERT_NE(left.GetMaterial(), right.GetMaterial());
    // Pixels in the middle of each place (the viewport is 256 wide, y from the bottom) and between them.
    struct Case
    {
        double time;
        bool leftSeen;
        bool rightSeen;
    };
    for (const Case& c : {Case{1.0, true, false}, Case{3.0, true, true}, Case{5.0, false, true}})
    {
        scene.engine.Update(c.time - scene.engine.GetTimeline()->GetTime()); // moves on and draws
        EXPECT_EQ(scene.Brightness(64, 192) > 300, c.leftSeen) << c.time << " s, upper left";
        EXPECT_EQ(scene.Brightness(192, 64) > 300, c.rightSeen) << c.time << " s, lower right";
        EXPECT_LT(scene.Brightness(64, 64), 30) << c.time << " s, lower left";
    }
}

TEST_F(GlTest, ACaptionWithoutFadesRegistersOnlyItsStartAndEnd)
{
    CaptionScene scene;
    k_TextEvent caption(&scene.world, &scene.engine, &scene.drift, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 1.0, 2.0,
                        {0, 0.0f}, {0, 0.0f});
    IShaderProgram* program = caption.GetMaterial()->FindPass(&scene.world)->program;
    scene.engine.AdvanceTo(1.5);
    EXPECT_EQ(caption.GetNode()->GetWorld(), &scene.world);
    // Nothing animates it: both uniforms stay as the material made them.
    EXPECT_EQ(program->GetUniformFloat("alpha"), 0.0f);
    EXPECT_EQ(program->GetUniformFloat("animPos"), 0.0f);
    scene.engine.AdvanceTo(3.0);
    EXPECT_EQ(caption.GetNode()->GetWorld(), nullptr);
}

// A hand-over without time never happens: the caption ends in world A and leaves it at its end all the same.
TEST_F(GlTest, ACaptionWhoseHandOverTakesNoTimeLeavesWorldAAtItsEnd)
{
    CaptionScene scene;
    k_TextEvent caption(&scene.world, &scene.engine, &scene.drift, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 1.0, 2.0,
                        {0, 0.0f}, {3, 0.0f});
    scene.engine.AdvanceTo(2.5);
    EXPECT_EQ(caption.GetNode()->GetWorld(), &scene.world);
    scene.engine.AdvanceTo(3.0);
    EXPECT_EQ(caption.GetNode()->GetWorld(), nullptr);
    EXPECT_TRUE(scene.world.GetRenderables()->empty());
    EXPECT_TRUE(scene.drift.GetRenderables()->empty());
}

// World B (the drift) draws a handed-over caption into its picture in its first frame there and hides it. A seek
// to a time inside the hand-over must not make it visible again (it would be imprinted twice); a seek onto the
// hand-over's instant and a frame crossing it leave it visible for that one frame, as a play has it.
TEST_F(GlTest, ASeekIntoAHandOverDoesNotDrawTheCaptionIntoWorldBAgain)
{
    CaptionScene scene;
    k_TextEvent caption(&scene.world, &scene.engine, &scene.drift, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 1.0, 4.0,
                        {0, 0.0f}, {3, 2.0f}); // handed over at 3 s, gone at 5 s
    IRenderable* node = caption.GetNode();
    scene.engine.AdvanceTo(3.1);
    ASSERT_EQ(node->GetWorld(), &scene.drift);
    EXPECT_TRUE(node->IsVisible()); // this frame draws it (the plain world here does not hide it)

    for (double time : {4.0, 3.5, 3.0001})
    {
        scene.engine.Seek(time);
        ASSERT_EQ(node->GetWorld(), &scene.drift) << time;
        EXPECT_FALSE(node->IsVisible()) << "seek to " << time;
    }
    scene.engine.Seek(3.0);
    ASSERT_EQ(node->GetWorld(), &scene.drift);
    EXPECT_TRUE(node->IsVisible());
    // Back before the hand-over and across it in play: drawn in its first frame there.
    scene.engine.Seek(2.0);
    EXPECT_EQ(node->GetWorld(), &scene.world);
    scene.engine.AdvanceTo(3.05, 0.1);
    ASSERT_EQ(node->GetWorld(), &scene.drift);
    EXPECT_TRUE(node->IsVisible());
}

// A frame on a caption's exact start triggers the start again in the next frame, after that frame's fade-in
// step: the fade must go on from there, not back to its start values for a frame. (The two captions start at
// different times: intervals that start together share one.)
TEST_F(GlTest, AStartTriggeredAgainByTheNextFrameLeavesTheFadeInWhereItIs)
{
    CaptionScene scene;
    k_TextEvent fading(&scene.world, &scene.engine, &scene.drift, L"wide.png", "", k_VectorUA(0, 0, 0, 0), 1.0, 4.0,
                       {1, 0.5f}, {0, 0.0f});
    k_TextEvent sliding(&scene.world, &scene.engine, &scene.drift, L"square.png", "", k_VectorUA(0, 0, 0, 0), 2.0, 4.0,
                        {3, 1.0f}, {0, 0.0f});
    IShaderProgram* fade = fading.GetMaterial()->FindPass(&scene.world)->program;
    IShaderProgram* slide = sliding.GetMaterial()->FindPass(&scene.world)->program;
    scene.engine.AdvanceTo(1.0);
    EXPECT_EQ(fade->GetUniformFloat("alpha"), 0.0f);
    scene.engine.AdvanceTo(1.125, 1.0);
    EXPECT_FLOAT_EQ(fade->GetUniformFloat("alpha"), 0.25f);
    EXPECT_FLOAT_EQ(fade->GetUniformFloat("animPos"), 1.0f);
    scene.engine.AdvanceTo(2.0);
    EXPECT_EQ(slide->GetUniformFloat("animPos"), 0.0f);
    scene.engine.AdvanceTo(2.125, 1.0);
    EXPECT_FLOAT_EQ(slide->GetUniformFloat("animPos"), 0.125f);
    EXPECT_FLOAT_EQ(slide->GetUniformFloat("alpha"), 1.0f);
    EXPECT_EQ(scene.world.GetRenderables()->size(), 2u);
}

// A text caption carries extruded letters in front of the camera, each with a material instance of its own.
TEST_F(GlTest, ATextCaptionShowsItsLettersInFrontOfTheCamera)
{
    CaptionScene scene;
    // A camera's frame is consistent only after a setter (a new one looks at the origin but points down -z).
    scene.camera->SetPosition(k_VectorUA(0, 0, -5, 0));
    scene.camera->SetTarget(k_VectorUA(0, 0, 0, 0));
    k_TextEvent first(&scene.world, &scene.engine, &scene.drift, L"DejaVu Sans", "HI", k_VectorUA(-0.6f, -0.35f, 4, 0),
                      0.5, 5.0, {1, 0.5f}, {1, 0.5f});
    k_TextEvent second(&scene.world, &scene.engine, &scene.drift, L"DejaVu Sans", "ok", k_VectorUA(0, 0, 4, 0), 0.5,
                       5.0, {0, 0.0f}, {0, 0.0f});
    ASSERT_NE(first.GetTextNode(), nullptr);
    ASSERT_NE(first.GetMaterial(), nullptr);
    EXPECT_NE(first.GetMaterial(), second.GetMaterial());
    EXPECT_EQ(first.GetNode()->GetChildren(), std::vector<IRenderable*>{first.GetTextNode()});
    // The k-th text caption of the process uses "Common/TextLight.mat" followed by '0' + k.
    IResourceFactory* factory = scene.engine.GetResourceFactory();
    testing::internal::CaptureStdout();
    int k = 0;
    while (k < 40 && factory->CreateMaterial(std::wstring(L"Common/TextLight.mat") + static_cast<wchar_t>(L'0' + k),
                                             L"Common/TextLight.mat") != first.GetMaterial())
        ++k;
    EXPECT_EQ(factory->CreateMaterial(std::wstring(L"Common/TextLight.mat") + static_cast<wchar_t>(L'0' + k + 1),
                                      L"Common/TextLight.mat"),
              second.GetMaterial());
    testing::internal::GetCapturedStdout();

    glFrontFace(GL_CW); // as every frame of the show starts
    auto lit = [] {
        const std::vector<uint8_t> pixels = k_GlTestContext::ReadPixels(0, 0, 256, 256);
        int count = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            count += pixels[i] + pixels[i + 1] + pixels[i + 2] > 150;
        return count;
    };
    scene.engine.Update(0.25);
    EXPECT_EQ(lit(), 0);
    scene.engine.Update(1.0);
    EXPECT_EQ(first.GetNode()->GetWorld(), &scene.world);
    EXPECT_GT(lit(), 400);
    glFrontFace(GL_CCW);
    EXPECT_EQ(scene.engine.graphics.errors.size(), 0u);
}

// The node stands at the camera plus the distance along the view, turned to face the viewer, and shifts its first
// child by x and y.
TEST_F(GlTest, CameraAttachedNodeStandsInFrontOfTheCameraFacingIt)
{
    k_ShowTestEngine engine;
    k_Camera camera(&engine);
    camera.SetPosition(k_VectorUA(3, 4, 12, 0));
    camera.SetTarget(k_VectorUA(0, 0, 0, 0));
    camera.Apply();
    k_World world(&engine, "Scene");
    world.SetCamera(&camera);

    k_CameraAttachedRenderable lonely(&engine, k_VectorUA(1, 1, 5, 0));
    lonely.Draw(0); // no world yet: nothing to follow, nothing happens
    EXPECT_EQ(lonely.GetPosition(), k_VectorUA(0, 0, 0, 1));

    k_CameraAttachedRenderable node(&engine, k_VectorUA(0.5f, -0.25f, 13.0f, 0));
    k_EmptyRenderable child(&engine);
    world.AddRenderable(&node);
    node.AddChild(&child);
    node.Draw(1);
    EXPECT_EQ(node.GetPosition(), k_VectorUA(0, 0, 0, 1));
    node.Draw(0);

    // 13 along the unit direction from (3, 4, 12) reaches the origin (the estimate is good to about 1e-3).
    const k_VectorUA position = node.GetPosition();
    EXPECT_NEAR(position.x, 0.0f, 0.02f);
    EXPECT_NEAR(position.y, 0.0f, 0.02f);
    EXPECT_NEAR(position.z, 0.0f, 0.02f);
    EXPECT_EQ(child.GetMatrix()[12], 0.5f);
    EXPECT_EQ(child.GetMatrix()[13], -0.25f);
    // The view's rotation after the node's own matrix leaves directions unturned.
    const k_Matrix view(camera.GetViewMatrix());
    const k_Matrix product = view * node.GetMatrix();
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            EXPECT_NEAR(product[4 * column + row], row == column ? 1.0f : 0.0f, 1e-4f) << column << "," << row;

    // Without a child only the node itself is placed.
    node.RemoveChild(&child);
    node.Draw(0);
    world.RemoveRenderable(&node);
}
