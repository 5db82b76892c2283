#include "graphics/k_DeltaTimeShaderCallback.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IResourceFactory.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <epoxy/gl.h>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
const char* k_Vertex = "#version 120\n"
                       "uniform float scale;\n"
                       "uniform vec4 tint;\n"
                       "uniform mat4 warp;\n"

                       "uniform float deltatime;\n"
                       "attribute vec3 offset;\n"
                       "varying vec4 colour;\n"
                       "void main() {\n"
                       "  colour = tint * deltatime;\n"
                       "  gl_Position = warp * (gl_Vertex * scale + vec4(offset, 0.0));\n"
                       "}\n";
const char* k_Pixel = "#version 120\n"
                      "uniform int steps;\n"
                      "varying vec4 colour;\n"
                      "void main() { gl_FragColor = colour * float(steps); }\n";

// A callback that records the order in which programs apply callbacks.
class RecordingCallback : public IShaderCallback
{
public:
    RecordingCallback(std::wstring name, std::vector<std::wstring>& calls) : m_name(std::move(name)), m_calls(calls) {}
    std::wstring GetName() override { return m_name; }
    void Apply(IShaderProgram*, int value) override { m_calls.push_back(m_name + L"=" + std::to_wstring(value)); }
    bool IsSupported(IShaderProgram*) override { return true; }

private:
    std::wstring m_name;
    std::vector<std::wstring>& m_calls;
};

class ShaderTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
    }

    // A linked program of the test's vertex and pixel shaders (owned by the factory).
    k_ShaderProgram* MakeProgram()
    {
        IResourceFactory* factory = engine->GetResourceFactory();
        IShader* vertex = factory->CreateShaderFromSource(L"vs", r_ShaderType::Vertex, L"vs", k_Vertex);
        IShader* pixel = factory->CreateShaderFromSource(L"ps", r_ShaderType::Pixel, L"ps", k_Pixel);
        return dynamic_cast<k_ShaderProgram*>(factory->CreateShaderProgram({pixel, vertex}));
    }

    std::unique_ptr<k_GpuTestEngine> engine;
};

GLint CurrentProgram()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}
} // namespace

// --- compiling ---

TEST_F(ShaderTest, CompilesFromTextAndFromFile)
{
    engine->WriteFile("Shaders/plain.vert", k_Vertex);
    k_Shader fromFile(engine.get(), r_ShaderType::Vertex, L"Shaders/plain.vert");
    k_Shader fromText(engine.get(), r_ShaderType::Pixel, L"inline", k_Pixel);
    for (k_Shader* shader : {&fromFile, &fromText})
    {
        ASSERT_NE(shader->GetHandle(), 0u);
        GLint status = GL_FALSE;
        glGetShaderiv(shader->GetHandle(), GL_COMPILE_STATUS, &status);
        EXPECT_EQ(status, GL_TRUE);
    }
    GLint kind = 0;
    glGetShaderiv(fromText.GetHandle(), GL_SHADER_TYPE, &kind);
    EXPECT_EQ(kind, GL_FRAGMENT_SHADER);
    EXPECT_EQ(fromFile.GetType(), r_ShaderType::Vertex);
}

TEST_F(ShaderTest, MissingFileAndCompileErrorsAreLoggedNotRaised)
{
    testing::internal::CaptureStdout();
    k_Shader missing(engine.get(), r_ShaderType::Vertex, L"Shaders/none.vert");
    k_Shader broken(engine.get(), r_ShaderType::Pixel, L"Common/Broken.mat:bad",
                    std::string(11, '\n') + "void main() { gl_FragColor = nothing; }\n");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(missing.GetHandle(), 0u);
    EXPECT_NE(log.find("Cannot read from file: Shaders/none.vert"), std::string::npos) << log;
    EXPECT_NE(broken.GetHandle(), 0u);
    EXPECT_NE(log.find("Error compiling pixelshader: Common/Broken.mat:bad"), std::string::npos) << log;
    // The info log points at the script's own line (the source starts with eleven empty lines).
    EXPECT_NE(log.find("Common/Broken.mat:12:"), std::string::npos) << log;
}

