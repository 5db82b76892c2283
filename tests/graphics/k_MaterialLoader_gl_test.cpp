#include "engine/k_Log.h"
#include "graphics/k_MaterialLoader.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderCallback.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"
#include "support/k_UsageProbe.h"

#include <epoxy/gl.h>
#include <array>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale>
#include <memory>
#include <png.h>
#include <random>
#include <string>
#include <vector>

namespace
{
const char* k_Shaders = "vertexshader vs {{\n"
                        "#version 120\n"
                        "void main() { gl_Position = ftransform(); }\n"
                        "}}\n"
                        "pixelshader ps {{\n"
                        "#version 120\n"
                        "uniform sampler2D texture0;\n"
                        "uniform float deltatime;\n"
                        "void main() { gl_FragColor = texture2D(texture0, vec2(0.5)) * deltatime; }\n"
                        "}}\n";

class MaterialLoaderTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        factory = engine->GetResourceFactory();
    }

    // Writes the script as name and creates a material from it; the log lines go to log.
    IMaterial* Load(const std::string& script, const std::string& name = "Test/M.mat")
    {
        engine->WriteFile(name, script);
        const std::wstring wide(name.begin(), name.end());
        testing::internal::CaptureStdout();
        IMaterial* material = factory->CreateMaterial(wide + L"#" + std::to_wstring(++count), wide);
        log = testing::internal::GetCapturedStdout();
        return material;
    }

    bool Logged(const std::string& text) const { return log.find(text) != std::string::npos; }

    // The source GL holds for a shader.
    static std::string Source(IShader* shader)
    {
        GLint length = 0;
        glGetShaderiv(shader->GetHandle(), GL_SHADER_SOURCE_LENGTH, &length);
        std::string source(static_cast<size_t>(length), '\0');
        glGetShaderSource(shader->GetHandle(), length, nullptr, source.data());
        source.resize(source.find('\0') == std::string::npos ? source.size() : source.find('\0'));
        return source;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    IResourceFactory* factory = nullptr;
    std::string log;
    int count = 0;
};
} // namespace

// --- sections ---

TEST_F(MaterialLoaderTest, EmptyMaterialSectionGivesOneDefaultPassWithoutProgram)
{
    IMaterial* material = Load("material {\n}\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 1u);
    const k_MaterialPass& pass = *material->GetPasses()[0];
    const k_MaterialPass defaults;
    EXPECT_EQ(pass.program, nullptr);
    EXPECT_EQ(pass.target, "");
    EXPECT_TRUE(pass.textures.empty());
    EXPECT_EQ(pass.depthFunc, static_cast<unsigned>(GL_LESS));
    EXPECT_EQ(pass.cullMode, static_cast<unsigned>(GL_BACK));
    EXPECT_EQ(pass.srcBlend, defaults.srcBlend);
    EXPECT_TRUE(pass.depthWrite);
    EXPECT_FLOAT_EQ(pass.shininess, 8.0f);
    EXPECT_TRUE(Logged("MaterialLoader: Loading material: Test/M.mat...\n"));
    EXPECT_TRUE(Logged("MaterialLoader: No shaders definied. at Test/M.mat:2\n")) << log;
    EXPECT_TRUE(Logged("MaterialLoader: Finished loading material.\nMaterialLoader: Loading material includes...\n"
                       "MaterialLoader: Finished loading material.\n"));
}

TEST_F(MaterialLoaderTest, BracesDecideWhereSectionsEnd)
{
    // "{{" sections end only at "}}"; "{" sections at the first "}" (also "})" in a body); a brace alone on
    // the line after the header is a body line, not part of the header.
    IMaterial* material = Load("material {{\n"
                               "  target a\n"
                               "}\n"
                               "  diffuse 1 1 1 1\n"
                               "}} trailing words\n"
                               "material\n"
                               "{\n"
                               "  target b\n"
                               "})\n"
                               "material,{\n"
                               "  target c\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    const auto& passes = material->GetPasses();
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[0]->target, "a");
    EXPECT_FLOAT_EQ(passes[0]->diffuse[0], 1.0f);
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: } at Test/M.mat:3")) << log;
    EXPECT_EQ(passes[1]->target, "b");
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: { at Test/M.mat:7")) << log;
    EXPECT_EQ(passes[2]->target, "c");
}

TEST_F(MaterialLoaderTest, UnknownSectionStopsTheFileButCollectedIncludesAreRead)
{
    engine->WriteFile("Test/Inc.mat", "material {\n target inc\n}\n");
    IMaterial* material = Load("include {\n Test/Inc.mat\n}\n"
                               "material {\n target first\n}\n"
                               "Material {\n}\n"
                               "material {\n target never\n}\n");
    ASSERT_NE(material, nullptr);
    const auto& passes = material->GetPasses();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0]->target, "first");
    EXPECT_EQ(passes[1]->target, "inc");
    EXPECT_TRUE(Logged("MaterialLoader: Unknown section Material at Test/M.mat:7")) << log;
}

