#include "graphics/k_DeltaTimeShaderCallback.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_ShaderProgram.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/ITransformationAnimation.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <memory>
#include <png.h>
#include <string>

namespace
{
class ResourceFactoryTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        factory = engine->GetResourceFactory();
        png = k_TestImages::Png(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6});
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    IResourceFactory* factory = nullptr;
    std::string png;
};
} // namespace

TEST_F(ResourceFactoryTest, TexturesAreCachedByNameAndLoadedOnce)
{
    engine->WriteFile("a.png", png);
    engine->WriteFile("b.png", "broken");
    testing::internal::CaptureStdout();
    factory->Initialize();
    ITexture* first = factory->CreateTexture(L"stone", L"a.png");
    ITexture* second = factory->CreateTexture(L"stone", L"b.png");
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(log, "Initializing resource factory...\nLoading a.png...\nLoading b.png...\n");
}

TEST_F(ResourceFactoryTest, ExtensionChoosesTheDecoderAndFailuresAreNotCached)
{
    engine->WriteFile("x.bmp", png);
    engine->WriteFile(".jpg", png);
    engine->WriteFile("pic.jpg.png", png); // holds ".jpg": read as JPEG, which it is not
    testing::internal::CaptureStdout();
    EXPECT_EQ(factory->CreateTexture(L"bmp", L"x.bmp"), nullptr);
    EXPECT_EQ(factory->CreateTexture(L"bare", L".jpg"), nullptr);
    EXPECT_EQ(factory->CreateTexture(L"mixed", L"pic.jpg.png"), nullptr);
    EXPECT_EQ(factory->CreateTexture(L"late", L"late.png"), nullptr);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Cannot read from file: late.png\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Cannot load texture pic.jpg.png: "), std::string::npos) << log;
    EXPECT_EQ(log.find("Cannot load texture x.bmp"), std::string::npos);

    // Nothing was cached for the failures: the same names load once the files are good.
    engine->WriteFile("late.png", png);
    engine->WriteFile("x.png", png);
    testing::internal::CaptureStdout();
    EXPECT_NE(factory->CreateTexture(L"late", L"late.png"), nullptr);
    EXPECT_NE(factory->CreateTexture(L"bmp", L"x.png"), nullptr);
    testing::internal::GetCapturedStdout();
}

TEST_F(ResourceFactoryTest, ShaderCallbackRegistry)
{
    EXPECT_FALSE(factory->RegisterShaderCallback(nullptr));
    auto* first = new k_DeltaTimeShaderCallback(engine.get());
    EXPECT_TRUE(factory->RegisterShaderCallback(first));
    auto second = std::make_unique<k_DeltaTimeShaderCallback>(engine.get());
    EXPECT_FALSE(factory->RegisterShaderCallback(second.get())); // the caller keeps and deletes it
    EXPECT_EQ(factory->FindShaderCallback(L"deltatime"), first);
    EXPECT_EQ(factory->FindShaderCallback(L"DeltaTime"), nullptr);
    EXPECT_EQ(factory->FindShaderCallback(L"bones?"), nullptr);
}

TEST_F(ResourceFactoryTest, AnimationsAreCachedByNameAndPathsMadeAnew)
{
    testing::internal::CaptureStdout();
    ITransformationAnimation* walk = factory->CreateTransformationAnimation(L"walk");
    ASSERT_NE(walk, nullptr);
    EXPECT_EQ(factory->CreateTransformationAnimation(L"walk"), walk);
    EXPECT_NE(factory->CreateTransformationAnimation(L"Walk"), walk); // names are case-sensitive
    EXPECT_EQ(walk->GetName(), L"walk");
    EXPECT_EQ(walk->GetDuration(), 0.0f);

    IPath<float>* fade = factory->CreateFloatPath();
    IPath<float>* other = factory->CreateFloatPath();
    IPath<k_VectorUA>* flight = factory->CreateVectorPath();
    ASSERT_NE(fade, nullptr);
    ASSERT_NE(flight, nullptr);
    EXPECT_NE(fade, other);
    fade->SetKey(0.0f, 0.0f);
    fade->SetKey(2.0f, 1.0f);
    EXPECT_FLOAT_EQ(fade->GetValue(1.0f), 0.5f); // a new path interpolates linearly
    flight->SetKey(0.0f, k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f));
    flight->SetKey(1.0f, k_VectorUA(2.0f, 4.0f, 6.0f, 0.0f));
    EXPECT_FLOAT_EQ(flight->GetValue(0.5f).y, 2.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // neither logs anything
    // Both are released with the factory (the sanitizer builds check that nothing leaks).
}

