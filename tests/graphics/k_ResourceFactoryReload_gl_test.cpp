// Live reload through the resource factory: files saved again are read into the objects already in use.
#include "demo/k_UnitQuad.h"
#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_ResourceFactory.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <cstdlib>
#include <memory>
#include <png.h>
#include <string>
#include <vector>

namespace
{
const char* k_Vertex = "#version 120\n"
                       "void main() { gl_Position = vec4(gl_Vertex.xy * 2.0 - 1.0, 0.0, 1.0); }\n";

// A script whose pixel shader adds a colour of its own to a uniform the code sets ("tint") and a picture.
std::string Script(const std::string& colour, const std::string& extra = "")
{
    return "pixelshader ps {{\n"
           "#version 120\n"
           "uniform vec4 tint;\n"
           "uniform sampler2D texture0;\n"
           "void main() { gl_FragColor = vec4(" +
           colour + ") + tint + texture2D(texture0, vec2(0.5)) * 0.0" + extra +
           "; }\n"
           "}}\n"
           "material {\n"
           "  vertexshader Test/Quad.vs\n"
           "  useshader ps\n"
           "  loadtexture 0 Test/grey.png\n"
           "  reservetexture 1\n"
           "  culling none\n"
           "  depthfunc always\n"
           "}\n";
}

class ResourceFactoryReloadTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        engine->WriteFile("Test/Quad.vs", k_Vertex);
        engine->WriteFile("Test/Plain.mat", Script("0.0, 0.5, 0.0, 1.0"));
        engine->WriteFile("Test/grey.png", Grey(100));
        testing::internal::CaptureStdout();
        factory = dynamic_cast<k_ResourceFactory*>(engine->GetResourceFactory());
        material = engine->GetResourceFactory()->CreateMaterial(L"Plain", L"Test/Plain.mat");
        mesh = engine->GetResourceFactory()->CreateMeshBuffer();
        log = testing::internal::GetCapturedStdout();
        ASSERT_NE(factory, nullptr);
        ASSERT_NE(material, nullptr) << log;
        ASSERT_EQ(material->GetPasses().size(), 1u) << log;
        pass = material->GetPasses().front();
        ASSERT_NE(pass->program, nullptr) << log;
        k_UnitQuad::Fill(mesh, material);
        // Code sets a uniform and fills the reserved slot, as worlds do.
        const float tint[4] = {0.25f, 0.0f, 0.0f, 0.0f};
        pass->program->SetUniformVector("tint", tint, 4);
        reserved = engine->GetResourceFactory()->CreateTexture(L"Test/reserved.png", L"Test/grey.png");
        pass->SetTexture(1, reserved);
    }

    static std::string Grey(uint8_t level)
    {
        return k_TestImages::Png(4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(4 * 4 * 3, level));
    }

    // Draws the mesh over the window and reads the pixel in the middle (RGB).
    std::vector<int> Draw()
    {
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        dynamic_cast<IRenderable*>(mesh)->Draw(1);
        glUseProgram(0);
        const std::vector<uint8_t> pixel = k_GlTestContext::ReadPixels(128, 128, 1, 1);
        return {pixel[0], pixel[1], pixel[2]};
    }

    k_ResourceFactory::ReloadReport Reload(const std::vector<std::wstring>& files)
    {
        testing::internal::CaptureStdout();
        k_ResourceFactory::ReloadReport report = factory->Reload(files);
        log = testing::internal::GetCapturedStdout();
        return report;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    k_ResourceFactory* factory = nullptr;
    IMaterial* material = nullptr;
    k_MaterialPass* pass = nullptr;
    IMeshBuffer* mesh = nullptr;
    ITexture* reserved = nullptr;
    std::string log;
};

bool Near(const std::vector<int>& pixel, const std::vector<int>& expected)
{
    for (size_t i = 0; i < 3; ++i)
        if (std::abs(pixel[i] - expected[i]) > 2)
            return false;
    return true;
}
} // namespace

