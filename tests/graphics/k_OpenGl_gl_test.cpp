#include "engine/k_Log.h"
#include "graphics/k_OpenGl.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <deque>
#include <iostream>
#include <sstream>
#include <string>

namespace
{
// Captures the log lines written while it lives.
class LogCapture
{
public:
    LogCapture() : m_previous(std::cout.rdbuf(m_text.rdbuf())) { k_Log::SetColourEnabled(false); }
    ~LogCapture()
    {
        std::cout.rdbuf(m_previous);
        k_Log::FollowTerminal();
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(m_text.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::ostringstream m_text;
    std::streambuf* m_previous;
};

// GL keeps one flag per kind of error, so a queue of several is fed in here.
class QueuedErrors : public k_OpenGl
{
public:
    QueuedErrors() : k_OpenGl(nullptr) {}
    std::deque<unsigned> queue;

protected:
    unsigned NextError() override
    {
        if (queue.empty())
            return GL_NO_ERROR;
        const unsigned error = queue.front();
        queue.pop_front();
        return error;
    }
};

// A driver that offers another OpenGL version, or lacks one extension, than the test context's.
class OfferedDriver : public k_OpenGl
{
public:
    OfferedDriver(int version, std::string lacking) : k_OpenGl(nullptr), m_version(version), m_lacking(lacking) {}

protected:
    int GlVersion() override { return m_version; }
    bool HasExtension(const char* name) override { return m_lacking != name && k_OpenGl::HasExtension(name); }

private:
    int m_version;
    std::string m_lacking;
};

struct Rgb
{
    int r, g, b;
};

Rgb PixelAt(int x, int y)
{
    const auto pixel = k_GlTestContext::ReadPixels(x, y, 1, 1);
    return {pixel[0], pixel[1], pixel[2]};
}

bool IsBarColour(const Rgb& c)
{
    return std::abs(c.r - 51) <= 1 && std::abs(c.g - 128) <= 1 && std::abs(c.b - 230) <= 1;
}

// Pixel column or row of a normalised device coordinate in the 256 x 256 test window.
int ToPixel(double ndc)
{
    return static_cast<int>((ndc + 1.0) * 0.5 * k_GlTestContext::k_Width);
}
} // namespace

class k_OpenGlTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    }
};

// --- initialisation ---

TEST_F(k_OpenGlTest, InitializeLogsTheDriverAndLeavesTheDefaultState)
{
    k_OpenGl graphics(nullptr);
    LogCapture log;
    EXPECT_TRUE(graphics.Initialize());
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Initializing OpenGL...");
    EXPECT_EQ(lines[1], std::string("OPENGL :: Vendor: ") + reinterpret_cast<const char*>(glGetString(GL_VENDOR)));
    EXPECT_EQ(lines[2].rfind("OPENGL :: Renderer: ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("OPENGL :: Version: ", 0), 0u);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    EXPECT_EQ(lines[4], "OPENGL :: Maximum texture size: " + std::to_string(maxSize));
    EXPECT_EQ(graphics.GetMaxTextureSize(), maxSize);

    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CW);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW); // the empty bar drawn last leaves model-view current
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    // The bar switches culling and depth testing on when it is done.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    float matrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(matrix[i], i % 5 == 0 ? 1.0f : 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The real context offers what the engine calls; a driver that lacks a version or an extension is refused before
// any state is set, with the fixed message and a red log line that names what is missing.
TEST_F(k_OpenGlTest, InitializeRefusesADriverWithoutTheVersionOrExtensionsTheEngineCalls)
{
    k_OpenGl real(nullptr);
    {
        LogCapture log;
        EXPECT_NO_THROW(real.Initialize());
    }
    struct Case
    {
        int version;
        std::string lacking;
        std::wstring message;
        std::string logged;
    };
    const Case cases[] = {
        {21, "", L"The OpenGL driver is too old: OpenGL 3.0 or newer is needed!",
         "OPENGL :: The driver offers OpenGL 2.1; the engine needs 3.0 or newer."},
        {0, "", L"The OpenGL driver is too old: OpenGL 3.0 or newer is needed!",
         "OPENGL :: The context offers no desktop OpenGL version; the engine needs 3.0 or newer."},
        {30, "GL_EXT_framebuffer_object", L"The OpenGL driver has no framebuffer objects (GL_EXT_framebuffer_object)!",
         "OPENGL :: The driver lacks the extension GL_EXT_framebuffer_object."},
        {45, "GL_EXT_framebuffer_multisample",
         L"The OpenGL driver has no multisample renderbuffers (GL_EXT_framebuffer_multisample)!",
         "OPENGL :: The driver lacks the extension GL_EXT_framebuffer_multisample."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.logged);
        glFrontFace(GL_CCW);
        OfferedDriver graphics(c.version, c.lacking);
        LogCapture log;
        std::wstring thrown;
        try
        {
            graphics.Initialize();
        }
        catch (const wchar_t* message)
        {
            thrown = message;
        }
        EXPECT_EQ(thrown, c.message);
        const auto lines = log.Lines();
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[4], c.logged);
        EXPECT_EQ(graphics.GetMaxTextureSize(), 0);
        GLint frontFace = 0;
        glGetIntegerv(GL_FRONT_FACE, &frontFace);
        EXPECT_EQ(frontFace, GL_CCW) << "no default state is set for a refused driver";
    }
}

