#include "engine/k_Engine.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/ICamera.h"
#include "interfaces/IGraphics.h"
#include "interfaces/ILight.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "math/k_VectorUA.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The real engine on the test context: the graphics device's default state,
// the factory's objects, the renderer driven by the engine's Update. One
// world draws a lit quad into a render target; a second world, linked to the
// first, draws the first world's shared quad on the window.
TEST_F(GlTest, EngineUpdateDrawsItsWorldsWithoutGlErrors)
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
    testing::internal::CaptureStdout();
    {
        k_Engine engine;
        IGraphics* graphics = engine.GetGraphics();
        graphics->Initialize(); // front faces are clockwise from here on
        graphics->Resize(k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        engine.Initialize();
        graphics->SetAspectRatio(1.0f);
        IResourceFactory* factory = engine.GetResourceFactory();

        ICamera* camera = factory->CreateCamera();
        camera->SetPosition(k_VectorUA(0, 0, 5, 0));
        camera->SetTarget(k_VectorUA(0, 0, 0, 0));
        ILight* light = factory->CreateLight();
        light->SetLightPosition(k_VectorUA(0, 0, 1, 0));
        IMaterial* material = factory->CreateMaterial(L"Test/Lit", L"");
        ASSERT_NE(material, nullptr);
        auto* pass = new k_MaterialPass;
        pass->diffuse = {0.0f, 1.0f, 0.0f, 1.0f};
        material->AddPass(pass);

        // Clockwise as the camera sees it, as the show's front faces are.
        const float quad[] = {-1, -1, 0, 0, 0, 1, -1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, -1, 0, 0, 0, 1};
        const uint32_t indices[] = {0, 1, 2, 0, 2, 3};
        IMeshBuffer* mesh = factory->CreateMeshBuffer();
        mesh->SetVertices(quad, 4, {r_VertexElement::Position3, r_VertexElement::Normal3}, GL_STATIC_DRAW, true);
        mesh->SetIndices(indices, 6, GL_STATIC_DRAW, true);
        mesh->SetMaterial(material);

        IRenderTarget* target = factory->CreateRenderTargetWithTexture(64, 64, 3);
        ASSERT_NE(target, nullptr);
        k_World offscreen(&engine, "Offscreen"), window(&engine, "Window");
        offscreen.SetCamera(camera);
        offscreen.AddLight(light);
        offscreen.SetRenderTarget(target);
        offscreen.SetClearColour(k_VectorUA(1, 0, 0, 1));
        offscreen.AddRenderable(dynamic_cast<IRenderable*>(mesh));
        window.AddLight(light);
        window.SetLinkedWorld(&offscreen);
        window.SetClearColour(k_VectorUA(0, 0, 1, 1));
        engine.AddWorld(&offscreen);
        engine.AddWorld(&window);

        engine.Update(1.0 / 60.0);
        graphics->CheckErrors();

        std::vector<float> texels(64 * 64 * 4);
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(target->GetColorTextures()->front())->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        EXPECT_NEAR(texels[(32 * 64 + 32) * 4 + 1], 1.0f, 0.01f); // the lit quad
        EXPECT_FLOAT_EQ(texels[(2 * 64 + 2) * 4 + 0], 1.0f);      // the offscreen clear colour

        const auto centre = k_GlTestContext::ReadPixels(128, 128, 1, 1);
        const auto corner = k_GlTestContext::ReadPixels(2, 2, 1, 1);
        EXPECT_EQ(centre, (std::vector<uint8_t>{0, 255, 0, 255}));
        EXPECT_EQ(corner, (std::vector<uint8_t>{0, 0, 255, 255}));
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("OPENGL :: ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("OPENGL :: UNKNOWN ERROR"), std::string::npos) << log;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glFrontFace(GL_CCW);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
}
