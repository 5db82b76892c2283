#include "graphics/k_RenderTarget.h"
#include "graphics/k_RenderTargetTexture.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "scene/k_World.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr int k_Size = 16;

// Writes a different colour to each of the first three draw buffers.
const char* const k_VertexShader = "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n";
const char* const k_ThreeColours = "#version 120\n"
                                   "void main() {\n"
                                   "  gl_FragData[0] = vec4(1.0, 0.0, 0.0, 1.0);\n"
                                   "  gl_FragData[1] = vec4(0.0, 1.0, 0.0, 1.0);\n"
                                   "  gl_FragData[2] = vec4(0.0, 0.0, 1.0, 1.0);\n"
                                   "}\n";

class k_RenderTargetTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestPlainState();
        engine.Renderer().SetCurrentWorld(&world);
    }
    void TearDown() override
    {
        glUseProgram(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    }

    // The centre texel of a colour texture, as floats.
    static std::array<float, 4> Texel(ITexture* texture)
    {
        std::vector<float> texels(static_cast<size_t>(texture->GetWidth()) * texture->GetHeight() * 4);
        glBindTexture(GL_TEXTURE_2D, static_cast<k_TextureBase*>(texture)->GetName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        const size_t centre =
            (static_cast<size_t>(texture->GetHeight() / 2) * texture->GetWidth() + texture->GetWidth() / 2) * 4;
        return {texels[centre], texels[centre + 1], texels[centre + 2], texels[centre + 3]};
    }
    static GLint DrawBuffer(int i)
    {
        GLint value = 0;
        glGetIntegerv(GL_DRAW_BUFFER0 + i, &value);
        return value;
    }
    void DrawThreeColours()
    {
        k_Shader vertex(&engine, r_ShaderType::Vertex, L"mrt.vs", k_VertexShader);
        k_Shader pixel(&engine, r_ShaderType::Pixel, L"mrt.ps", k_ThreeColours);
        k_ShaderProgram program(&engine, {&vertex, &pixel});
        program.Use();
        glRectf(-1, -1, 1, 1);
        glUseProgram(0);
    }

    k_SceneTestEngine engine;
    k_World world{&engine, "w"};
};

using Colour = std::array<float, 4>;
} // namespace

// --- construction ---

TEST_F(k_RenderTargetTest, BuildsWithoutGlErrorsAndTheFirstTextureCompletesIt)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    EXPECT_EQ(target.GetSampleCount(), std::min(8, static_cast<int>(maxSamples)));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);

    ITexture* texture = target.AddColorTexture(3);
    ASSERT_EQ(target.GetColorTextures()->size(), 1u);
    EXPECT_EQ(target.GetColorTextures()->front(), texture);
    EXPECT_EQ(texture->GetWidth(), k_Size);
    EXPECT_EQ(texture->GetFormat(), 3);
    glBindFramebuffer(GL_FRAMEBUFFER, target.GetFramebuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
    target.Bind(IRenderTarget::k_ClearEverything);
    target.Unbind();
    EXPECT_TRUE(engine.Graphics().errors.empty());
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RenderTargetTest, EveryFormatCodeMakesATextureWithoutGlErrors)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    for (int format = 0; format <= 5; ++format)
    {
        target.AddColorTexture(format);
        EXPECT_EQ(k_SceneTestDrainErrors(), 0) << "format " << format;
    }
    testing::internal::CaptureStdout();
    ITexture* unknown = target.AddColorTexture(9);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("unknown colour texture format 9"), std::string::npos);
    EXPECT_EQ(unknown->GetFormat(), 2);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// --- binding and clearing ---

