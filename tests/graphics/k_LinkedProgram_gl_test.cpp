#include "graphics/k_LinkedProgram.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IResourceFactory.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <GL/glew.h>
#include <array>
#include <memory>
#include <vector>

namespace
{
// "level" has a value of its own from linking; the pixel's red and green come from the uniforms.
const char* k_Vertex = "#version 120\n"
                       "uniform mat4 bones[2];\n"
                       "void main() { gl_Position = bones[0] * bones[1] * gl_Vertex; }\n";
const char* k_Pixel = "#version 120\n"
                      "uniform float level = 0.5;\n"
                      "uniform vec4 tint;\n"
                      "uniform int steps;\n"
                      "void main() { gl_FragColor = vec4(level, tint.g * float(steps), 0.0, 1.0); }\n";

const std::array<float, 32> k_Identities = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1,
                                            1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class LinkedProgramTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        IResourceFactory* factory = engine->GetResourceFactory();
        shaders = {factory->CreateShaderFromSource(L"vs", r_ShaderType::Vertex, L"vs", k_Vertex),
                   factory->CreateShaderFromSource(L"ps", r_ShaderType::Pixel, L"ps", k_Pixel)};
    }

    k_ShaderProgram* Make()
    {
        return dynamic_cast<k_ShaderProgram*>(engine->GetResourceFactory()->CreateShaderProgram(shaders));
    }

    // Draws the whole window with the program and reads the red and green of its middle pixel.
    static std::array<int, 2> Drawn(k_ShaderProgram* program)
    {
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        program->Use();
        glBegin(GL_QUADS);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(1.0f, -1.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glEnd();
        glUseProgram(0);
        const std::vector<uint8_t> pixel =
            k_GlTestContext::ReadPixels(k_GlTestContext::k_Width / 2, k_GlTestContext::k_Height / 2, 1, 1);
        return {pixel[0], pixel[1]};
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    std::vector<IShader*> shaders;
};
} // namespace

TEST_F(LinkedProgramTest, ProgramsOfTheSameShadersShareOneLinkAndEachSeesOnlyItsOwnValues)
{
    k_ShaderProgram* first = Make();
    k_ShaderProgram* second = Make();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetHandle(), second->GetHandle());
    EXPECT_EQ(first->GetLinked(), second->GetLinked());
    // Another list of shaders has a link of its own.
    k_ShaderProgram* reversed =
        dynamic_cast<k_ShaderProgram*>(engine->GetResourceFactory()->CreateShaderProgram({shaders[1], shaders[0]}));
    ASSERT_NE(reversed, nullptr);
    EXPECT_NE(reversed->GetHandle(), first->GetHandle());

    const float tint[4] = {0.0f, 0.25f, 0.0f, 0.0f};
    std::array<float, 32> halves = k_Identities;
    halves[0] = halves[5] = 0.5f;
    first->SetUniformFloat("level", 1.0f);
    first->SetUniformVector("tint", tint, 4);
    first->SetUniformInt("steps", 2);
    first->SetUniformMatrix4Array("bones", halves.data(), 2);
    second->SetUniformMatrix4Array("bones", k_Identities.data(), 2);
    second->SetUniformInt("steps", 4);

    // Each reads and draws with its own values; what it never set keeps the value linking gave it.
    EXPECT_FLOAT_EQ(first->GetUniformFloat("level"), 1.0f);
    EXPECT_FLOAT_EQ(second->GetUniformFloat("level"), 0.5f);
    EXPECT_EQ(first->GetUniformInt("steps"), 2);
    EXPECT_EQ(second->GetUniformInt("steps"), 4);
    EXPECT_FLOAT_EQ(second->GetUniformVector4("tint")[1], 0.0f);
    EXPECT_FLOAT_EQ(first->GetUniformMatrix4("bones")[0], 0.5f);
    EXPECT_FLOAT_EQ(second->GetUniformMatrix4("bones")[0], 1.0f);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        const std::array<int, 2> a = Drawn(first);
        EXPECT_NEAR(a[0], 255, 1);
        EXPECT_NEAR(a[1], 128, 1);
        const std::array<int, 2> b = Drawn(second);
        EXPECT_NEAR(b[0], 128, 1);
        EXPECT_NEAR(b[1], 0, 1);
    }
    // The first program's bones halve the quad: a corner stays as the second program's full-window draw left it.
    Drawn(first);
    EXPECT_NEAR(k_GlTestContext::ReadPixels(2, 2, 1, 1)[0], 128, 1);
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(LinkedProgramTest, AUserThatGoesLeavesNoValueBehindAndTheLastTakesTheGlProgram)
{
    std::shared_ptr<k_LinkedProgram> linked = std::make_shared<k_LinkedProgram>(engine.get(), shaders);
    ASSERT_TRUE(linked->IsLinked());
    const unsigned int handle = linked->GetHandle();
    auto second = std::make_unique<k_ShaderProgram>(engine.get(), shaders, linked);
    {
        k_ShaderProgram first(engine.get(), shaders, linked);
        first.SetUniformFloat("level", 0.75f);
        first.SetUniformInt("steps", 3);
    }
    EXPECT_FLOAT_EQ(second->GetUniformFloat("level"), 0.5f);
    EXPECT_EQ(second->GetUniformInt("steps"), 0);
    glUseProgram(0);
    linked.reset();
    EXPECT_TRUE(glIsProgram(handle));
    second.reset();
    EXPECT_FALSE(glIsProgram(handle));
    EXPECT_EQ(engine->graphics.errors, 0);
}
