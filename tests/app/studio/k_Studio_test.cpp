#include "app/studio/k_Studio.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// A second picture of the same demo time (after an edit) is kept beside the first, never over it.
TEST(Studio, PicturesOfTheSameTimeAreAllKept)
{
    const fs::path folder = fs::temp_directory_path() / ("orvelant_shots_" + std::to_string(getpid()));
    struct Case
    {
        std::vector<std::string> there;
        std::string saved;
    } const cases[] = {
        {{}, "frame_040.000.png"},
        {{"frame_040.000.png"}, "frame_040.000-2.png"},
        {{"frame_040.000.png", "frame_040.000-2.png"}, "frame_040.000-3.png"},
        {{"frame_040.000-2.png"}, "frame_040.000.png"},
        {{"frame_041.000.png"}, "frame_040.000.png"},
    };
    for (const Case& c : cases)
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const std::string& name : c.there)
            std::ofstream(folder / name) << "picture";
        EXPECT_EQ(k_Studio::ShotPath(folder, 40.0), folder / c.saved) << c.saved;
    }
    fs::remove_all(folder);
}