TEST_F(ResourceFactoryReloadTest, AnEditedScriptChangesThePictureInPlaceAndKeepsWhatCodeSet)
{
    ASSERT_TRUE(Near(Draw(), {64, 128, 0})) << log;
    IShaderProgram* program = pass->program;
    const unsigned int linkedBefore = dynamic_cast<k_ShaderProgram*>(program)->GetHandle();

    // The pixel shader's colour and the pass's blend state change; the name matches without regard to case.
    std::string edited = Script("0.0, 0.0, 0.5, 1.0");
    edited.replace(edited.find("  culling none\n"), 0, "  alphatestvalue 0.75\n");
    engine->WriteFile("Test/Plain.mat", edited);
    const k_ResourceFactory::ReloadReport report = Reload({L"test/PLAIN.mat"});
    EXPECT_TRUE(report.errors.empty()) << log;
    EXPECT_EQ(report.materials, 1);
    EXPECT_EQ(report.shaders, 1);

    // The same material, pass and program objects, the program on a new link, the code's uniform and texture kept.
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_EQ(material->GetPasses().front(), pass);
    EXPECT_EQ(pass->program, program);
    EXPECT_NE(dynamic_cast<k_ShaderProgram*>(program)->GetHandle(), linkedBefore);
    EXPECT_FLOAT_EQ(pass->alphaTestValue, 0.75f);
    EXPECT_EQ(pass->textures.at(1).texture, reserved);
    EXPECT_NE(pass->textures.at(0).texture, nullptr);
    EXPECT_TRUE(Near(Draw(), {64, 0, 128})) << log;
}

TEST_F(ResourceFactoryReloadTest, AShaderThatFailsKeepsThePreviousProgramAndSaysWhereItFailed)
{
    ASSERT_TRUE(Near(Draw(), {64, 128, 0})) << log;
    // Line 5 of the script is the pixel shader's main.
    engine->WriteFile("Test/Plain.mat", Script("0.0, 0.0, 0.5, 1.0", " + undefinedThing"));
    k_ResourceFactory::ReloadReport report = Reload({L"Test/Plain.mat"});
    ASSERT_FALSE(report.errors.empty()) << log;
    EXPECT_NE(report.errors.front().find("Test/Plain.mat:5:"), std::string::npos) << report.errors.front();
    EXPECT_NE(log.find("Test/Plain.mat:5:"), std::string::npos) << log;
    EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << log;

    // A vertex shader file that fails keeps its program too; mended, both edits show.
    engine->WriteFile("Test/Quad.vs", "#version 120\nvoid main() { gl_Position = nothing; }\n");
    report = Reload({L"Test/Quad.vs"});
    ASSERT_FALSE(report.errors.empty()) << log;
    EXPECT_NE(report.errors.front().find("Test/Quad.vs:2:"), std::string::npos) << report.errors.front();
    EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << log;

    engine->WriteFile("Test/Quad.vs", k_Vertex);
    engine->WriteFile("Test/Plain.mat", Script("0.0, 0.0, 0.5, 1.0"));
    report = Reload({L"Test/Plain.mat", L"Test/Quad.vs"});
    EXPECT_TRUE(report.errors.empty()) << log;
    EXPECT_TRUE(Near(Draw(), {64, 0, 128})) << log;
}

TEST_F(ResourceFactoryReloadTest, AScriptThatCannotBeReadOrHasNoPassKeepsThePreviousMaterial)
{
    engine->WriteFile("Test/Plain.mat", "this is not a material\n");
    k_ResourceFactory::ReloadReport report = Reload({L"Test/Plain.mat"});
    ASSERT_EQ(report.errors.size(), 1u) << log;
    EXPECT_NE(report.errors.front().find("Test/Plain.mat"), std::string::npos);
    EXPECT_EQ(report.materials, 0);
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_EQ(material->GetPasses().front(), pass);
    EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << log;
}

TEST_F(ResourceFactoryReloadTest, APictureIsReadAgainIntoTheSameTextureAndADamagedOneIsRefused)
{
    // The picture adds to the colour once the shader reads it for real.
    std::string reading = Script("0.0, 0.0, 0.0, 1.0");
    reading.erase(reading.find(" * 0.0"), 6);
    engine->WriteFile("Test/Plain.mat", reading);
    ASSERT_TRUE(Reload({L"Test/Plain.mat"}).errors.empty()) << log;
    ASSERT_TRUE(Near(Draw(), {164, 100, 100})) << log;
    ITexture* texture = pass->textures.at(0).texture;

    engine->WriteFile("Test/grey.png", Grey(20));
    k_ResourceFactory::ReloadReport report = Reload({L"Test/grey.png"});
    EXPECT_TRUE(report.errors.empty()) << log;
    // Two textures were read from the file (the script's and the one code put in the reserved slot).
    EXPECT_EQ(report.textures, 2);
    EXPECT_EQ(pass->textures.at(0).texture, texture);
    EXPECT_TRUE(Near(Draw(), {84, 20, 20})) << log;

    engine->WriteFile("Test/grey.png", "not a picture");
    report = Reload({L"Test/grey.png"});
    EXPECT_EQ(report.errors.size(), 2u) << log;
    EXPECT_TRUE(Near(Draw(), {84, 20, 20})) << log;
}