TEST_F(k_OpenGlTest, ResizeReplacesAZeroHeightWithOne)
{
    k_OpenGl graphics(nullptr);
    graphics.Resize(800, 0);
    EXPECT_EQ(graphics.GetWidth(), 800);
    EXPECT_EQ(graphics.GetHeight(), 1);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 1);
    graphics.SetAspectRatio(1.6f);
    EXPECT_EQ(graphics.GetAspectRatio(), 1.6f);
    graphics.DestroyContext(); // holds no context: nothing happens
    graphics.DestroyContext();
}

// --- errors ---

TEST_F(k_OpenGlTest, CheckErrorsReportsAtMostFivePerCall)
{
    QueuedErrors graphics;
    {
        graphics.queue = {GL_INVALID_ENUM, GL_INVALID_VALUE, GL_INVALID_OPERATION, GL_OUT_OF_MEMORY};
        LogCapture log;
        graphics.CheckErrors();
        const std::vector<std::string> expected = {"OPENGL :: ERROR invalid enumerant", "OPENGL :: ERROR invalid value",
                                                   "OPENGL :: ERROR invalid operation",
                                                   "OPENGL :: ERROR out of memory"};
        EXPECT_EQ(log.Lines(), expected);
        EXPECT_TRUE(graphics.queue.empty());
    }
    {
        graphics.queue.assign(6, GL_INVALID_ENUM);
        LogCapture log;
        graphics.CheckErrors();
        const auto lines = log.Lines();
        ASSERT_EQ(lines.size(), 6u);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(lines[i], "OPENGL :: ERROR invalid enumerant");
        EXPECT_EQ(lines[5], "OPENGL :: ERROR Too many errors!");
        EXPECT_EQ(graphics.queue.size(), 1u); // the sixth stays queued
    }
    {
        graphics.queue = {0x1234};
        LogCapture log;
        graphics.CheckErrors();
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"OPENGL :: UNKNOWN ERROR!"});
    }
}

TEST_F(k_OpenGlTest, CheckErrorsDrainsTheRealQueue)
{
    k_OpenGl graphics(nullptr);
    glEnable(0x7FFF); // not a capability
    LogCapture log;
    graphics.CheckErrors();
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"OPENGL :: ERROR invalid enumerant"});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// --- loading bar ---

TEST_F(k_OpenGlTest, ProgressBarAtZeroShowsOnlyTheOutline)
{
    k_OpenGl graphics(nullptr);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    graphics.DrawProgressBar(0.0f);
    const int middle = k_GlTestContext::k_Height / 2;
    const Rgb inside = PixelAt(k_GlTestContext::k_Width / 2, middle);
    EXPECT_EQ(inside.r + inside.g + inside.b, 0) << "the screen is cleared and nothing is filled";
    EXPECT_EQ(PixelAt(ToPixel(-0.9) + 2, middle).b, 0);
    // The outline's top edge at y = 0.06 crosses the middle column.
    bool outline = false;
    for (int y = ToPixel(0.06) - 2; y <= ToPixel(0.06) + 2; ++y)
        outline = outline || IsBarColour(PixelAt(k_GlTestContext::k_Width / 2, y));
    EXPECT_TRUE(outline);
    EXPECT_EQ(PixelAt(5, 5).b, 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(k_OpenGlTest, ProgressBarFillFollowsTheFraction)
{
    k_OpenGl graphics(nullptr);
    const int middle = k_GlTestContext::k_Height / 2;
    graphics.DrawProgressBar(1.0f);
    EXPECT_TRUE(IsBarColour(PixelAt(ToPixel(-0.9) + 2, middle)));
    EXPECT_TRUE(IsBarColour(PixelAt(k_GlTestContext::k_Width / 2, middle)));
    EXPECT_TRUE(IsBarColour(PixelAt(ToPixel(0.9) - 2, middle)));
    EXPECT_EQ(PixelAt(ToPixel(0.95), middle).b, 0) << "nothing beyond the outline";
    EXPECT_EQ(PixelAt(k_GlTestContext::k_Width / 2, ToPixel(0.2)).b, 0) << "nothing above the bar";

    graphics.DrawProgressBar(0.5f); // fill ends at x = 0
    EXPECT_TRUE(IsBarColour(PixelAt(ToPixel(-0.1), middle)));
    EXPECT_EQ(PixelAt(ToPixel(0.1), middle).b, 0);
}
