#include "app/studio/k_StudioSources.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

// The studio serves the build's assets folder by itself only from the build folder the program was put in;
// anywhere else, or with the folder gone, it serves none and says why.
TEST(k_StudioSourcesTest, TheBuildsAssetsAreTheDefaultOnlyFromTheBuildFolder)
{
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("orvelant_sources_" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "build" / "bin");
    std::filesystem::create_directories(root / "assets");
    std::filesystem::create_directories(root / "usr" / "lib");
    const std::string bin = (root / "build" / "bin").string();
    const std::string assets = (root / "assets").string();
    struct Case
    {
        std::string running;
        std::string assets;
        std::string programFolder;
        std::string folder;
        std::string reason; // a part of it
    } cases[] = {
        {bin, assets, bin, assets, ""},
        // The same folder named another way is still the build folder.
        {(root / "build" / "." / "bin").string(), assets, bin, assets, ""},
        {(root / "usr" / "lib").string(), assets, bin, "", "does not run from its build folder " + bin},
        {bin, (root / "gone").string(), bin, "", (root / "gone").string() + " is not there"},
        {bin, "", "", "", "named no assets folder"},
    };
    for (const Case& c : cases)
    {
        k_StudioSources sources;
        sources.assets = c.assets;
        sources.programFolder = c.programFolder;
        const k_StudioSources::Choice choice = sources.DefaultAssets(c.running);
        EXPECT_EQ(choice.folder, c.folder) << c.running;
        if (c.reason.empty())
            EXPECT_EQ(choice.reason, "") << c.running;
        else
            EXPECT_NE(choice.reason.find(c.reason), std::string::npos) << choice.reason;
    }
    std::filesystem::remove_all(root);
}
