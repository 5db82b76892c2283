#include "app/studio/k_StudioOptions.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
std::string Parse(k_StudioOptions& options, const std::vector<std::string>& arguments)
{
    return options.Parse(arguments);
}
} // namespace

TEST(k_StudioOptionsTest, ValuesAreReadAndCheckedWithAMessageThatSaysWhatIsWrong)
{
    k_StudioOptions options;
    const std::string folder = std::filesystem::temp_directory_path().string();
    ASSERT_EQ(Parse(options, {"--size", "960x540", "--at", "150", "--loop", "27", "76.6", "--assets", folder,
                              "--quit-at", "151.5"}),
              "");
    EXPECT_EQ(options.width, 960);
    EXPECT_EQ(options.height, 540);
    EXPECT_EQ(options.at, 150.0);
    EXPECT_TRUE(options.loop);
    EXPECT_EQ(options.loopFrom, 27.0);
    EXPECT_EQ(options.loopTo, 76.6);
    EXPECT_EQ(options.assets, folder);
    EXPECT_EQ(options.quitAt, 151.5);

    k_StudioOptions defaults;
    ASSERT_EQ(Parse(defaults, {}), "");
    EXPECT_EQ(defaults.width, 1280);
    EXPECT_EQ(defaults.height, 720);
    EXPECT_EQ(defaults.at, 0.0);
    EXPECT_FALSE(defaults.loop);
    EXPECT_LT(defaults.quitAt, 0.0);
    EXPECT_TRUE(defaults.overlay);
    EXPECT_FALSE(defaults.overlayCost);
    k_StudioOptions plain;
    ASSERT_EQ(Parse(plain, {"--no-overlay"}), "");
    EXPECT_FALSE(plain.overlay);
    k_StudioOptions timed;
    ASSERT_EQ(Parse(timed, {"--overlay-cost"}), "");
    EXPECT_TRUE(timed.overlay && timed.overlayCost);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--size", "960"}, "--size 960"},
        {{"--size", "0x540"}, "--size 0x540"},
        {{"--size"}, "--size needs"},
        {{"--at", "-1"}, "--at needs"},
        {{"--at", "1,5"}, "--at needs"},
        {{"--loop", "10"}, "--loop needs"},
        {{"--loop", "10", "5"}, "B must come after A"},
        {{"--assets", "/no/such/folder"}, "no such folder"},
        {{"--assets", folder, "--no-assets"}, "exclude each other"},
        {{"--no-overlay", "--overlay-cost"}, "--overlay-cost and --no-overlay exclude each other"},
        {{"--wobble"}, "unknown option: --wobble"},
        {{"--sync", "70000"}, "--sync 70000: give the sync editor's port"},
        {{"--sync", ":1338"}, "--sync :1338"},
        {{"--sync", "host:port"}, "--sync host:port"},
    };
    for (const auto& [arguments, message] : refused)
    {
        k_StudioOptions refusing;
        EXPECT_NE(Parse(refusing, arguments).find(message), std::string::npos) << arguments.front();
    }
    // The sync editor's address: optional, a port alone, or a host (IPv6 in brackets) and a port.
    k_StudioOptions sync;
    ASSERT_EQ(Parse(sync, {"--sync", "--at", "3"}), "");
    EXPECT_TRUE(sync.sync);
    EXPECT_EQ(sync.syncHost + ":" + std::to_string(sync.syncPort), "127.0.0.1:1338");
    EXPECT_EQ(sync.at, 3.0);
    ASSERT_EQ(Parse(sync, {"--sync", "[::1]:4000"}), "");
    EXPECT_EQ(sync.syncHost + " " + std::to_string(sync.syncPort), "::1 4000");
    ASSERT_EQ(Parse(sync, {"--sync", "9000"}), "");
    EXPECT_EQ(sync.syncHost + " " + std::to_string(sync.syncPort), "::1 9000");

    k_StudioOptions help;
    EXPECT_EQ(Parse(help, {"--wobble", "--help"}), "");
    EXPECT_TRUE(help.help);
    EXPECT_EQ(k_StudioOptions::Usage("mydemo --studio").rfind("Usage: mydemo --studio [options]\n", 0), 0u);
    EXPECT_NE(k_StudioOptions::Usage("x").find("Page Up / Down"), std::string::npos);
    EXPECT_NE(k_StudioOptions::Usage("x").find("Tab             show / hide the timeline strip"), std::string::npos);
}
