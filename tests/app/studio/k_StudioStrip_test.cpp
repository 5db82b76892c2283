#include "app/studio/k_StudioStrip.h"
#include "demo/k_ShowFile.h"

#include <gtest/gtest.h>
#include <imgui.h>

namespace
{
// A GUI context of the test's own, without a window or a renderer: frames are laid out, never drawn.
class GuiFrames
{
public:
    GuiFrames() : m_context(ImGui::CreateContext())
    {
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DeltaTime = 1.0f / 60.0f;
        unsigned char* pixels = nullptr;
        int width = 0;
        int height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    }
    ~GuiFrames() { ImGui::DestroyContext(m_context); }
    GuiFrames(const GuiFrames&) = delete;
    GuiFrames& operator=(const GuiFrames&) = delete;

    // One frame on a display of the size given, with the strip drawn in it.
    std::optional<double> Draw(k_StudioStrip& strip, const k_ShowFile& show, float width, float height)
    {
        ImGui::GetIO().DisplaySize = ImVec2(width, height);
        ImGui::NewFrame();
        const std::optional<double> jump = strip.Draw(show, {4.0, false, 0.0, 0.0}, {});
        ImGui::Render();
        return jump;
    }

private:
    ImGuiContext* m_context;
};
} // namespace

// On a low display the captions share fewer rows, then the rows shrink; the strip never covers more than its
// share of the display.
TEST(StudioStrip, FitsTheDisplaysHeight)
{
    struct Case
    {
        int captionRows;
        float displayHeight;
        int rows;
        float scale;
        float height;
    } const cases[] = {
        {8, 1080.0f, 8, 1.0f, 178.0f}, // full size: every row
        {3, 1080.0f, 3, 1.0f, 123.0f},
        {8, 270.0f, 1, 1.0f, 101.0f},          // the captions share one row
        {3, 180.0f, 1, 72.0f / 101.0f, 72.0f}, // then the rows shrink
        {1, 90.0f, 1, 36.0f / 101.0f, 36.0f},
        {1, 0.0f, 1, 0.0f, 0.0f}, // no room: nothing
        {12, 2160.0f, k_StudioStrip::MaxCaptionRows, 1.0f, 178.0f},
    };
    for (const Case& c : cases)
    {
        const k_StudioStrip::Layout layout = k_StudioStrip::Fit(c.captionRows, c.displayHeight);
        EXPECT_EQ(layout.captionRows, c.rows) << c.captionRows << " rows on " << c.displayHeight;
        EXPECT_FLOAT_EQ(layout.scale, c.scale) << c.captionRows << " rows on " << c.displayHeight;
        EXPECT_FLOAT_EQ(layout.height, c.height) << c.captionRows << " rows on " << c.displayHeight;
    }
}

// Any display, a minimised window's 0 x 0 among them, is drawn on or passed over safely (the GUI aborts on an
// empty button), and a drag under way ends when the strip has no room.
TEST(StudioStrip, DrawsOnAnyDisplaySize)
{
    const k_ShowFile show("length 16\ntempo 1 0 bpm 120\nsection one 0\nsection two 4:1\n"
                          "caption a.png 1 3 in alpha 0.5 out alpha 0.5 at 0 0 1\n"
                          "caption b.png 2 3 in alpha 0.5 out alpha 0.5 at 0 0 1\n",
                          "Show.txt", k_ShowFile::Vocabulary::Any());
    ASSERT_TRUE(show.IsValid());
    GuiFrames frames;
    k_StudioStrip strip;
    struct Case
    {
        float width, height;
        bool drawn;
    } const cases[] = {{960.0f, 540.0f, true}, {0.0f, 0.0f, false},   {0.0f, 540.0f, false}, {960.0f, 0.0f, false},
                       {1.0f, 1.0f, false},    {160.0f, 90.0f, true}, {1.0f, 540.0f, true},  {960.0f, 2.0f, false}};
    for (const Case& c : cases)
    {
        frames.Draw(strip, show, c.width, c.height);
        EXPECT_EQ(strip.GetHeight() > 0.0f, c.drawn) << c.width << " x " << c.height;
        EXPECT_LE(strip.GetHeight(), c.height * k_StudioStrip::MaxShare) << c.width << " x " << c.height;
    }

    // A press on the strip holds its cursor; a display without room lets go of it.
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(480.0f, 530.0f);
    EXPECT_FALSE(frames.Draw(strip, show, 960.0f, 540.0f).has_value());
    io.MouseDown[0] = true;
    EXPECT_TRUE(frames.Draw(strip, show, 960.0f, 540.0f).has_value());
    EXPECT_TRUE(strip.IsScrubbing());
    frames.Draw(strip, show, 0.0f, 0.0f);
    EXPECT_FALSE(strip.IsScrubbing());
}