// A damaged script's bytes are quoted in the log with what a terminal would act on escaped: unknown keys and
// sections, names of missing files and shaders.
TEST_F(MaterialLoaderTest, LogLinesQuotingTheScriptEscapeItsControlBytes)
{
    IMaterial* material = Load("material {\n target a\n col\x1b[31mour 1\n  useshader s\x1b]0;x\x07\n"
                               "  loadtexture 0 Tex/\x1b[2J.png\n}\n"
                               "\x1b[2Jmaterial {\n}\n");
    ASSERT_NE(material, nullptr);
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: col\\x1b[31mour at Test/M.mat:3")) << log;
    EXPECT_TRUE(Logged("Shader not definied: s\\x1b]0;x\\x07")) << log;
    EXPECT_TRUE(Logged("Tex/\\x1b[2J.png")) << log;
    EXPECT_TRUE(Logged("MaterialLoader: Unknown section \\x1b[2Jmaterial at Test/M.mat:7")) << log;
    EXPECT_EQ(log.find('\x1b'), std::string::npos) << log;
    EXPECT_EQ(log.find('\x07'), std::string::npos) << log;
}

TEST_F(MaterialLoaderTest, FileEndingInsideASectionAddsNothingForIt)
{
    IMaterial* material = Load("material {\n target done\n}\nmaterial {\n target open\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_EQ(material->GetPasses()[0]->target, "done");
}

TEST_F(MaterialLoaderTest, MissingScriptGivesACachedMaterialWithoutPasses)
{
    testing::internal::CaptureStdout();
    IMaterial* material = factory->CreateMaterial(L"ghost", L"Test/None.mat");
    IMaterial* again = factory->CreateMaterial(L"ghost", L"Test/Other.mat");
    log = testing::internal::GetCapturedStdout();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material, again);
    EXPECT_TRUE(material->GetPasses().empty());
    EXPECT_TRUE(Logged("Creating material 'ghost' from Test/None.mat\n"));
    EXPECT_TRUE(Logged("Creating material 'ghost' from Test/Other.mat\n"));
}

// --- keys and values ---

TEST_F(MaterialLoaderTest, KeysSetTheirFieldsWithCaseSensitiveValues)
{
    IMaterial* material = Load("material {\n"
                               "  target water\n"
                               "  depthwrite TRUE\n"
                               "  alphablend true\n"
                               "  srcblendmode SrcAlpha\n"
                               "  destblendmode oneminussrcalpha\n"
                               "  alphatestfunc greaterequal\n"
                               "  alphatestvalue 0.25xyz\n"
                               "  depthfunc lessequal\n"
                               "  culling all\n"
                               "  diffuse (1.0, 0.5, -2.5e1, 1)\n"
                               "  ambient\t0.1 0.2 0.3 0.4\n"
                               "  specular 1 1 1 1\n"
                               "  specular 0.5 .5 abc 5.\n"
                               "  emissive 1 2 3 4\n"
                               "  shininess 32\n"
                               "  wobble 3\n"
                               "}\n"
                               "material {\n"
                               "  culling sideways\n"
                               "  depthfunc disabled\n"
                               "  alphatestfunc disabled\n"
                               "  shininess none\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 2u);
    const k_MaterialPass& pass = *material->GetPasses()[0];
    EXPECT_EQ(pass.target, "water");
    EXPECT_FALSE(pass.depthWrite); // only the exact token "true" turns writes on
    EXPECT_TRUE(pass.alphaBlend);
    EXPECT_EQ(pass.srcBlend, 0u); // names are case-sensitive
    EXPECT_EQ(pass.dstBlend, static_cast<unsigned>(GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(pass.alphaTestFunc, static_cast<unsigned>(GL_GEQUAL));
    EXPECT_FLOAT_EQ(pass.alphaTestValue, 0.25f);
    EXPECT_EQ(pass.depthFunc, static_cast<unsigned>(GL_LEQUAL));
    EXPECT_EQ(pass.cullMode, static_cast<unsigned>(GL_BACK));
    EXPECT_EQ(pass.diffuse, (std::array<float, 4>{1.0f, 0.5f, -25.0f, 1.0f}));
    EXPECT_EQ(pass.ambient, (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(pass.specular, (std::array<float, 4>{0.5f, 0.5f, 0.0f, 5.0f})); // a later key overwrites
    EXPECT_EQ(pass.emissive, (std::array<float, 4>{1, 2, 3, 4}));
    EXPECT_FLOAT_EQ(pass.shininess, 32.0f);
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: wobble at Test/M.mat:17")) << log;

    const k_MaterialPass& second = *material->GetPasses()[1];
    EXPECT_EQ(second.cullMode, 0u);
    EXPECT_EQ(second.depthFunc, 0u);
    EXPECT_EQ(second.alphaTestFunc, 0u);
    EXPECT_FLOAT_EQ(second.shininess, 0.0f);
}

TEST_F(MaterialLoaderTest, LinesWithTooFewValuesAreSkippedWithAWarning)
{
    IMaterial* material = Load("material {\n"
                               "  diffuse 1 1\n"
                               "  target\n"
                               "  shininess 3\n"
                               "  geometryshader Shaders/x.geom Point\n"
                               "}\n"
                               "vertexshader {{\n"
                               "  void main() {}\n"
                               "}}\n"
                               "material {\n"
                               "  target after\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 2u);
    const k_MaterialPass& pass = *material->GetPasses()[0];
    EXPECT_EQ(pass.diffuse, (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(pass.shininess, 3.0f);
    EXPECT_EQ(pass.target, "");
    EXPECT_TRUE(Logged("MaterialLoader: Missing values for contenttype: diffuse at Test/M.mat:2")) << log;
    EXPECT_TRUE(Logged("MaterialLoader: Missing values for contenttype: target at Test/M.mat:3"));
    EXPECT_TRUE(Logged("MaterialLoader: Missing values for contenttype: geometryshader at Test/M.mat:5"));
    EXPECT_TRUE(Logged("MaterialLoader: Missing values for section vertexshader at Test/M.mat:7"));
    EXPECT_EQ(material->GetPasses()[1]->target, "after");
}

TEST_F(MaterialLoaderTest, TextureSlotsAndWrapModes)
{
    engine->WriteFile("Test/t.png", k_TestImages::Png(1, 1, PNG_COLOR_TYPE_RGB, 8, {9, 9, 9}));
    IMaterial* material = Load("material {\n"
                               "  loadtexture 1 Test/t.png\n"
                               "  loadtexture 3 Test/t.png clamp\n"
                               "  loadtexture 4 Test/t.png clamp mirror\n"
                               "  reservetexture 2\n"
                               "  reservetexture 5 clamp repeat\n"
                               "  reservetexture 6 whatever\n"
                               "  loadtexture 7 Test/missing.png\n"
                               "  loadtexture 8\n"
                               "  reservetexture\n"
                               "  reservetexture -1\n"
                               "  reservetexture 99\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    const auto& slots = material->GetPasses()[0]->textures;
    ASSERT_EQ(slots.size(), 7u);
    ITexture* texture = factory->CreateTexture(L"Test/t.png", L"Test/t.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(slots.at(1).texture, texture);
    EXPECT_EQ(slots.at(1).wrapS, static_cast<unsigned>(GL_REPEAT));
    EXPECT_EQ(slots.at(1).wrapT, static_cast<unsigned>(GL_REPEAT));
    EXPECT_EQ(slots.at(3).wrapS, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(slots.at(3).wrapT, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(slots.at(4).wrapS, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(slots.at(4).wrapT, static_cast<unsigned>(GL_MIRRORED_REPEAT));
    EXPECT_EQ(slots.at(2).texture, nullptr);
    EXPECT_EQ(slots.at(2).wrapS, static_cast<unsigned>(GL_REPEAT));
    EXPECT_EQ(slots.at(5).wrapS, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(slots.at(5).wrapT, static_cast<unsigned>(GL_REPEAT));
    EXPECT_EQ(slots.at(6).wrapS, static_cast<unsigned>(GL_CLAMP_TO_EDGE)); // unknown wrap: clamp
    EXPECT_EQ(slots.at(7).texture, nullptr);                               // unreadable: a reserved slot
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: loadtexture at Test/M.mat:9")) << log;
    EXPECT_TRUE(Logged("MaterialLoader: Unknown contenttype: reservetexture at Test/M.mat:10"));
    EXPECT_TRUE(Logged("MaterialLoader: Invalid texture unit: -1 at Test/M.mat:11"));
    EXPECT_TRUE(Logged("MaterialLoader: Invalid texture unit: 99 at Test/M.mat:12"));
}

TEST_F(MaterialLoaderTest, AtMostTenTextureSlotsAndALaterSlotReplacesTheWholeSlot)
{
    std::string script = "material {\n";
    for (int unit = 0; unit < 12; ++unit)
        script += "  reservetexture " + std::to_string(unit) + " mirror\n";
    script += "  reservetexture 3 clamp\n}\n";
    IMaterial* material = Load(script);
    ASSERT_NE(material, nullptr);
    const auto& slots = material->GetPasses()[0]->textures;
    EXPECT_EQ(slots.size(), 10u);
    EXPECT_FALSE(slots.contains(10));
    EXPECT_EQ(slots.at(3).wrapS, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
    EXPECT_TRUE(Logged("MaterialLoader: Too many texture slots (at most 10): reservetexture 10 at Test/M.mat:12"))
        << log;
    EXPECT_TRUE(Logged("reservetexture 11 at Test/M.mat:13"));
}

// --- shaders ---

// A shader section keeps every line as written, blank ones and those of delimiters alone among them, after as
// many empty lines as come before its body: the compiler sees the script's own line numbers and text.
TEST_F(MaterialLoaderTest, InlineShadersKeepEveryLineOfTheScript)
{
    IMaterial* material = Load("\n\n\n\n\n\n\n\n\n"
                               "vertexshader vs {{\n" // line 10
                               "#version 120\n"
                               "void main()\n"
                               "\n"
                               "{ gl_Position = ftransform(\n"
                               "  )\n"
                               "; }\n"
                               "}}\n"
                               "material {\n"
                               "  useshader vs\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    IShader* shader = factory->CreateShaderFromSource(L"Test/M.mat:vs", r_ShaderType::Pixel, L"", "");
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->GetType(), r_ShaderType::Vertex); // the cached inline shader, whatever was asked
    EXPECT_EQ(Source(shader),
              std::string(10, '\n') + "#version 120\nvoid main()\n\n{ gl_Position = ftransform(\n  )\n; }\n");
    EXPECT_TRUE(Logged("Creating Test/M.mat:vs...\n"));
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_NE(material->GetPasses()[0]->program, nullptr);
    EXPECT_FALSE(Logged("Error compiling")) << log;
}

// A mistake in a shader is reported at its own line and column in the file that holds it, whatever blank lines
// come before the section and inside it, with or without a #version line, inline or in a file of its own.
TEST_F(MaterialLoaderTest, ShaderErrorsCarryTheFilesOwnLineAndColumn)
{
    const std::string vertex = "vertexshader v {{\nvoid main() { gl_Position = ftransform(); }\n}}\n";
    const std::string pixel = "pixelshader p {{\nvoid main() { gl_FragColor = vec4(1.0); }\n}}\n";
    struct Case
    {
        const char* what;
        std::string script;    // Test/M.mat, or the file of the shader's key
        const wchar_t* shader; // the cache key of the shader that fails
        r_ShaderType type;
        std::string position; // "file:line:column:"
    };
    const Case cases[] = {
        {"inline vertex, #version, blank lines before and inside",
         "\n\n\n\nvertexshader v {{\n#version 120\n\nvoid main()\n{\n\n    gl_Position = bogus;\n}\n}}\n" + pixel +
             "material {\n useshader v\n useshader p\n}\n",
         L"Test/A.mat:v", r_ShaderType::Vertex, "Test/A.mat:11:19:"},
        {"inline pixel without #version, delimiter-only lines inside",
         vertex + "\npixelshader p {{\nuniform float a;\n\nvoid main()\n{\n    gl_FragColor = vec4(a\n    )\n;\n\n"
                  "    gl_FragColor += missing;\n}\n}}\nmaterial {\n useshader v\n useshader p\n}\n",
         L"Test/B.mat:p", r_ShaderType::Pixel, "Test/B.mat:14:21:"},
        {"inline geometry, #version 150",
         vertex + "geometryshader g Point Point 1 {{\n#version 150\n\nvoid main()\n{\n\n"
                  "    gl_Position = gl_in[0].gl_Position + shift;\n    EmitVertex();\n}\n}}\n"
                  "material {\n useshader v\n useshader g\n}\n",
         L"Test/C.mat:g", r_ShaderType::Geometry, "Test/C.mat:10:42:"},
        {"inline vertex, not indented, blanks between the words",
         "vertexshader v {{\nvoid main() { gl_Position  =\tnowhere; }\n}}\nmaterial {\n useshader v\n}\n",
         L"Test/D.mat:v", r_ShaderType::Vertex, "Test/D.mat:2:30:"},
        {"a shader file", "material {\n  vertexshader Shaders/e.vert\n}\n", L"Shaders/e.vert", r_ShaderType::Vertex,
         "Shaders/e.vert:6:17:"},
    };
    engine->WriteFile("Shaders/e.vert", "\n#version 120\n\nvoid main()\n{\n  gl_Position = oops;\n}\n");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        // A script of its own for each case: inline shaders are cached by the script's name and theirs.
        const std::wstring key = c.shader;
        const size_t script = key.find(L".mat:");
        Load(c.script,
             script == std::wstring::npos ? "Test/M.mat" : std::string(key.begin(), key.begin() + script + 4));
        // The cached shader: a file's under its name, an inline one's under its key.
        const bool fromFile = std::wstring(c.shader).find(L".mat:") == std::wstring::npos;
        auto* shader = dynamic_cast<k_Shader*>(fromFile ? factory->CreateShader(c.shader, c.type, c.shader)
                                                        : factory->CreateShaderFromSource(c.shader, c.type, L"", ""));
        ASSERT_NE(shader, nullptr);
        EXPECT_TRUE(shader->HasFailed());
        EXPECT_EQ(shader->GetLastErrors().rfind(c.position, 0), 0u) << shader->GetLastErrors();
    }
}

TEST_F(MaterialLoaderTest, ShaderSectionOpenedWithOneBraceEndsAtTheFirstClosingBrace)
{
    IMaterial* material = Load("pixelshader ps {\n"
                               "void main() {\n"
                               "  gl_FragColor = vec4(1.0);\n"
                               "}\n"
                               "}\n"
                               "material {\n target x\n}\n");
    ASSERT_NE(material, nullptr);
    IShader* shader = factory->CreateShaderFromSource(L"Test/M.mat:ps", r_ShaderType::Pixel, L"", "");
    EXPECT_EQ(Source(shader), "\nvoid main() {\n  gl_FragColor = vec4(1.0);\n");
    // The second "}" starts a new section named "}".
    EXPECT_TRUE(Logged("MaterialLoader: Unknown section } at Test/M.mat:5")) << log;
    EXPECT_TRUE(material->GetPasses().empty());
}

TEST_F(MaterialLoaderTest, UseShaderSeesOnlyEarlierSectionsOfItsOwnFile)
{
    IMaterial* material = Load(std::string("material {\n  useshader ps\n}\n") + k_Shaders +
                               "material {\n  target later\n  useshader ps\n  useshader vs\n}\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 2u);
    EXPECT_TRUE(Logged("MaterialLoader: Shader not definied: ps at Test/M.mat:2")) << log;
    EXPECT_EQ(material->GetPasses()[0]->program, nullptr);
    EXPECT_NE(material->GetPasses()[1]->program, nullptr);
    // An included file does not see the includer's inline shaders.
    engine->WriteFile("Test/Child.mat", "material {\n  target child\n  useshader vs\n}\n");
    IMaterial* parent = Load(std::string(k_Shaders) + "include {\n  Test/Child.mat\n}\n");
    ASSERT_NE(parent, nullptr);
    EXPECT_TRUE(Logged("MaterialLoader: Shader not definied: vs at Test/Child.mat:3")) << log;
}

TEST_F(MaterialLoaderTest, FileShadersAndProgramOrder)
{
    engine->WriteFile("Shaders/a.vert", "#version 120\nvoid main() { gl_Position = ftransform(); }\n");
    engine->WriteFile("Shaders/a.frag", "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    IMaterial* material = Load("material {\n"
                               "  pixelshader Shaders/a.frag\n"
                               "  vertexshader Shaders/a.vert\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    auto* program = dynamic_cast<k_ShaderProgram*>(material->GetPasses()[0]->program);
    ASSERT_NE(program, nullptr);
    GLint linked = GL_FALSE;
    glGetProgramiv(program->GetHandle(), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    // Attached pixel shader first, then vertex.
    GLuint attached[2] = {};
    GLsizei n = 0;
    glGetAttachedShaders(program->GetHandle(), 2, &n, attached);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(attached[0], factory->CreateShader(L"Shaders/a.frag", r_ShaderType::Pixel, L"")->GetHandle());
    EXPECT_EQ(attached[1], factory->CreateShader(L"Shaders/a.vert", r_ShaderType::Vertex, L"")->GetHandle());
}

// The topologies and vertex limit are part of what is linked: two materials naming one geometry shader with
// other parameters each draw with their own.
TEST_F(MaterialLoaderTest, MaterialsNamingOneGeometryShaderWithOtherParametersDrawWithTheirOwn)
{
    engine->WriteFile("Shaders/q.vert", "#version 150 compatibility\nvoid main() { gl_Position = gl_Vertex; }\n");
    engine->WriteFile("Shaders/q.frag", "#version 150\nout vec4 c;\nvoid main() { c = vec4(0, 1, 0, 1); }\n");
    // Each point becomes a square half a unit across as a strip of four vertices.
    engine->WriteFile("Shaders/q.geom", "#version 150\n"
                                        "void main() {\n"
                                        "  for (int i = 0; i < 4; ++i) {\n"
                                        "    gl_Position = gl_in[0].gl_Position + 0.5 * vec4(i % 2, i / 2, 0, 0);\n"
                                        "    EmitVertex();\n"
                                        "  }\n"
                                        "}\n");
    const std::string shaders = "material {\n  vertexshader Shaders/q.vert\n  pixelshader Shaders/q.frag\n";
    IMaterial* squares = Load(shaders + "  geometryshader Shaders/q.geom Point TriangleStrip 4\n}\n", "Test/S.mat");
    IMaterial* points = Load(shaders + "  geometryshader Shaders/q.geom Point Point 1\n}\n", "Test/P.mat");
    IMaterial* again = Load(shaders + "  geometryshader Shaders/q.geom Point TriangleStrip 4\n}\n", "Test/S2.mat");
    ASSERT_TRUE(squares && points && again) << log;
    auto program = [](IMaterial* material) {
        return dynamic_cast<k_ShaderProgram*>(material->GetPasses()[0]->program);
    };
    ASSERT_TRUE(program(squares) && program(points) && program(again)) << log;
    EXPECT_NE(program(points)->GetHandle(), program(squares)->GetHandle());
    EXPECT_EQ(program(again)->GetHandle(), program(squares)->GetHandle());
    GLint output = 0;
    GLint vertices = 0;
    glGetProgramiv(program(points)->GetHandle(), GL_GEOMETRY_OUTPUT_TYPE, &output);
    glGetProgramiv(program(points)->GetHandle(), GL_GEOMETRY_VERTICES_OUT, &vertices);
    EXPECT_EQ(output, GL_POINTS);
    EXPECT_EQ(vertices, 1);

    // Green pixels after drawing one point with the program.
    auto drawn = [](k_ShaderProgram* program) {
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        program->Use();
        glBegin(GL_POINTS);
        glVertex2f(-0.5f, -0.5f);
        glEnd();
        glUseProgram(0);
        const std::vector<uint8_t> pixels =
            k_GlTestContext::ReadPixels(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
        int green = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            green += pixels[i + 1] > 128 ? 1 : 0;
        return green;
    };
    EXPECT_NEAR(drawn(program(squares)), 64 * 64, 200);
    EXPECT_LT(drawn(program(points)), 16);
    EXPECT_NEAR(drawn(program(again)), 64 * 64, 200);
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(MaterialLoaderTest, GeometrySectionsAndKeys)
{
    engine->WriteFile("Shaders/b.geom", "#version 150\nvoid main() { EmitVertex(); }\n");
    IMaterial* material = Load("geometryshader gs Triangle LineStrip 6 {{\n"
                               "#version 150\n"
                               "void main() { gl_Position = gl_in[0].gl_Position; EmitVertex(); }\n"
                               "}}\n"
                               "material {\n  useshader gs\n}\n"
                               "material {\n  target file\n  geometryshader Shaders/b.geom Point Point 1\n}\n");
    ASSERT_NE(material, nullptr);
    r_PrimitiveTopology input;
    r_PrimitiveTopology output;
    int vertices = 0;
    factory->CreateShaderFromSource(L"Test/M.mat:gs", r_ShaderType::Geometry, L"", "")
        ->GetGeometryParameters(input, output, vertices);
    EXPECT_EQ(input, r_PrimitiveTopology::Triangle);
    EXPECT_EQ(output, r_PrimitiveTopology::LineStrip);
    EXPECT_EQ(vertices, 6);
    factory->CreateShader(L"Shaders/b.geom", r_ShaderType::Geometry, L"")
        ->GetGeometryParameters(input, output, vertices);
    EXPECT_EQ(input, r_PrimitiveTopology::Point);
    EXPECT_EQ(vertices, 1);
    EXPECT_NE(material->GetPasses()[0]->program, nullptr);

    // An unknown topology or an output other than Point, LineStrip, TriangleStrip fails the whole material,
    // which is not cached: asking again tries again.
    engine->WriteFile("Test/Bad.mat", "geometryshader g Triangles Point 3 {{\n}}\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(factory->CreateMaterial(L"bad", L"Test/Bad.mat"), nullptr);
    engine->WriteFile("Test/Bad.mat", "material {\n  geometryshader Shaders/b.geom Point Quad 3\n}\n");
    EXPECT_EQ(factory->CreateMaterial(L"bad", L"Test/Bad.mat"), nullptr);
    engine->WriteFile("Test/Bad.mat", "material {\n}\n");
    EXPECT_NE(factory->CreateMaterial(L"bad", L"Test/Bad.mat"), nullptr);
    log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(Logged("Invalid value passed to r_PrimitiveTopology::Parse!"));
    EXPECT_TRUE(Logged("You can only use Point, TriangleStrip or LineStrip"));
}

TEST_F(MaterialLoaderTest, SecondSectionOfTheSameNameReusesTheFirstShader)
{
    IMaterial* material = Load("vertexshader vs {{\nvoid main() { gl_Position = vec4(1.0); }\n}}\n"
                               "vertexshader vs {{\nthis would not compile\n}}\n"
                               "material {\n  useshader vs\n}\n");
    ASSERT_NE(material, nullptr);
    EXPECT_FALSE(Logged("Error compiling")) << log;
}

TEST_F(MaterialLoaderTest, ShaderCallbacksAreAttachedWhenRegisteredAndSupported)
{
    struct Counting : IShaderCallback
    {
        int applied = 0;
        std::wstring GetName() override { return L"counting"; }
        void Apply(IShaderProgram*, int) override { ++applied; }
        bool IsSupported(IShaderProgram*) override { return true; }
    };
    auto* counting = new Counting;
    ASSERT_TRUE(factory->RegisterShaderCallback(counting));
    IMaterial* material =
        Load(std::string(k_Shaders) + "material {\n  useshader vs\n  useshader ps\n  shadercallback counting\n"
                                      "  shadercallback unknown\n}\n");
    ASSERT_NE(material, nullptr);
    IShaderProgram* program = material->GetPasses()[0]->program;
    ASSERT_NE(program, nullptr);
    program->Use();
    EXPECT_EQ(counting->applied, 1);
}

// --- passes and includes ---

TEST_F(MaterialLoaderTest, PassesWithTheSameTargetReplaceInPlace)
{
    IMaterial* material = Load("material {\n target a\n shininess 1\n}\n"
                               "material {\n target b\n}\n"
                               "material {\n target a\n shininess 2\n}\n");
    ASSERT_NE(material, nullptr);
    const auto& passes = material->GetPasses();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0]->target, "a");
    EXPECT_FLOAT_EQ(passes[0]->shininess, 2.0f);
    EXPECT_EQ(passes[1]->target, "b");
}

TEST_F(MaterialLoaderTest, IncludesAreReadAfterTheFileDepthFirst)
{
    engine->WriteFile("Test/A.mat", "include {\n Test/A2.mat\n}\nmaterial {\n target a\n}\n");
    engine->WriteFile("Test/A2.mat", "material {\n target a2\n}\nmaterial {\n shininess 99\n}\n");
    engine->WriteFile("Test/B.mat", "material {\n target b\n}\n");
    IMaterial* material = Load("include {\n Test/A.mat\n Test/B.mat\n}\n"
                               "material {\n shininess 5\n}\n");
    ASSERT_NE(material, nullptr);
    const auto& passes = material->GetPasses();
    ASSERT_EQ(passes.size(), 4u);
    // The included default pass replaced the including file's default pass at its position.
    EXPECT_EQ(passes[0]->target, "");
    EXPECT_FLOAT_EQ(passes[0]->shininess, 99.0f);
    EXPECT_EQ(passes[1]->target, "a");
    EXPECT_EQ(passes[2]->target, "a2");
    EXPECT_EQ(passes[3]->target, "b");
    // Each file is read whole before its includes; an include's includes before the next include.
    const size_t a = log.find("Loading material: Test/A.mat...");
    const size_t a2 = log.find("Loading material: Test/A2.mat...");
    const size_t b = log.find("Loading material: Test/B.mat...");
    ASSERT_NE(b, std::string::npos) << log;
    EXPECT_LT(a, a2);
    EXPECT_LT(a2, b);
}

TEST_F(MaterialLoaderTest, IncludeLoopsAreCutInsteadOfRecursingForever)
{
    engine->WriteFile("Test/Loop.mat", "include {\n Test/M.mat\n Test/Loop.mat\n}\nmaterial {\n target loop\n}\n");
    IMaterial* material = Load("include {\n Test/Loop.mat\n Test/M.mat\n}\n");
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_TRUE(Logged("MaterialLoader: Include loop skipped: Test/M.mat in Test/Loop.mat")) << log;
    EXPECT_TRUE(Logged("MaterialLoader: Include loop skipped: Test/Loop.mat in Test/Loop.mat"));
    EXPECT_TRUE(Logged("MaterialLoader: Include loop skipped: Test/M.mat in Test/M.mat"));
}

// --- robustness ---

TEST_F(MaterialLoaderTest, RandomAndTruncatedScriptsLoadWithoutCrashOrHang)
{
    const std::string good = std::string(k_Shaders) +
                             "geometryshader gs Point Point 1 {{\n#version 150\nvoid main() {}\n}}\n"
                             "include {\n Test/M.mat\n}\n"
                             "material {\n target t\n useshader vs\n useshader ps\n diffuse (1, 1, 1, 1)\n"
                             " loadtexture 0 Test/none.png clamp mirror\n reservetexture 1\n}\n";
    const std::vector<std::string> vocabulary = {"material",
                                                 "include",
                                                 "vertexshader",
                                                 "pixelshader",
                                                 "geometryshader",
                                                 "{",
                                                 "{{",
                                                 "}",
                                                 "}}",
                                                 "(",
                                                 ")",
                                                 ",",
                                                 "target",
                                                 "useshader",
                                                 "vs",
                                                 "ps",
                                                 "gs",
                                                 "loadtexture",
                                                 "reservetexture",
                                                 "0",
                                                 "9",
                                                 "-3",
                                                 "99999999999",
                                                 "1e40",
                                                 "clamp",
                                                 "diffuse",
                                                 "Point",
                                                 "Triangle",
                                                 "Quad",
                                                 "shadercallback",
                                                 "deltatime",
                                                 "depthfunc",
                                                 "culling",
                                                 "\t",
                                                 "\r",
                                                 "Test/M.mat",
                                                 "Test/R.mat",
                                                 "void main() {}",
                                                 "#version 150",
                                                 "\"",
                                                 "\\"};
    std::mt19937 random(20261207);
    int made = 0;
    int failed = 0;
    for (int round = 0; round < 300; ++round)
    {
        std::string script;
        if (round < 100)
        {
            // Truncations and single-byte damage of a well-formed script.
            script = good.substr(0, random() % (good.size() + 1));
            if (round % 2 && !script.empty())
                script[random() % script.size()] = static_cast<char>(random() % 256);
        }
        else if (round < 200)
        {
            for (int token = random() % 60; token > 0; --token)
                script += vocabulary[random() % vocabulary.size()] + (random() % 4 ? " " : "\n");
        }
        else
        {
            for (int byte = random() % 400; byte > 0; --byte)
                script += static_cast<char>(random() % 256);
        }
        engine->WriteFile("Test/R.mat", script);
        testing::internal::CaptureStdout();
        IMaterial* material = factory->CreateMaterial(L"random" + std::to_wstring(round), L"Test/R.mat");
        testing::internal::GetCapturedStdout();
        (material ? made : failed)++;
        if (material)
        {
            for (k_MaterialPass* pass : material->GetPasses())
                ASSERT_LE(pass->textures.size(), 10u);
        }
    }
    EXPECT_EQ(made + failed, 300);
    EXPECT_GT(made, 200); // only topology and geometry-output errors refuse a material
}

// --- value syntax ---

TEST(k_MaterialLoader, ValueSyntax)
{
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("1.5"), 1.5f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("-2e2x"), -200.0f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("+.5"), 0.5f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("3e"), 3.0f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("abc"), 0.0f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("inf"), 0.0f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("0x10"), 0.0f);
    EXPECT_EQ(k_MaterialLoader::ParseInt("12abc"), 12);
    EXPECT_EQ(k_MaterialLoader::ParseInt("-7"), -7);
    EXPECT_EQ(k_MaterialLoader::ParseInt("x1"), 0);
    EXPECT_EQ(k_MaterialLoader::ParseInt("99999999999"), 2147483647);
    EXPECT_EQ(k_MaterialLoader::ParseInt("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(k_MaterialLoader::ParseFloat("-1e39"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(k_MaterialLoader::ParseFloat("1e-50"), 0.0f);
}

// A user's comma-decimal locale (which GTK's start-up may make the process's) must not change how a
// script's numbers are read, nor how the log writes numbers.
TEST_F(MaterialLoaderTest, NumbersReadTheSameInACommaDecimalLocale)
{
    struct LocaleGuard
    {
        ~LocaleGuard()
        {
            setlocale(LC_ALL, "C");
            std::locale::global(std::locale::classic());
        }
    } guard;
    ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "tools/setup.sh generates de_DE.UTF-8";
    std::locale::global(std::locale("de_DE.UTF-8"));
    ASSERT_EQ(std::strtof("0.85", nullptr), 0.0f) << "not a comma-decimal locale";

    IMaterial* material = Load("material {\n"
                               "  diffuse 0.25 0.5 0.75 1\n"
                               "  shininess 12.5\n"
                               "  alphatestvalue 0.85\n"
                               "}\n");
    ASSERT_NE(material, nullptr);
    const k_MaterialPass& pass = *material->GetPasses().at(0);
    EXPECT_EQ(pass.diffuse, (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_FLOAT_EQ(pass.shininess, 12.5f);
    EXPECT_FLOAT_EQ(pass.alphaTestValue, 0.85f);
    EXPECT_FLOAT_EQ(k_MaterialLoader::ParseFloat("-2.5e-1"), -0.25f);

    testing::internal::CaptureStdout();
    k_Log() << 0.5 << " " << 1234567 << " " << 7654321ull;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0.5 1234567 7654321\n");
}

// --- limits ---

TEST_F(MaterialLoaderTest, OversizedScriptsAndShaderSourcesAreRefusedCheaplyWithARedLine)
{
    // A script of many megabytes is refused before a line of it is read.
    std::string huge;
    while (huge.size() <= static_cast<size_t>(k_CFileLoader::k_MaxFileBytes))
        huge += "material {\n    culling none\n}\n";
    IMaterial* material = nullptr;
    k_UsageProbe::Usage usage = k_UsageProbe::Measure([&] { material = Load(huge); });
    ASSERT_NE(material, nullptr);
    EXPECT_TRUE(material->GetPasses().empty());
    EXPECT_TRUE(Logged("Cannot read Test/M.mat: " + std::to_string(huge.size()) +
                       " bytes is more than a script may have (1048576)"))
        << log.substr(0, 500);
    EXPECT_LT(usage.cpuSeconds, 0.5);
    EXPECT_LT(usage.peakResidentMb, 256.0);

    // GLSL of megabytes, inline or in a file, never reaches the compiler; the rest of the script is read.
    const std::string body(300 * 1024, ' ');
    engine->WriteFile("Test/Big.vs", "void main() {" + body + "}\n");
    usage = k_UsageProbe::Measure([&] {
        material = Load("pixelshader big {{\nvoid main() {" + body +
                        "}\n}}\nmaterial {\n  useshader big\n"
                        "  vertexshader Test/Big.vs\n  culling front\n}\n");
    });
    ASSERT_NE(material, nullptr);
    ASSERT_EQ(material->GetPasses().size(), 1u);
    EXPECT_EQ(material->GetPasses()[0]->cullMode, static_cast<unsigned>(GL_FRONT));
    EXPECT_TRUE(Logged("Error compiling pixelshader: Test/M.mat:big: 307216 bytes of source is more than a shader "
                       "may have (262144)"))
        << log;
    EXPECT_TRUE(Logged("Error compiling vertexshader: Test/Big.vs: 307215 bytes of source"));
    EXPECT_LT(usage.cpuSeconds, 0.5);
}

TEST_F(MaterialLoaderTest, DeepOrWideIncludesStopAtTheirLimitsWithARedLine)
{
    // A chain of 40 scripts, each with a pass of its own and including the next.
    for (int i = 1; i < 40; ++i)
        engine->WriteFile("Deep/" + std::to_string(i) + ".mat", "include {\n  Deep/" + std::to_string(i + 1) +
                                                                    ".mat\n}\nmaterial {\n  target t" +
                                                                    std::to_string(i) + "\n}\n");
    IMaterial* material = nullptr;
    k_UsageProbe::Usage usage =
        k_UsageProbe::Measure([&] { material = Load("include {\n  Deep/1.mat\n}\n", "Deep/0.mat"); });
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetPasses().size(), static_cast<size_t>(k_MaterialLoader::k_MaxIncludeDepth - 1));
    EXPECT_TRUE(Logged("MaterialLoader: Includes nested deeper than 16 levels; skipped Deep/16.mat in Deep/15.mat"))
        << log;
    EXPECT_LT(usage.cpuSeconds, 0.5);

    // A script naming one script a thousand times, which names another a thousand times: a million reads
    // without a limit; the fan-out stops at the script limit.
    auto naming = [](const std::string& name) {
        std::string script = "include {\n";
        for (int i = 0; i < 1000; ++i)
            script += "  " + name + "\n";
        return script + "}\nmaterial {\n}\n";
    };
    engine->WriteFile("Wide/Leaf.mat", naming("Wide/Leaf2.mat"));
    engine->WriteFile("Wide/Leaf2.mat", "material {\n}\n");
    usage = k_UsageProbe::Measure([&] { material = Load(naming("Wide/Leaf.mat"), "Wide/Root.mat"); });
    ASSERT_NE(material, nullptr);
    size_t scripts = 0;
    for (size_t at = log.find("Loading material: "); at != std::string::npos;
         at = log.find("Loading material: ", at + 1))
        ++scripts;
    EXPECT_EQ(scripts, static_cast<size_t>(k_MaterialLoader::k_MaxScripts));
    EXPECT_TRUE(Logged("MaterialLoader: More than 64 scripts for one material; skipped Wide/Leaf.mat in "));
    EXPECT_LT(usage.cpuSeconds, 0.5);
    EXPECT_LT(usage.peakResidentMb, 256.0);
}
