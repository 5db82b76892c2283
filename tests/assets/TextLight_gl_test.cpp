#include "engine/k_Engine.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITexture.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <epoxy/gl.h>
#include <GL/glu.h>
#include <memory>
#include <string>

// The common text material from the built data pack: inline and file shaders, a generated JPEG and PNG,
// and an included script, loaded and drawn on Mesa.
namespace
{
class TextLightTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        testing::internal::CaptureStdout();
        engine = std::make_unique<k_GpuTestEngine>(true);
        material = engine->GetResourceFactory()->CreateMaterial(L"Common/TextLight.mat0", L"Common/TextLight.mat");
        log = testing::internal::GetCapturedStdout();
        ASSERT_NE(material, nullptr);
    }

    // A lit sphere filling most of the view, drawn with the material; returns the pixels (RGBA).
    std::vector<uint8_t> Draw(float red)
    {
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        glClearColor(red, 0.0f, 0.0f, 1.0f);
        // The depth and face rules this drawing assumes, whatever an earlier test left (the show's frames
        // clear depth to 0 and turn fronts clockwise).
        glClearDepth(1.0);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glFrontFace(GL_CCW);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 0.5, 50.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 6, 0, 0, 0, 0, 1, 0);
        EXPECT_TRUE(material->Apply());
        GLUquadric* sphere = gluNewQuadric();
        gluQuadricNormals(sphere, GLU_SMOOTH);
        gluSphere(sphere, 2.0, 48, 32);
        gluDeleteQuadric(sphere);
        glUseProgram(0);
        auto pixels = k_GlTestContext::ReadPixels(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        for (int unit = 0; unit < 2; ++unit)
        {
            glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            glDisable(GL_TEXTURE_2D);
        }
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        return pixels;
    }

    static const uint8_t* At(const std::vector<uint8_t>& pixels, int x, int y)
    {
        return &pixels[(static_cast<size_t>(y) * k_GlTestContext::k_Width + x) * 4];
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    IMaterial* material = nullptr;
    std::string log;
};
} // namespace

TEST_F(TextLightTest, LoadsCleanlyWithItsIncludeShadersAndTextures)
{
    for (const char* problem : {"Error", "Cannot", "Unknown", "not definied", "No shaders", "Missing", "FAILED"})
        EXPECT_EQ(log.find(problem), std::string::npos) << problem << "\n" << log;
    const auto& passes = material->GetPasses();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0]->target, "");
    EXPECT_EQ(passes[1]->target, "Drift");
    for (k_MaterialPass* pass : passes)
    {
        auto* program = dynamic_cast<k_ShaderProgram*>(pass->program);
        ASSERT_NE(program, nullptr);
        GLint linked = GL_FALSE;
        glGetProgramiv(program->GetHandle(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        ASSERT_TRUE(pass->textures.contains(0));
        ASSERT_NE(pass->textures.at(0).texture, nullptr);
    }
    EXPECT_EQ(passes[0]->textures.at(0).texture->GetWidth(), 256); // Common/Brushed.jpg
    EXPECT_EQ(passes[1]->textures.at(0).texture->GetWidth(), 128); // Common/Sparkle.png
}

TEST_F(TextLightTest, ChromePassShadesTheSolidAndTheDriftPassAddsGlow)
{
    const auto chrome = Draw(0.0f);
    // The background stays, the solid is lit: brighter towards the key light (upper right) than at the
    // lower left, and the brushed grain varies along a row.
    EXPECT_EQ(At(chrome, 2, 2)[1], 0);
    const uint8_t* lit = At(chrome, 150, 160);
    const uint8_t* shade = At(chrome, 100, 90);
    EXPECT_GT(lit[1], 60);
    EXPECT_GT(lit[1] + lit[2], shade[1] + shade[2]);
    int different = 0;
    for (int x = 110; x < 146; ++x)
        different += At(chrome, x, 128)[1] != At(chrome, x + 1, 128)[1];
    EXPECT_GT(different, 3);

    // Seen by the drift world the glow pass is used: blended additively over the red background.
    k_World drift(engine.get(), "Drift");
    engine->renderer.currentWorld = &drift;
    const auto glow = Draw(0.5f);
    engine->renderer.currentWorld = nullptr;
    const uint8_t* centre = At(glow, 128, 128);
    EXPECT_GE(centre[0], 126); // nothing darker than the background
    EXPECT_GT(centre[1], 10);
    EXPECT_EQ(engine->graphics.errors, 0);
}

// The whole chain as the program runs it: the engine opens data.pak, its factory loads the material, the
// renderer's current world picks the pass, the real graphics device checks the GL errors.
TEST_F(GlTest, TextLightThroughTheRealEngine)
{
    testing::internal::CaptureStdout();
    std::string log;
    {
        k_Engine engine;
        engine.Initialize();
        IMaterial* material =
            engine.GetResourceFactory()->CreateMaterial(L"Common/TextLight.mat0", L"Common/TextLight.mat");
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(material->GetPasses().size(), 2u);
        k_World drift(&engine, "Drift");
        engine.GetRenderer()->SetCurrentWorld(&drift);
        EXPECT_EQ(material->FindPass(nullptr), material->GetPasses()[1]);
        EXPECT_TRUE(material->Apply());
        engine.GetGraphics()->CheckErrors();
        engine.GetRenderer()->SetCurrentWorld(nullptr);
        glUseProgram(0);
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
        glDisable(GL_TEXTURE_2D);
        log = testing::internal::GetCapturedStdout();
    }
    EXPECT_NE(log.find("Initializing resource factory...\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Creating material 'Common/TextLight.mat0' from Common/TextLight.mat\n"), std::string::npos);
    EXPECT_NE(log.find("Loading Common/Brushed.jpg...\n"), std::string::npos);
    for (const char* problem : {"ERROR", "Error", "Cannot", "FAILED", "Unknown"})
        EXPECT_EQ(log.find(problem), std::string::npos) << problem << "\n" << log;
}