TEST_F(ResourceFactoryReloadTest, FilesNothingWasMadeFromChangeNothing)
{
    const k_ResourceFactory::ReloadReport report = Reload({L"Test/Other.mat", L"Common/Unused.vs"});
    EXPECT_FALSE(report.Any());
    EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << log;
}

TEST_F(ResourceFactoryReloadTest, ScriptMistakesFailTheReloadWithTheirLineAndKeepTheMaterial)
{
    struct Case
    {
        std::string line, message;
    };
    // Each mistake on line 8 of the script (the material's first key), in a script whose shader changes too.
    const Case cases[] = {
        {"  diffuse 1 0 0\n", "Missing values for contenttype: diffuse"},
        {"  useshader nothing\n", "Shader not definied: nothing"},
        {"  glitter 1\n", "Unknown contenttype: glitter"},
    };
    for (const Case& mistake : cases)
    {
        std::string edited = Script("0.0, 0.0, 0.5, 1.0");
        edited.replace(edited.find("  vertexshader Test/Quad.vs\n"), 0, mistake.line);
        engine->WriteFile("Test/Plain.mat", edited);
        const k_ResourceFactory::ReloadReport report = Reload({L"Test/Plain.mat"});
        ASSERT_EQ(report.errors.size(), 1u) << mistake.message << "\n" << log;
        EXPECT_NE(report.errors.front().find("Test/Plain.mat:8: " + mistake.message), std::string::npos)
            << report.errors.front();
        EXPECT_EQ(report.materials, 0);
        // The old material stays: its colour, its program, its picture.
        EXPECT_EQ(pass->diffuse, (std::array<float, 4>{0, 0, 0, 0}));
        EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << mistake.message << "\n" << log;
    }

    // Loading, as at start-up, skips the same mistakes with a warning and notes them on the material.
    std::string edited = Script("0.0, 0.0, 0.5, 1.0");
    edited.replace(edited.find("  useshader ps\n"), 0, "  glitter 1\n");
    engine->WriteFile("Test/Other.mat", edited);
    testing::internal::CaptureStdout();
    auto* other = dynamic_cast<k_Material*>(factory->CreateMaterial(L"Other", L"Test/Other.mat"));
    log = testing::internal::GetCapturedStdout();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->GetPasses().size(), 1u);
    EXPECT_NE(other->GetPasses().front()->program, nullptr);
    ASSERT_EQ(other->GetScriptErrors().size(), 1u);
    EXPECT_EQ(other->GetScriptErrors().front(), "Test/Other.mat:9: Unknown contenttype: glitter");
}

TEST_F(ResourceFactoryReloadTest, AValueCodeSetBeforeTheShaderUsedItReachesTheEditedShader)
{
    // Code sets "glow", which the shader does not have yet.
    const float glow[4] = {0.0f, 0.0f, 0.5f, 0.0f};
    pass->program->SetUniformVector("glow", glow, 4);
    ASSERT_TRUE(Near(Draw(), {64, 128, 0})) << log;

    std::string edited = Script("0.0, 0.5, 0.0, 1.0", " + glow");
    edited.replace(edited.find("uniform vec4 tint;\n"), 0, "uniform vec4 glow;\n");
    engine->WriteFile("Test/Plain.mat", edited);
    ASSERT_TRUE(Reload({L"Test/Plain.mat"}).errors.empty()) << log;
    EXPECT_TRUE(Near(Draw(), {64, 128, 128})) << log;
}

TEST_F(ResourceFactoryReloadTest, ABrokenInlineShaderIsReportedOnceForAllTheMaterialsOfItsScript)
{
    // As the captions do: many materials made from one script.
    for (const wchar_t* name : {L"Plain2", L"Plain3", L"Plain4"})
        ASSERT_NE(factory->CreateMaterial(name, L"Test/Plain.mat"), nullptr);
    engine->WriteFile("Test/Plain.mat", Script("0.0, 0.0, 0.5, 1.0", " + undefinedThing"));
    const k_ResourceFactory::ReloadReport report = Reload({L"Test/Plain.mat"});
    EXPECT_EQ(report.errors.size(), 1u) << log;
    size_t compiles = 0;
    for (size_t at = log.find("Error compiling"); at != std::string::npos; at = log.find("Error compiling", at + 1))
        ++compiles;
    EXPECT_EQ(compiles, 1u) << log;

    // At start-up too: a script whose shaders do not link says so once, not once per material.
    engine->WriteFile("Test/Unlinked.mat", "vertexshader vs {{\n#version 120\nvarying vec4 v;\n"
                                           "void main() { gl_Position = vec4(0.0); }\n}}\n"
                                           "pixelshader ps {{\n#version 120\nvarying vec4 missing;\n"
                                           "void main() { gl_FragColor = missing; }\n}}\n"
                                           "material {\n  useshader vs\n  useshader ps\n}\n");
    testing::internal::CaptureStdout();
    for (const wchar_t* name : {L"Unlinked1", L"Unlinked2", L"Unlinked3"})
        factory->CreateMaterial(name, L"Test/Unlinked.mat");
    log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Error/Warning linking shaders."), std::string::npos) << log;
    EXPECT_EQ(log.find("Error/Warning linking shaders."), log.rfind("Error/Warning linking shaders.")) << log;
}

