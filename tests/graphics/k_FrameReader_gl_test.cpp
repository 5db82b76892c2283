#include "app/k_Window.h"
#include "engine/k_Engine.h"
#include "graphics/k_FrameReader.h"
#include "interfaces/IGraphics.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <memory>

namespace
{
struct Delivered
{
    int64_t tag;
    std::vector<uint8_t> rows;
};

// Fills the back buffer: the lower half in one colour, the upper half in another, and one marker pixel
// at the lower-left corner.
void DrawHalves(int width, int height, const uint8_t lower[3], const uint8_t upper[3])
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, width, height / 2);
    glClearColor(lower[0] / 255.0f, lower[1] / 255.0f, lower[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, height / 2, width, height - height / 2);
    glClearColor(upper[0] / 255.0f, upper[1] / 255.0f, upper[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, 1, 1);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

std::vector<uint8_t> Pixel(const std::vector<uint8_t>& rows, int width, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return {rows[at], rows[at + 1], rows[at + 2]};
}

class FrameReaderTest : public GlTest
{
};
} // namespace

// Frames come out one behind, upright (top row first), whole, and with their own tags; Flush hands out
// the last. The window is larger than the test display (1920x1080) and drawn without ever being swapped
// to the screen, as a capture of a large picture is.
TEST_F(FrameReaderTest, ReadsFramesUprightOneBehindInAWindowLargerThanTheScreen)
{
    constexpr int width = 2400, height = 1300;
    {
        k_Engine engine;
        k_Window window(L"frame reader test", width, height, &engine, true, false);
        window.Create();
        ASSERT_EQ(engine.GetGraphics()->GetWidth(), width);

        std::vector<Delivered> delivered;
        k_FrameReader reader(width, height, [&](int64_t tag, const uint8_t* rows) {
            delivered.push_back({tag, std::vector<uint8_t>(rows, rows + static_cast<size_t>(width) * height * 3)});
        });
        const uint8_t red[3] = {255, 0, 0}, green[3] = {0, 255, 0}, blue[3] = {0, 0, 255}, grey[3] = {64, 64, 64};

        DrawHalves(width, height, red, green);
        reader.Read(7);
        EXPECT_TRUE(delivered.empty()) << "the first frame stays in flight until the next is read";
        window.Present();
        DrawHalves(width, height, blue, grey);
        reader.Read(8);
        window.Present();
        ASSERT_EQ(delivered.size(), 1u);
        reader.Flush();
        ASSERT_EQ(delivered.size(), 2u);
        reader.Flush();
        EXPECT_EQ(delivered.size(), 2u) << "nothing is handed out twice";

        EXPECT_EQ(delivered[0].tag, 7);
        const std::vector<uint8_t>& first = delivered[0].rows;
        // Top row first: GL's upper half (green) comes first, the marker is in the last row.
        EXPECT_EQ(Pixel(first, width, 0, 0), std::vector<uint8_t>({0, 255, 0}));
        EXPECT_EQ(Pixel(first, width, width - 1, height / 2 - 1), std::vector<uint8_t>({0, 255, 0}));
        EXPECT_EQ(Pixel(first, width, width - 1, height - 1), std::vector<uint8_t>({255, 0, 0}));
        EXPECT_EQ(Pixel(first, width, 0, height - 1), std::vector<uint8_t>({255, 255, 255}));
        EXPECT_EQ(Pixel(first, width, 1, height - 1), std::vector<uint8_t>({255, 0, 0}));
        // Past the screen's right and lower edges too.
        EXPECT_EQ(Pixel(first, width, 2300, 1250), std::vector<uint8_t>({255, 0, 0}));

        EXPECT_EQ(delivered[1].tag, 8);
        EXPECT_EQ(Pixel(delivered[1].rows, width, 2300, 10), std::vector<uint8_t>({64, 64, 64}));
        EXPECT_EQ(Pixel(delivered[1].rows, width, 2300, 1250), std::vector<uint8_t>({0, 0, 255}));

        GLint packAlignment = 0, packBuffer = -1;
        glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
        glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
        EXPECT_EQ(packAlignment, 4) << "the pack state is left as found";
        EXPECT_EQ(packBuffer, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    k_GlTestContext::MakeCurrent();
}

// A window that was never shown (the tests' own context is on a hidden window) reads back the same, also
// through Flush alone when only one frame was read.
TEST_F(FrameReaderTest, ReadsAHiddenWindow)
{
    constexpr int width = k_GlTestContext::k_Width, height = k_GlTestContext::k_Height;
    k_GlTestContext::MakeCurrent();
    std::vector<Delivered> delivered;
    k_FrameReader reader(width, height, [&](int64_t tag, const uint8_t* rows) {
        delivered.push_back({tag, std::vector<uint8_t>(rows, rows + static_cast<size_t>(width) * height * 3)});
    });
    const uint8_t lower[3] = {10, 20, 30}, upper[3] = {200, 100, 50};
    DrawHalves(width, height, lower, upper);
    reader.Read(3);
    EXPECT_TRUE(delivered.empty());
    reader.Flush();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].tag, 3);
    EXPECT_EQ(Pixel(delivered[0].rows, width, 5, 5), std::vector<uint8_t>({200, 100, 50}));
    EXPECT_EQ(Pixel(delivered[0].rows, width, 5, height - 5), std::vector<uint8_t>({10, 20, 30}));
}