TEST_F(ResourceFactoryTest, ShadersShareOneCacheByNameOrKey)
{
    engine->WriteFile("s.vert", "void main() { gl_Position = vec4(0.0); }\n");
    testing::internal::CaptureStdout();
    IShader* file = factory->CreateShader(L"s.vert", r_ShaderType::Vertex, L"s.vert");
    IShader* again = factory->CreateShader(L"s.vert", r_ShaderType::Pixel, L"other.frag");
    IShader* text = factory->CreateShaderFromSource(L"x.mat:s", r_ShaderType::Pixel, L"shown", "void main() {}\n");
    IShader* textAgain = factory->CreateShaderFromSource(L"x.mat:s", r_ShaderType::Vertex, L"shown", "junk");
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file, again);
    EXPECT_EQ(text, textAgain);
    EXPECT_EQ(text->GetType(), r_ShaderType::Pixel);
    EXPECT_EQ(log, "Loading s.vert...\nLoading other.frag...\nCreating shown...\nCreating shown...\n");
}

TEST_F(ResourceFactoryTest, DestructionReleasesEveryGlObjectItMade)
{
    engine->WriteFile("a.png", png);
    engine->WriteFile("m.mat", "vertexshader v {{\nvoid main() { gl_Position = vec4(0.0); }\n}}\n"
                               "material {\n useshader v\n loadtexture 0 a.png\n}\n");
    testing::internal::CaptureStdout();
    auto* texture = dynamic_cast<k_TextureBase*>(factory->CreateTexture(L"a.png", L"a.png"));
    IMaterial* material = factory->CreateMaterial(L"m", L"m.mat");
    testing::internal::GetCapturedStdout();
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(material, nullptr);
    const GLuint textureName = texture->GetName();
    const GLuint programName = dynamic_cast<k_ShaderProgram*>(material->GetPasses()[0]->program)->GetHandle();
    EXPECT_TRUE(glIsTexture(textureName));
    EXPECT_TRUE(glIsProgram(programName));
    engine.reset();
    EXPECT_FALSE(glIsTexture(textureName));
    EXPECT_FALSE(glIsProgram(programName));
}

// Each way a material can fail at start-up is reported once by GetFailures, naming the file (and the line, for
// shaders the line and column); a material that draws as written reports nothing.
TEST_F(ResourceFactoryTest, FailuresListWhatCouldNotBeMadeOnce)
{
    const std::string vertex = "vertexshader v {{\n#version 120\nvoid main() { gl_Position = ftransform(); }\n}}\n";
    const std::string pixel = "pixelshader p {{\n#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n}}\n";
    const std::string pass = "material {\n  useshader v\n  useshader p\n}\n";
    struct Case
    {
        const char* what;
        std::string script; // written as Test/F.mat unless empty
        std::string failure;
    };
    const Case cases[] = {
        {"a material that draws", vertex + pixel + pass, ""},
        {"a shader that does not compile",
         vertex + "pixelshader p {{\n#version 120\n\nvoid main() { gl_FragColor = vec4(nothing); }\n}}\n" + pass,
         "Test/F.mat:8:"},
        {"a script that is not in the pack", "", "Test/F.mat: cannot be read"},
        {"a shader named but not defined", vertex + "material {\n  useshader v\n  useshader ghost\n}\n",
         "Test/F.mat:7: Shader not definied: ghost"},
        {"a texture that is not in the pack",
         vertex + pixel + "material {\n  useshader v\n  loadtexture 0 none.png\n}\n",
         "Test/F.mat:11: the texture none.png cannot be loaded"},
        {"a shader file that is not in the pack", "material {\n  vertexshader Shaders/none.vert\n}\n",
         "Cannot read from file: Shaders/none.vert"},
        {"shaders that do not link",
         vertex +
             "pixelshader p {{\n#version 120\nvarying vec2 unwritten;\n"
             "void main() { gl_FragColor = vec4(unwritten, 0.0, 1.0); }\n}}\n" +
             pass,
         "do not link"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto own = std::make_unique<k_GpuTestEngine>();
        if (!c.script.empty())
            own->WriteFile("Test/F.mat", c.script);
        testing::internal::CaptureStdout();
        // Asked for twice, as two captions of one picture would: the failure is still said once.
        own->GetResourceFactory()->CreateMaterial(L"first", L"Test/F.mat");
        own->GetResourceFactory()->CreateMaterial(L"second", L"Test/F.mat");
        testing::internal::GetCapturedStdout();
        const std::vector<std::string> failures = own->GetResourceFactory()->GetFailures();
        if (c.failure.empty())
        {
            EXPECT_TRUE(failures.empty()) << failures.front();
            continue;
        }
        ASSERT_EQ(failures.size(), 1u) << failures.front() << (failures.size() > 1 ? "\n" + failures[1] : "");
        EXPECT_NE(failures[0].find(c.failure), std::string::npos) << failures[0];
    }
}