TEST(k_Shader, FormatsDriverLineNumbersAsFileAndLine)
{
    EXPECT_EQ(k_Shader::FormatInfoLog("0:12(5): error: `x' undeclared\n0:13(1): warning: y\n", "a.mat"),
              "a.mat:12:5: error: `x' undeclared\na.mat:13:1: warning: y");
    EXPECT_EQ(k_Shader::FormatInfoLog("something else\n", "a.mat"), "something else");
}

// --- geometry shaders ---

TEST_F(ShaderTest, GeometryParameterMisuseRaisesTheFixedMessages)
{
    k_Shader pixel(engine.get(), r_ShaderType::Pixel, L"ps", k_Pixel);
    try
    {
        pixel.SetGeometryParameters(r_PrimitiveTopology::Triangle, r_PrimitiveTopology::Point, 3);
        ADD_FAILURE() << "a pixel shader took geometry parameters";
    }
    catch (const wchar_t* message)
    {
        EXPECT_STREQ(message, L"Cannot set geometry shader parameters on a pixel or vertex shader!");
    }
    k_Shader geometry(engine.get(), r_ShaderType::Geometry, L"gs", "#version 150\nvoid main() {}\n");
    r_PrimitiveTopology input;
    r_PrimitiveTopology output;
    int count = 0;
    EXPECT_THROW(geometry.GetGeometryParameters(input, output, count), const wchar_t*);
    try
    {
        geometry.SetGeometryParameters(r_PrimitiveTopology::Triangle, r_PrimitiveTopology::Triangle, 3);
        ADD_FAILURE() << "Triangle accepted as output";
    }
    catch (const wchar_t* message)
    {
        EXPECT_STREQ(message, L"You can only use Point, TriangleStrip or LineStrip as geometry shader output "
                              L"primitive topology!");
    }
    // Point output is accepted whatever the input.
    geometry.SetGeometryParameters(r_PrimitiveTopology::Quad, r_PrimitiveTopology::Point, 1);
    geometry.GetGeometryParameters(input, output, count);
    EXPECT_EQ(input, r_PrimitiveTopology::Quad);
    EXPECT_EQ(output, r_PrimitiveTopology::Point);
    EXPECT_EQ(count, 1);

    // Where the parameters are compiled into the source, the same parameters again compile nothing; new
    // ones compile once more.
    if (!k_Shader::DriverHasGeometryShader4())
    {
        k_Shader broken(engine.get(), r_ShaderType::Geometry, L"broken", "#version 150\nnot glsl\n");
        testing::internal::CaptureStdout();
        broken.SetGeometryParameters(r_PrimitiveTopology::Triangle, r_PrimitiveTopology::Point, 1);
        broken.SetGeometryParameters(r_PrimitiveTopology::Triangle, r_PrimitiveTopology::Point, 1);
        const std::string once = testing::internal::GetCapturedStdout();
        EXPECT_EQ(once.find("Error compiling geometryshader: broken"),
                  once.rfind("Error compiling geometryshader: broken"));
        EXPECT_NE(once.find("Error compiling geometryshader: broken"), std::string::npos);
        testing::internal::CaptureStdout();
        broken.SetGeometryParameters(r_PrimitiveTopology::Triangle, r_PrimitiveTopology::Point, 2);
        EXPECT_NE(testing::internal::GetCapturedStdout().find("Error compiling"), std::string::npos);
    }
}

TEST_F(ShaderTest, ProgramFromGeometryShaderWithoutParametersIsRefused)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* geometry =
        factory->CreateShaderFromSource(L"gs", r_ShaderType::Geometry, L"gs", "#version 150\nvoid main() {}\n");
    ASSERT_NE(geometry, nullptr);
    testing::internal::CaptureStdout();
    EXPECT_THROW(k_ShaderProgram(engine.get(), {geometry}), const wchar_t*);
    EXPECT_EQ(factory->CreateShaderProgram({geometry}), nullptr);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Geometry shader parameters were not set!"), std::string::npos);
}