TEST_F(ResourceFactoryReloadTest, APassWhoseShadersAreRemovedDrawsWithoutThemAndTakesItsProgramBack)
{
    IShaderProgram* program = pass->program;
    std::string plain = Script("0.0, 0.5, 0.0, 1.0");
    plain.erase(plain.find("  vertexshader Test/Quad.vs\n"), std::string("  vertexshader Test/Quad.vs\n").size());
    plain.erase(plain.find("  useshader ps\n"), std::string("  useshader ps\n").size());
    engine->WriteFile("Test/Plain.mat", plain);
    k_ResourceFactory::ReloadReport report = Reload({L"Test/Plain.mat"});
    EXPECT_TRUE(report.errors.empty()) << log;
    EXPECT_EQ(report.materials, 1);
    EXPECT_EQ(pass->program, nullptr);
    EXPECT_FALSE(Near(Draw(), {64, 128, 0})) << log;

    // The shaders back: the same program, with the value code gave it.
    engine->WriteFile("Test/Plain.mat", Script("0.0, 0.5, 0.0, 1.0"));
    report = Reload({L"Test/Plain.mat"});
    EXPECT_TRUE(report.errors.empty()) << log;
    EXPECT_EQ(pass->program, program);
    EXPECT_TRUE(Near(Draw(), {64, 128, 0})) << log;
}

TEST_F(ResourceFactoryReloadTest, AGeometryShaderSharedWithOtherParametersIsLinkedAgainForEachSet)
{
    const std::string doubling = "#version 150\n"
                                 "void main() {\n"
                                 "  gl_Position = gl_in[0].gl_Position; EmitVertex();\n"
                                 "  gl_Position = gl_in[0].gl_Position + vec4(0.5, 0, 0, 0); EmitVertex();\n"
                                 "}\n";
    engine->WriteFile("Test/Double.gs", doubling);
    IShader* vertex = factory->CreateShaderFromSource(L"gv", r_ShaderType::Vertex, L"gv",
                                                      "#version 150 compatibility\n"
                                                      "void main() { gl_Position = gl_Vertex; }\n");
    IShader* pixel = factory->CreateShaderFromSource(L"gp", r_ShaderType::Pixel, L"gp",
                                                     "#version 150\nout vec4 c;\nvoid main() { c = vec4(0,1,0,1); }\n");
    IShader* geometry = factory->CreateShader(L"Test/Double.gs", r_ShaderType::Geometry, L"Test/Double.gs");
    ASSERT_NE(geometry, nullptr);
    geometry->SetGeometryParameters(r_PrimitiveTopology::Point, r_PrimitiveTopology::Point, 2);
    auto* two = dynamic_cast<k_ShaderProgram*>(factory->CreateShaderProgram({pixel, vertex, geometry}));
    geometry->SetGeometryParameters(r_PrimitiveTopology::Point, r_PrimitiveTopology::Point, 1);
    auto* one = dynamic_cast<k_ShaderProgram*>(factory->CreateShaderProgram({pixel, vertex, geometry}));
    ASSERT_TRUE(two && one);
    ASSERT_NE(two->GetHandle(), one->GetHandle());
    const unsigned int before[2] = {two->GetHandle(), one->GetHandle()};

    engine->WriteFile("Test/Double.gs", doubling + "// edited\n");
    const k_ResourceFactory::ReloadReport report = Reload({L"Test/Double.gs"});
    EXPECT_TRUE(report.errors.empty()) << log;
    EXPECT_EQ(report.programs, 2) << log;
    EXPECT_NE(two->GetHandle(), before[0]);
    EXPECT_NE(one->GetHandle(), before[1]);
    // Each link has its own vertex limit.
    GLint limit = 0;
    glGetProgramiv(two->GetHandle(), GL_GEOMETRY_VERTICES_OUT, &limit);
    EXPECT_EQ(limit, 2);
    glGetProgramiv(one->GetHandle(), GL_GEOMETRY_VERTICES_OUT, &limit);
    EXPECT_EQ(limit, 1);
}
