#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "math/k_Matrix.h"
#include "scene/k_Camera.h"
#include "scene/k_Light.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <memory>
#include <png.h>
#include <string>
#include <vector>

namespace
{
// Uses every built-in uniform, so none is optimised away.
const char* k_Script = "vertexshader vs {{\n"
                       "#version 120\n"
                       "void main() { gl_Position = ftransform(); }\n"
                       "}}\n"
                       "pixelshader ps {{\n"
                       "#version 120\n"
                       "uniform sampler2D texture0, texture1, texture2;\n"
                       "uniform vec4 texture0Ddxy, texture1Ddxy, texture2Ddxy;\n"
                       "uniform int numOfLights;\n"
                       "uniform float demoTime, aspectRatio;\n"
                       "uniform vec3 eyePosition, eyeDirection;\n"
                       "uniform mat4 viewMatrix, viewMatrixInverse;\n"
                       "void main() {\n"
                       "  vec2 uv = gl_FragCoord.xy;\n"
                       "  gl_FragColor = texture2D(texture0, uv) + texture2D(texture1, uv) + texture2D(texture2, uv)\n"
                       "    + texture0Ddxy + texture1Ddxy + texture2Ddxy\n"
                       "    + vec4(float(numOfLights) + demoTime + aspectRatio)\n"
                       "    + vec4(eyePosition + eyeDirection, 1.0) + viewMatrix[3] + viewMatrixInverse[3];\n"
                       "}\n"
                       "}}\n"
                       "material {\n"
                       "  useshader vs\n"
                       "  useshader ps\n"
                       "  loadtexture 0 Test/wide.png clamp mirror\n"
                       "  reservetexture 2\n"
                       "  loadtexture 5 Test/small.png\n"
                       "  culling none\n"
                       "  depthwrite false\n"
                       "  depthfunc greater\n"
                       "  alphablend true\n"
                       "  srcblendmode srcalpha\n"
                       "  destblendmode one\n"
                       "  alphatestvalue 0.5\n"
                       "  diffuse 0.25 0.5 0.75 1\n"
                       "  emissive 1 0 0 1\n"
                       "  shininess 20\n"
                       "}\n"
                       "material {\n"
                       "  target fixed\n"
                       "  culling front\n"
                       "  alphatestfunc greater\n"
                       "  alphatestvalue 0.25\n"
                       "  loadtexture 1 Test/small.png\n"
                       "}\n";

class MaterialTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        engine->WriteFile("Test/wide.png",
                          k_TestImages::Png(256, 128, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(256 * 128 * 3, 40)));
        engine->WriteFile("Test/small.png", k_TestImages::Png(2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(12)));
        engine->WriteFile("Test/Full.mat", k_Script);
        testing::internal::CaptureStdout();
        material = engine->GetResourceFactory()->CreateMaterial(L"full", L"Test/Full.mat");
        testing::internal::GetCapturedStdout();
        ASSERT_NE(material, nullptr);
        ASSERT_EQ(material->GetPasses().size(), 2u);
        program = material->GetPasses()[0]->program;
        ASSERT_NE(program, nullptr);
    }

    static GLint BoundTexture(int unit)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return bound;
    }

    static k_MaterialPass* Pass(const std::string& target)
    {
        auto* pass = new k_MaterialPass;
        pass->target = target;
        return pass;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    IMaterial* material = nullptr;
    IShaderProgram* program = nullptr;
};
} // namespace

// --- choosing a pass ---

TEST_F(MaterialTest, FindPassPrefersTheWorldsTargetThenTheFirstDefault)
{
    k_Material passes(engine.get(), L"");
    passes.AddPass(Pass(""));
    passes.AddPass(Pass("water"));
    passes.AddPass(Pass("")); // replaces the first default pass in place
    passes.AddPass(Pass("sky"));
    ASSERT_EQ(passes.GetPasses().size(), 3u);
    k_MaterialPass* firstDefault = passes.GetPasses()[0];
    k_World water(engine.get(), "water");
    k_World other(engine.get(), "desert");
    k_World unnamed(engine.get(), "");
    EXPECT_EQ(passes.FindPass(&water), passes.GetPasses()[1]);
    EXPECT_EQ(passes.FindPass(&other), firstDefault);
    EXPECT_EQ(passes.FindPass(nullptr), firstDefault); // no current world
    engine->renderer.currentWorld = &water;
    EXPECT_EQ(passes.FindPass(nullptr), passes.GetPasses()[1]);
    engine->renderer.currentWorld = nullptr;

    k_Material twoDefaults(engine.get(), L"");
    twoDefaults.AddPass(Pass(""));
    twoDefaults.AddPass(Pass("x"));
    EXPECT_EQ(twoDefaults.FindPass(&unnamed), twoDefaults.GetPasses()[0]);

    k_Material onlyWater(engine.get(), L"");
    onlyWater.AddPass(Pass("water"));
    engine->renderer.currentWorld = &other;
    glDisable(GL_BLEND);
    EXPECT_FALSE(onlyWater.Apply());
    EXPECT_EQ(onlyWater.FindPass(nullptr), nullptr);
    engine->renderer.currentWorld = nullptr;
}

// --- applying a pass ---