// A geometry shader that doubles each point into a second one to the right: drawn with points, both land.
TEST_F(ShaderTest, GeometryShaderLinksAndDrawsWithItsParameters)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* vertex = factory->CreateShaderFromSource(
        L"gv", r_ShaderType::Vertex, L"gv", "#version 150 compatibility\nvoid main() { gl_Position = gl_Vertex; }\n");
    IShader* geometry = factory->CreateShaderFromSource(L"gg", r_ShaderType::Geometry, L"gg",
                                                        "#version 150\n"
                                                        "void main() {\n"
                                                        "  gl_Position = gl_in[0].gl_Position; EmitVertex();\n"
                                                        "  gl_Position = gl_in[0].gl_Position + vec4(0.5, 0, 0, 0);\n"
                                                        "  EmitVertex();\n"
                                                        "}\n");
    IShader* pixel = factory->CreateShaderFromSource(L"gp", r_ShaderType::Pixel, L"gp",
                                                     "#version 150\nout vec4 c;\nvoid main() { c = vec4(0,1,0,1); }\n");
    geometry->SetGeometryParameters(r_PrimitiveTopology::Point, r_PrimitiveTopology::Point, 2);
    IShaderProgram* program = factory->CreateShaderProgram({pixel, vertex, geometry});
    ASSERT_NE(program, nullptr);
    GLint linked = GL_FALSE;
    glGetProgramiv(dynamic_cast<k_ShaderProgram*>(program)->GetHandle(), GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE);

    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    program->Use();
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    glVertex2f(-0.5f, 0.0f);
    glEnd();
    glUseProgram(0);
    const auto left = k_GlTestContext::ReadPixels(64, 128, 1, 1);
    const auto right = k_GlTestContext::ReadPixels(128, 128, 1, 1);
    EXPECT_EQ(left[1], 255);
    EXPECT_EQ(right[1], 255);
    EXPECT_EQ(engine->graphics.errors, 0);
}

// --- uniforms and locations ---

TEST_F(ShaderTest, SettersAndGettersRoundTripAndLeaveTheProgramCurrent)
{
    k_ShaderProgram* program = MakeProgram();
    ASSERT_NE(program, nullptr);
    glUseProgram(0);
    program->SetUniformFloat("scale", 2.5f);
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(program->GetHandle()));
    EXPECT_FLOAT_EQ(program->GetUniformFloat("scale"), 2.5f);

    program->SetUniformInt("steps", 7);
    EXPECT_EQ(program->GetUniformInt("steps"), 7);

    const float tint[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    program->SetUniformVector("tint", tint, 4);
    EXPECT_EQ(program->GetUniformVector4("tint"), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));

    float warp[16];
    for (int i = 0; i < 16; ++i)
        warp[i] = static_cast<float>(i + 1);
    program->SetUniformMatrix("warp", warp, 4);
    const auto readWarp = program->GetUniformMatrix4("warp");
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(readWarp[static_cast<size_t>(i)], warp[i]);
    for (float& value : warp)
        value *= -2.0f;
    program->SetUniformMatrix4Array("warp", warp, 1);
    EXPECT_FLOAT_EQ(program->GetUniformMatrix4("warp")[15], -32.0f);
    // Reading a matrix or vector through the scalar getters gives its first component.
    EXPECT_FLOAT_EQ(program->GetUniformFloat("warp"), -2.0f);
    EXPECT_FLOAT_EQ(program->GetUniformVector4("warp")[3], -8.0f);
    EXPECT_FLOAT_EQ(program->GetUniformFloat("tint"), 0.1f);

    EXPECT_EQ(engine->graphics.errors, 0);
}