TEST_F(k_RenderTargetTest, ThreeTexturesBoundWithAllFlagsAreClearedAndDrawnTogether)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    ITexture* textures[3] = {target.AddColorTexture(2), target.AddColorTexture(2), target.AddColorTexture(2)};
    world.SetClearColour(k_VectorUA(1, 1, 0, 1));
    target.Bind(IRenderTarget::k_ClearEverything);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(DrawBuffer(i), static_cast<GLint>(GL_COLOR_ATTACHMENT0 + i));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], k_Size);
    target.Unbind();
    for (ITexture* texture : textures)
        EXPECT_EQ(Texel(texture), (Colour{1, 1, 0, 1}));

    target.Bind(0x100);
    DrawThreeColours();
    target.Unbind();
    EXPECT_EQ(Texel(textures[0]), (Colour{1, 0, 0, 1}));
    EXPECT_EQ(Texel(textures[1]), (Colour{0, 1, 0, 1}));
    EXPECT_EQ(Texel(textures[2]), (Colour{0, 0, 1, 1}));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RenderTargetTest, AttachmentBitsSelectDrawBuffersAndZeroKeepsTheSelection)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    ITexture* textures[3] = {target.AddColorTexture(2), target.AddColorTexture(2), target.AddColorTexture(2)};
    world.SetClearColour(k_VectorUA(0, 0, 0, 1));
    target.Bind(IRenderTarget::k_ClearEverything);

    target.Bind(0x030);
    EXPECT_EQ(target.GetDrawBuffers(), (std::vector<unsigned>{GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1}));
    EXPECT_EQ(DrawBuffer(1), static_cast<GLint>(GL_COLOR_ATTACHMENT1));
    EXPECT_EQ(DrawBuffer(2), static_cast<GLint>(GL_NONE));
    target.Bind(0x030); // same flags: the list is kept
    EXPECT_EQ(target.GetBindFlags(), 0x030);
    DrawThreeColours();
    target.Unbind();
    EXPECT_EQ(Texel(textures[0]), (Colour{1, 0, 0, 1}));
    EXPECT_EQ(Texel(textures[1]), (Colour{0, 1, 0, 1}));
    EXPECT_EQ(Texel(textures[2]), (Colour{0, 0, 0, 1})); // not drawn

    world.SetClearColour(k_VectorUA(1, 1, 1, 1));
    target.Bind(0); // no clear, no new selection
    EXPECT_FALSE(target.HasDrawBuffers());
    EXPECT_EQ(DrawBuffer(0), static_cast<GLint>(GL_COLOR_ATTACHMENT0));
    EXPECT_EQ(DrawBuffer(1), static_cast<GLint>(GL_COLOR_ATTACHMENT1));
    target.Unbind();
    EXPECT_EQ(Texel(textures[0]), (Colour{1, 0, 0, 1}));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RenderTargetTest, DepthFlagClearsDepthOnlyWithTheWorldsClearDepth)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    ITexture* texture = target.AddColorTexture(2);
    world.SetClearColour(k_VectorUA(1, 0, 0, 1));
    target.Bind(IRenderTarget::k_ClearEverything);
    world.SetClearColour(k_VectorUA(0, 1, 0, 1));
    world.SetClearDepth(0.25f);
    target.Bind(0x001);
    float depth = 0;
    glReadPixels(k_Size / 2, k_Size / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    target.Unbind();
    EXPECT_NEAR(depth, 0.25f, 1e-4f);
    EXPECT_EQ(Texel(texture), (Colour{1, 0, 0, 1})); // the colour is kept
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RenderTargetTest, FloatFormatsHoldValuesAboveOneAndByteFormatsClamp)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    ITexture* rgb32f = target.AddColorTexture(1);
    ITexture* rgba32f = target.AddColorTexture(3);
    ITexture* rgba8 = target.AddColorTexture(2);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
    world.SetClearColour(k_VectorUA(2.5f, 0.5f, 100.0f, 3.0f));
    target.Bind(IRenderTarget::k_ClearEverything);
    target.Unbind();
    const Colour rgb = Texel(rgb32f);
    EXPECT_FLOAT_EQ(rgb[0], 2.5f);
    EXPECT_FLOAT_EQ(rgb[2], 100.0f);
    EXPECT_FLOAT_EQ(rgb[3], 1.0f); // no alpha channel
    EXPECT_EQ(Texel(rgba32f), (Colour{2.5f, 0.5f, 100.0f, 3.0f}));
    const Colour clamped = Texel(rgba8);
    EXPECT_FLOAT_EQ(clamped[0], 1.0f);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_RenderTargetTest, UnbindRestoresTheWindowsCurrentViewport)
{
    k_RenderTarget target(&engine, k_Size, k_Size);
    target.AddColorTexture(0);
    engine.Graphics().Resize(200, 100); // after the target was made
    target.Bind(IRenderTarget::k_ClearEverything);
    target.Unbind();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 100);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    engine.Graphics().Resize(k_GlTestContext::k_Width, k_GlTestContext::k_Height);
}
