#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_MeshBuffer.h"
#include "graphics/k_RenderTarget.h"
#include "graphics/k_TextureBase.h"
#include "scene/k_Camera.h"
#include "scene/k_Light.h"
#include "scene/k_World.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
// Shows a texture over the whole window: identity matrices, no clear of its own needed.
class k_ScreenWorld : public k_World
{
public:
    using k_World::k_World;
    void OnRenderStage(int stage) override
    {
        if (stage != 0)
            return;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

constexpr int k_TargetSize = 128;
} // namespace

// A lit quad seen through a camera is drawn into a float render target by
// one world; a second world shows the target's texture on the window.
TEST_F(GlTest, LitMeshThroughACameraIntoAFloatTargetAndOntoTheWindow)
{
    k_SceneTestDrainErrors();
    glFrontFace(GL_CCW);
    // Let lighting results above 1 reach the float target.
    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);

    k_SceneTestEngine engine;
    k_World scene(&engine, "Scene");
    k_ScreenWorld screen(&engine, "Screen");

    k_Camera camera(&engine);
    camera.SetPosition(k_VectorUA(0, 0, 5, 0));
    camera.SetTarget(k_VectorUA(0, 0, 0, 0));
    k_Light light(&engine);
    light.SetLightPosition(k_VectorUA(0, 0, 1, 0)); // directional, shining down -z
    light.SetDiffuse(k_VectorUA(2, 2, 2, 1));
    light.SetSpecular(k_VectorUA(0, 0, 0, 1));
    k_RenderTarget target(&engine, k_TargetSize, k_TargetSize);
    ITexture* picture = target.AddColorTexture(3);

    scene.SetCamera(&camera);
    scene.AddLight(&light);
    scene.SetRenderTarget(&target);
    scene.SetClearColour(k_VectorUA(0, 0, 0.25f, 1));

    // The lit quad: positions and normals, facing the camera.
    k_Material litMaterial(&engine, L"");
    auto* litPass = new k_MaterialPass;
    litPass->diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    litMaterial.AddPass(litPass);
    const float quad[] = {-1, -1, 0, 0, 0, 1, 1, -1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, -1, 1, 0, 0, 0, 1};
    const uint32_t indices[] = {0, 1, 2, 0, 2, 3};
    k_MeshBuffer mesh(&engine);
    mesh.SetVertices(quad, 4, {r_VertexElement::Position3, r_VertexElement::Normal3}, GL_STATIC_DRAW, true);
    mesh.SetIndices(indices, 6, GL_STATIC_DRAW, true);
    mesh.SetMaterial(&litMaterial);
    scene.AddRenderable(&mesh);

    // The full-window quad that samples the target's texture.
    k_Material screenMaterial(&engine, L"");
    auto* screenPass = new k_MaterialPass;
    screenPass->cullMode = 0;
    screenPass->textures[0] = {picture, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE};
    screenMaterial.AddPass(screenPass);
    const float full[] = {-1, -1, 0, 0, 1, -1, 1, 0, 1, 1, 1, 1, -1, 1, 0, 1};
    k_MeshBuffer screenQuad(&engine);
    screenQuad.SetVertices(full, 4, {r_VertexElement::Position2, r_VertexElement::TexCoord2}, GL_STATIC_DRAW, true);
    screenQuad.SetIndices(indices, 6, GL_STATIC_DRAW, true);
    screenQuad.SetMaterial(&screenMaterial);
    screen.AddRenderable(&screenQuad);

    engine.AddWorld(&scene);
    engine.AddWorld(&screen);
    glColor4f(1, 1, 1, 1);
    engine.Update(1.0 / 60.0);

    // In the target: N.L = 1, so the quad is light x material = (2, 1, 0.5); around it the clear colour.
    std::vector<float> texels(k_TargetSize * k_TargetSize * 4);
    glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(picture)->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    const float* centre = &texels[(k_TargetSize / 2 * k_TargetSize + k_TargetSize / 2) * 4];
    EXPECT_NEAR(centre[0], 2.0f, 0.02f);
    EXPECT_NEAR(centre[1], 1.0f, 0.02f);
    EXPECT_NEAR(centre[2], 0.5f, 0.02f);
    const float* corner = &texels[(2 * k_TargetSize + 2) * 4];
    EXPECT_FLOAT_EQ(corner[2], 0.25f);
    EXPECT_FLOAT_EQ(corner[0], 0.0f);
    // The quad spans 2 of the 2 x 5 x tan(22.5 deg) = 4.14 units the camera sees: about 48% of the width.
    const float* inside = &texels[(k_TargetSize / 2 * k_TargetSize + k_TargetSize / 2 + 28) * 4];
    const float* outside = &texels[(k_TargetSize / 2 * k_TargetSize + k_TargetSize / 2 + 34) * 4];
    EXPECT_GT(inside[0], 1.5f);
    EXPECT_FLOAT_EQ(outside[0], 0.0f);

    // On the window the float values are shown clamped to the 8-bit range.
    const auto middle = k_GlTestContext::ReadPixels(128, 128, 1, 1);
    EXPECT_EQ(middle[0], 255);
    EXPECT_EQ(middle[1], 255);
    EXPECT_NEAR(middle[2], 128, 2);
    const auto edge = k_GlTestContext::ReadPixels(3, 3, 1, 1);
    EXPECT_EQ(edge[0], 0);
    EXPECT_NEAR(edge[2], 64, 1);

    EXPECT_TRUE(engine.Graphics().errors.empty());
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);

    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_TRUE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FIXED_ONLY);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FIXED_ONLY);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}