// Each setter, in each of its shapes, works with no program current (or another one): it makes its own
// program current first.
TEST_F(ShaderTest, EverySetterMakesItsProgramCurrentFirst)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* vertex = factory->CreateShaderFromSource(
        L"all.vs", r_ShaderType::Vertex, L"all.vs",
        "#version 120\n"
        "uniform float f;\n"
        "uniform vec2 v2;\n"
        "uniform vec3 v3;\n"
        "uniform vec4 v4;\n"
        "uniform mat2 m2;\n"
        "uniform mat3 m3;\n"
        "uniform mat4 m4;\n"
        "uniform mat4 list[2];\n"
        "uniform int i;\n"
        "void main() {\n"
        "  gl_Position = gl_Vertex * f + vec4(v2, v3.x, 0.0) + v4 + vec4(m2[1], m3[2].yz) + m4[3] + list[0][1]\n"
        "    + list[1][3] + vec4(float(i));\n"
        "}\n");
    IShader* pixel = factory->CreateShaderFromSource(L"all.ps", r_ShaderType::Pixel, L"all.ps",
                                                     "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    IShaderProgram* program = factory->CreateShaderProgram({vertex, pixel});
    ASSERT_NE(program, nullptr);
    k_ShaderProgram* other = MakeProgram();
    ASSERT_NE(other, nullptr);
    const GLint handle = static_cast<GLint>(dynamic_cast<k_ShaderProgram*>(program)->GetHandle());

    float values[32];
    for (int k = 0; k < 32; ++k)
        values[k] = static_cast<float>(k + 1);
    // The first n floats GL holds for the uniform.
    auto first = [&](const std::string& name, size_t n) {
        const auto all = program->GetUniformMatrix4(name);
        return std::vector<float>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n));
    };
    auto expected = [&](size_t n, size_t from = 0) { return std::vector<float>(values + from, values + from + n); };
    const std::vector<std::pair<std::string, std::function<void()>>> setters = {
        {"float", [&] { program->SetUniformFloat("f", 2.5f); }},
        {"int", [&] { program->SetUniformInt("i", 7); }},
        {"vector 1", [&] { program->SetUniformVector("f", values, 1); }},
        {"vector 2", [&] { program->SetUniformVector("v2", values, 2); }},
        {"vector 3", [&] { program->SetUniformVector("v3", values, 3); }},
        {"vector 4", [&] { program->SetUniformVector("v4", values, 4); }},
        {"matrix 1", [&] { program->SetUniformMatrix("f", values + 3, 1); }},
        {"matrix 2", [&] { program->SetUniformMatrix("m2", values, 2); }},
        {"matrix 3", [&] { program->SetUniformMatrix("m3", values, 3); }},
        {"matrix 4", [&] { program->SetUniformMatrix("m4", values, 4); }},
        {"matrix array", [&] { program->SetUniformMatrix4Array("list", values, 2); }},
    };
    for (const auto& [what, set] : setters)
        for (GLuint current : {0u, other->GetHandle()})
        {
            SCOPED_TRACE(what + (current ? " after another program" : " after glUseProgram(0)"));
            glUseProgram(current);
            set();
            EXPECT_EQ(CurrentProgram(), handle);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); // a uniform set on the wrong program
        }
    // The values arrived (the float was last set through the one-element matrix).
    EXPECT_FLOAT_EQ(program->GetUniformFloat("f"), 4.0f);
    EXPECT_EQ(program->GetUniformInt("i"), 7);
    EXPECT_EQ(first("v2", 2), expected(2));
    EXPECT_EQ(first("v3", 3), expected(3));
    EXPECT_EQ(first("v4", 4), expected(4));
    EXPECT_EQ(first("m2", 4), expected(4));
    EXPECT_EQ(first("m3", 9), expected(9));
    EXPECT_EQ(first("m4", 16), expected(16));
    EXPECT_EQ(first("list[1]", 16), expected(16, 16));
    glUseProgram(0);
}

