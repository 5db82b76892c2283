#include "graphics/k_LinkedProgram.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IResourceFactory.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <epoxy/gl.h>
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
        program->Use();
        return DrawnWithCurrent();
    }

    // Draws the whole window with the program in use and reads the red and green of its middle pixel.
    static std::array<int, 2> DrawnWithCurrent()
    {
        const std::array<int, 3> rgb = DrawnRgb();
        return {rgb[0], rgb[1]};
    }

    static std::array<int, 3> DrawnRgb()
    {
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        k_GlTestContext::DrawViewportQuad();
        glUseProgram(0);
        const std::vector<uint8_t> pixel =
            k_GlTestContext::ReadPixels(k_GlTestContext::k_Width / 2, k_GlTestContext::k_Height / 2, 1, 1);
        return {pixel[0], pixel[1], pixel[2]};
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

TEST_F(LinkedProgramTest, ReadingAUniformLeavesTheProgramToTheOneInUse)
{
    k_ShaderProgram* first = Make();
    k_ShaderProgram* second = Make();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const float tint[4] = {0.0f, 0.25f, 0.0f, 0.0f};
    first->SetUniformFloat("level", 1.0f);
    first->SetUniformVector("tint", tint, 4);
    first->SetUniformInt("steps", 2);
    first->SetUniformMatrix4Array("bones", k_Identities.data(), 2);
    std::array<float, 32> halves = k_Identities;
    halves[0] = halves[5] = 0.5f;
    second->SetUniformFloat("level", 0.25f);
    second->SetUniformMatrix4Array("bones", halves.data(), 2);

    // The first is in use; the second answers every getter, its own values and those linking gave it, and the
    // draw that follows is still the first's.
    first->Use();
    EXPECT_FLOAT_EQ(second->GetUniformFloat("level"), 0.25f);
    EXPECT_EQ(second->GetUniformInt("steps"), 0);
    EXPECT_EQ(second->GetUniformVector4("tint"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(second->GetUniformMatrix4("bones")[0], 0.5f);
    EXPECT_FLOAT_EQ(second->GetUniformMatrix4("bones")[5], 0.5f);
    EXPECT_FLOAT_EQ(second->GetUniformMatrix4("bones[1]")[0], 1.0f);
    const std::array<int, 2> drawn = DrawnWithCurrent();
    EXPECT_NEAR(drawn[0], 255, 1);
    EXPECT_NEAR(drawn[1], 128, 1);
    EXPECT_NEAR(k_GlTestContext::ReadPixels(2, 2, 1, 1)[0], 255, 1);

    // And the other way round, the first read while the second is in use.
    second->Use();
    EXPECT_FLOAT_EQ(first->GetUniformFloat("level"), 1.0f);
    EXPECT_EQ(first->GetUniformInt("steps"), 2);
    EXPECT_FLOAT_EQ(first->GetUniformVector4("tint")[1], 0.25f);
    EXPECT_FLOAT_EQ(first->GetUniformMatrix4("bones")[0], 1.0f);
    EXPECT_NEAR(DrawnWithCurrent()[0], 64, 1);
    EXPECT_EQ(engine->graphics.errors, 0);
}

namespace
{
// Three matrices whose first entries the pixel shows: red, green and blue from bones 0, 1 and 2.
const char* k_ArrayPixel =
    "#version 120\n"
    "uniform mat4 bones[3] = mat4[3](mat4(0.2), mat4(0.4), mat4(0.6));\n"
    "void main() { gl_FragColor = vec4(bones[0][0][0], bones[1][0][0], bones[2][0][0], 1.0); }\n";
const char* k_PlainVertex = "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n";

std::array<float, 16> Scaled(float scale)
{
    return {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale};
}

// count matrices, each the identity times scale.
std::vector<float> Matrices(float scale, int count)
{
    std::vector<float> matrices;
    for (int i = 0; i < count; ++i)
    {
        const std::array<float, 16> one = Scaled(scale);
        matrices.insert(matrices.end(), one.begin(), one.end());
    }
    return matrices;
}

class LinkedArrayTest : public LinkedProgramTest
{
protected:
    void SetUp() override
    {
        LinkedProgramTest::SetUp();
        IResourceFactory* factory = engine->GetResourceFactory();
        shaders = {factory->CreateShaderFromSource(L"avs", r_ShaderType::Vertex, L"avs", k_PlainVertex),
                   factory->CreateShaderFromSource(L"aps", r_ShaderType::Pixel, L"aps", k_ArrayPixel)};
    }
};
} // namespace

TEST_F(LinkedArrayTest, ArraysOfDifferentLengthsAndSingleElementsStayWithTheirProgram)
{
    k_ShaderProgram* small = Make();
    k_ShaderProgram* large = Make();
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    ASSERT_EQ(small->GetHandle(), large->GetHandle());

    // A one-bone skeleton first, then a three-bone one: the two bones more must not reach the first.
    small->SetUniformMatrix4Array("bones", Scaled(0.8f).data(), 1);
    large->SetUniformMatrix4Array("bones", Matrices(1.0f, 3).data(), 3);
    small->Use();
    std::array<int, 3> rgb = DrawnRgb();
    EXPECT_NEAR(rgb[0], 204, 1);
    EXPECT_NEAR(rgb[1], 102, 1);
    EXPECT_NEAR(rgb[2], 153, 1);
    EXPECT_FLOAT_EQ(small->GetUniformMatrix4("bones[2]")[0], 0.6f);
    large->Use();
    rgb = DrawnRgb();
    EXPECT_NEAR(rgb[0], 255, 1);
    EXPECT_NEAR(rgb[1], 255, 1);
    EXPECT_NEAR(rgb[2], 255, 1);

    // One element set after the whole array, and the whole array after one element: each element keeps the
    // last value its own program gave it, and only that program sees it.
    large->SetUniformMatrix("bones[2]", Scaled(0.0f).data(), 4);
    small->SetUniformMatrix("bones[1]", Scaled(0.0f).data(), 4);
    small->SetUniformMatrix4Array("bones", Matrices(0.8f, 2).data(), 2);
    small->Use();
    rgb = DrawnRgb();
    EXPECT_NEAR(rgb[0], 204, 1);
    EXPECT_NEAR(rgb[1], 204, 1);
    EXPECT_NEAR(rgb[2], 153, 1);
    large->Use();
    rgb = DrawnRgb();
    EXPECT_NEAR(rgb[0], 255, 1);
    EXPECT_NEAR(rgb[1], 255, 1);
    EXPECT_NEAR(rgb[2], 0, 1);
    small->Use();
    EXPECT_NEAR(DrawnRgb()[1], 204, 1);
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(LinkedArrayTest, ValuesGlRefusesAreReportedOnceAndNeverSentAgain)
{
    k_ShaderProgram* first = Make();
    k_ShaderProgram* second = Make();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    // Five matrices for three: the two past the end are left out without reading past the array.
    first->SetUniformMatrix4Array("bones", Matrices(1.0f, 5).data(), 5);
    first->Use();
    EXPECT_EQ(engine->graphics.errors, 0);
    EXPECT_NEAR(DrawnRgb()[2], 255, 1);
    second->Use();
    std::array<int, 3> rgb = DrawnRgb();
    EXPECT_NEAR(rgb[0], 51, 1);
    EXPECT_NEAR(rgb[2], 153, 1);

    // An int or a 3x3 matrix for a 4x4 one is a GL error, reported once like the same call on
    // a program of one's own; switching programs afterwards sends neither again.
    // (GL keeps one error of a kind until it is read: each is read before the next.)
    second->SetUniformInt("bones", 3);
    second->Use();
    second->SetUniformMatrix("bones", Scaled(0.0f).data(), 3);
    second->Use();
    const int reported = engine->graphics.errors;
    EXPECT_EQ(reported, 2);
    for (int round = 0; round < 3; ++round)
    {
        first->Use();
        second->Use();
    }
    EXPECT_EQ(engine->graphics.errors, reported);
    EXPECT_NEAR(DrawnRgb()[0], 51, 1);
    EXPECT_FLOAT_EQ(second->GetUniformMatrix4("bones")[0], 0.2f);
}
