#include "app/k_SetupDialog.h"

#include <gtest/gtest.h>

namespace
{
const std::vector<std::pair<int, int>> k_Modes = {{1920, 1200}, {1024, 768}, {1024, 768},  {1280, 1024},
                                                  {800, 600},   {1280, 720}, {1920, 1080}, {1280, 960}};

struct Opened
{
    SetupSettings settings;
    k_SetupDialog dialog{settings};
    Opened(int desktopWidth, int desktopHeight) { dialog.Initialize(k_Modes, desktopWidth, desktopHeight); }
};
} // namespace

// Repeated modes (other depth or refresh) collapse; widths then heights ascend; the desktop's is preselected.
TEST(k_SetupDialog, ResolutionListIsSortedWithoutRepeatsAndPreselectsTheDesktop)
{
    Opened opened(1920, 1200);
    const std::vector<std::string> expected = {"800x600",   "1024x768",  "1280x720", "1280x960",
                                               "1280x1024", "1920x1080", "1920x1200"};
    EXPECT_EQ(opened.dialog.GetResolutions(), expected);
    EXPECT_EQ(opened.dialog.GetResolutionSelection(), 6);
    EXPECT_EQ(opened.dialog.GetAspectRatios(), (std::vector<std::string>{"4:3", "5:4", "16:9", "16:10"}));
    EXPECT_EQ(opened.dialog.GetAspectRatioSelection(), 3); // 16:10
    EXPECT_TRUE(opened.dialog.IsFullscreenChecked());

    Opened unlisted(1366, 768);
    EXPECT_EQ(unlisted.dialog.GetResolutionSelection(), -1);
}

TEST(k_SetupDialog, DesktopAspectRatioIsMatchedWithinOneHundredth)
{
    EXPECT_EQ(Opened(1280, 1024).dialog.GetAspectRatioSelection(), 1); // 5:4
    EXPECT_EQ(Opened(1024, 768).dialog.GetAspectRatioSelection(), 0);  // 4:3
    EXPECT_EQ(Opened(1920, 1080).dialog.GetAspectRatioSelection(), 2); // 16:9
    EXPECT_EQ(Opened(1366, 768).dialog.GetAspectRatioSelection(), 2);  // 1.7786 is within 0.01 of 16:9
    EXPECT_EQ(Opened(2560, 1080).dialog.GetAspectRatioSelection(), -1);
    EXPECT_EQ(Opened(0, 0).dialog.GetAspectRatioSelection(), -1); // no desktop size: nothing, no division by 0
}

TEST(k_SetupDialog, ConfirmWritesTheParsedChoices)
{
    Opened opened(1920, 1200);
    EXPECT_TRUE(opened.dialog.HandleCommand(k_SetupDialog::Confirm, "1280x720", "16:9"));
    EXPECT_TRUE(opened.dialog.IsEnded());
    EXPECT_TRUE(opened.settings.start);
    EXPECT_EQ(opened.settings.width, 1280);
    EXPECT_EQ(opened.settings.height, 720);
    EXPECT_EQ(opened.settings.aspectRatio, 1.7777778f);
    EXPECT_TRUE(opened.settings.fullscreen);
    EXPECT_TRUE(opened.dialog.GetRefusal().empty());
}

TEST(k_SetupDialog, FullscreenToggleAndCancel)
{
    Opened opened(1920, 1200);
    EXPECT_TRUE(opened.dialog.HandleCommand(k_SetupDialog::Fullscreen, "", ""));
    EXPECT_FALSE(opened.settings.fullscreen);
    EXPECT_TRUE(opened.dialog.HandleCommand(k_SetupDialog::Fullscreen, "", ""));
    EXPECT_TRUE(opened.settings.fullscreen);
    EXPECT_FALSE(opened.dialog.IsEnded());

    // Notification codes in the high word never match a command.
    EXPECT_FALSE(opened.dialog.HandleCommand(0x00010000u | k_SetupDialog::Fullscreen, "", ""));
    EXPECT_TRUE(opened.settings.fullscreen);

    EXPECT_TRUE(opened.dialog.HandleCommand(k_SetupDialog::Cancel, "1280x720", "16:9"));
    EXPECT_TRUE(opened.dialog.IsEnded());
    EXPECT_FALSE(opened.settings.start);
    EXPECT_EQ(opened.settings.width, -1);
}

// Text that does not parse is refused with a reason; the dialog stays open and nothing is written.
TEST(k_SetupDialog, UnparsableTextIsRefusedAndTheDialogStaysOpen)
{
    const std::pair<const char*, const char*> bad[] = {
        {"", "16:9"},      {"wide", "16:9"},      {"1280", "16:9"},      {"1280x", "16:9"},
        {"0x720", "16:9"}, {"-1280x720", "16:9"}, {"99999x720", "16:9"}, {"99999999999x1", "16:9"},
        {"1280x720", ""},  {"1280x720", "16"},    {"1280x720", "16:0"},  {"1280x720", "-16:9"},
    };
    for (const auto& [resolution, aspect] : bad)
    {
        Opened opened(1920, 1200);
        EXPECT_TRUE(opened.dialog.HandleCommand(k_SetupDialog::Confirm, resolution, aspect));
        EXPECT_FALSE(opened.dialog.IsEnded()) << resolution << " / " << aspect;
        EXPECT_FALSE(opened.settings.start);
        EXPECT_EQ(opened.settings.width, -1);
        EXPECT_FALSE(opened.dialog.GetRefusal().empty());
    }
    Opened opened(1920, 1200);
    opened.dialog.HandleCommand(k_SetupDialog::Confirm, "huge", "16:9");
    EXPECT_NE(opened.dialog.GetRefusal().find("\"huge\""), std::string::npos);
    // A refusal is forgotten once the viewer confirms valid text.
    opened.dialog.HandleCommand(k_SetupDialog::Confirm, " 800x600", "4:3 (old)");
    EXPECT_TRUE(opened.dialog.IsEnded());
    EXPECT_TRUE(opened.dialog.GetRefusal().empty());
    EXPECT_EQ(opened.settings.width, 800);
    EXPECT_EQ(opened.settings.aspectRatio, static_cast<float>(4.0 / 3.0));
}