TEST_F(ShaderTest, AbsentNamesSetNothingAndReadDefaults)
{
    k_ShaderProgram* program = MakeProgram();
    ASSERT_NE(program, nullptr);
    glUseProgram(0);
    const int checksBefore = engine->graphics.checks;
    const float five[5] = {1, 2, 3, 4, 5};
    program->SetUniformVector("tint", five, 5);
    // Five components: the program is made current, nothing is set and errors are still checked.
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(program->GetHandle()));
    EXPECT_EQ(program->GetUniformVector4("tint"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_GT(engine->graphics.checks, checksBefore);

    EXPECT_EQ(program->GetUniformMatrix4("nothing"),
              (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(program->GetUniformVector4("nothing"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(program->GetUniformInt("nothing"), 0);
    EXPECT_EQ(program->GetUniformFloat("nothing"), 0.0f);
    program->SetUniformFloat("nothing", 1.0f);
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(ShaderTest, LocationsAreAskedOfGlOncePerName)
{
    k_ShaderProgram* program = MakeProgram();
    ASSERT_NE(program, nullptr);
    const int location = program->GetUniformLocation("scale");
    EXPECT_GE(location, 0);
    EXPECT_EQ(program->GetUniformLocation("absent"), -1);
    EXPECT_GE(program->GetAttributeLocation("offset"), 0);
    EXPECT_EQ(program->GetAttributeLocation("absent"), -1);
    // Each GL query is followed by one error check; cached answers need neither.
    const int checks = engine->graphics.checks;
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(program->GetUniformLocation("scale"), location);
        EXPECT_EQ(program->GetUniformLocation("absent"), -1);
        EXPECT_EQ(program->GetAttributeLocation("absent"), -1);
    }
    EXPECT_EQ(engine->graphics.checks, checks);
    // A new name is asked of GL (and checked) once.
    program->GetUniformLocation("steps");
    EXPECT_EQ(engine->graphics.checks, checks + 1);
}

TEST_F(ShaderTest, FailedLinkIsLoggedAndTheProgramStays)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* first = factory->CreateShaderFromSource(L"a", r_ShaderType::Vertex, L"a", "void main() {}\n");
    IShader* second = factory->CreateShaderFromSource(L"b", r_ShaderType::Vertex, L"b", "void main() {}\n");
    testing::internal::CaptureStdout();
    IShaderProgram* twoMains = factory->CreateShaderProgram({first, second});
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(twoMains, nullptr);
    EXPECT_NE(log.find("Creating shader program...\nError/Warning linking shaders.\n"), std::string::npos) << log;
    EXPECT_EQ(twoMains->GetUniformLocation("anything"), -1);
    // Never cached: each call makes a new program, also from an empty list.
    EXPECT_NE(factory->CreateShaderProgram({}), factory->CreateShaderProgram({}));
}

// --- callbacks ---

// The step is the demo clock's: slowed down, what a shader moves by it keeps its pace per demo second.
TEST_F(ShaderTest, DeltaTimeCallbackUploadsTheLastStepOfDemoTime)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    ASSERT_TRUE(factory->RegisterShaderCallback(new k_DeltaTimeShaderCallback(engine.get())));
    k_ShaderProgram* program = MakeProgram();
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(program->AddShaderCallback(L"deltatime", 0));
    engine->timeline.Advance(0.04);
    program->Use();
    EXPECT_FLOAT_EQ(program->GetUniformFloat("deltatime"), 0.04f);
    engine->timeline.SetSpeed(0.25);
    engine->timeline.Advance(0.04);
    program->Use();
    EXPECT_FLOAT_EQ(program->GetUniformFloat("deltatime"), 0.01f);

    // A program without the uniform does not take the callback.
    IShader* pixel = factory->CreateShaderFromSource(L"ps", r_ShaderType::Pixel, L"ps", k_Pixel);
    IShaderProgram* plain = factory->CreateShaderProgram({pixel});
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->AddShaderCallback(L"deltatime", 0));
    EXPECT_FALSE(plain->AddShaderCallback(L"unregistered", 0));
}

TEST_F(ShaderTest, UseAppliesCallbacksInNameOrder)
{
    std::vector<std::wstring> calls;
    IResourceFactory* factory = engine->GetResourceFactory();
    ASSERT_TRUE(factory->RegisterShaderCallback(new RecordingCallback(L"zeta", calls)));
    ASSERT_TRUE(factory->RegisterShaderCallback(new RecordingCallback(L"alpha", calls)));
    k_ShaderProgram* program = MakeProgram();
    ASSERT_NE(program, nullptr);
    glUseProgram(0);
    program->Use();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(program->GetHandle()));
    EXPECT_TRUE(program->AddShaderCallback(L"zeta", 1));
    EXPECT_TRUE(program->AddShaderCallback(L"alpha", 2));
    EXPECT_TRUE(program->AddShaderCallback(L"zeta", 3)); // replaces the earlier entry
    program->Use();
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"alpha=2", L"zeta=3"}));
}