TEST_F(MaterialTest, ApplySetsStateBindsSlotsAndNumbersTheirUniforms)
{
    glUseProgram(0);
    // Leave something bound on an unused unit: applying unbinds every unit first.
    ITexture* small = engine->GetResourceFactory()->CreateTexture(L"Test/small.png", L"Test/small.png");
    small->Bind(7);
    ASSERT_TRUE(material->Apply());

    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_FALSE);
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST)); // a reference value alone does not switch it on
    float colour[4] = {};
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    glGetMaterialfv(GL_BACK, GL_EMISSION, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, colour);
    EXPECT_FLOAT_EQ(colour[0], 20.0f);

    // Slots at units 0, 2 (reserved) and 5: the reserved slot still counts in the numbering.
    EXPECT_EQ(program->GetUniformInt("texture0"), 0);
    EXPECT_EQ(program->GetUniformInt("texture2"), 5);
    EXPECT_EQ(program->GetUniformVector4("texture1Ddxy"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(program->GetUniformVector4("texture0Ddxy"), (std::array<float, 4>{0.00390625f, 0.0078125f, 256, 128}));
    EXPECT_EQ(program->GetUniformVector4("texture2Ddxy"), (std::array<float, 4>{0.5f, 0.5f, 2, 2}));
    EXPECT_NE(BoundTexture(0), 0);
    EXPECT_EQ(BoundTexture(2), 0);
    EXPECT_EQ(static_cast<GLuint>(BoundTexture(5)), dynamic_cast<k_TextureBase*>(small)->GetName());
    EXPECT_EQ(BoundTexture(7), 0);
    glActiveTexture(GL_TEXTURE0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_MIRRORED_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    glActiveTexture(GL_TEXTURE5);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_NE(current, 0);
    EXPECT_EQ(engine->graphics.errors, 0);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE7);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(MaterialTest, PassWithoutProgramSetsStateAndBindsButUploadsNothing)
{
    k_World fixed(engine.get(), "fixed");
    engine->renderer.currentWorld = &fixed;
    glUseProgram(0);
    ASSERT_TRUE(material->Apply());
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint value = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    float reference = 0.0f;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_FLOAT_EQ(reference, 0.25f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_NE(BoundTexture(1), 0);
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(program->GetUniformInt("numOfLights"), 0);
    engine->renderer.currentWorld = nullptr;
    glDisable(GL_ALPHA_TEST);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(MaterialTest, WorldUniformsComeFromTheCurrentWorldItsCameraAndTheClocks)
{
    k_World world(engine.get(), "scene");
    k_Light first(engine.get());
    k_Light second(engine.get());
    world.AddLight(&first);
    world.AddLight(&second);
    engine->renderer.currentWorld = &world;
    engine->timeline.time = 12.5;
    engine->timeline.realTime = 3.0; // the demo clock runs apart from the real one
    engine->graphics.aspectRatio = 2.35f;

    // Without a camera: the counts and clocks, but no eye or view uniforms.
    ASSERT_TRUE(material->Apply());
    EXPECT_EQ(program->GetUniformInt("numOfLights"), 2);
    EXPECT_FLOAT_EQ(program->GetUniformFloat("demoTime"), 12.5f);
    EXPECT_FLOAT_EQ(program->GetUniformFloat("aspectRatio"), 2.35f);
    EXPECT_EQ(program->GetUniformVector4("eyePosition"), (std::array<float, 4>{0, 0, 0, 0}));

    k_Camera camera(engine.get());
    camera.SetPosition({1.0f, 2.0f, 10.0f, 1.0f});
    camera.SetTarget({1.0f, 2.0f, 0.0f, 1.0f});
    camera.Apply();
    world.SetCamera(&camera);
    ASSERT_TRUE(material->Apply());
    const auto eye = program->GetUniformVector4("eyePosition");
    EXPECT_FLOAT_EQ(eye[0], 1.0f);
    EXPECT_FLOAT_EQ(eye[2], 10.0f);
    const auto direction = program->GetUniformVector4("eyeDirection");
    EXPECT_NEAR(direction[2], -1.0f, 1e-3);
    const auto view = program->GetUniformMatrix4("viewMatrix");
    const auto inverse = program->GetUniformMatrix4("viewMatrixInverse");
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(view[static_cast<size_t>(i)], camera.GetViewMatrix()[i]);
    // The inverse of a look-at matrix puts the eye back: its translation is the camera position.
    EXPECT_NEAR(inverse[12], 1.0f, 1e-4);
    EXPECT_NEAR(inverse[13], 2.0f, 1e-4);
    EXPECT_NEAR(inverse[14], 10.0f, 1e-4);
    const k_Matrix product = k_Matrix(view.data()) * k_Matrix(inverse.data());
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(product[i], i % 5 == 0 ? 1.0f : 0.0f, 1e-4);

    // A camera on its own target has a singular view: the inverse is the identity, said once in red
    // while the view stays singular, and again when it turns singular after a sound view.
    auto singularLines = [&](int draws) {
        testing::internal::CaptureStdout();
        for (int i = 0; i < draws; ++i)
            EXPECT_TRUE(material->Apply());
        const std::string log = testing::internal::GetCapturedStdout();
        int lines = 0;
        for (size_t at = log.find("view matrix is singular"); at != std::string::npos;
             at = log.find("view matrix is singular", at + 1))
            ++lines;
        return lines;
    };
    camera.SetPosition({1.0f, 2.0f, 0.0f, 1.0f});
    camera.Apply();
    EXPECT_EQ(singularLines(3), 1);
    EXPECT_EQ(program->GetUniformMatrix4("viewMatrixInverse")[12], 0.0f);
    EXPECT_EQ(program->GetUniformMatrix4("viewMatrixInverse")[0], 1.0f);
    camera.SetPosition({1.0f, 2.0f, 10.0f, 1.0f});
    camera.Apply();
    EXPECT_EQ(singularLines(2), 0);
    camera.SetPosition({1.0f, 2.0f, 0.0f, 1.0f});
    camera.Apply();
    EXPECT_EQ(singularLines(1), 1);
    engine->renderer.currentWorld = nullptr;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
