// Each example program, run as a user would with --shot, writes a frame
// that shows its feature where the camera looks.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba; // top row first

    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    // Pixels of the rectangle whose colour differs from the background by more than a little.
    int CountDifferent(int x0, int y0, int x1, int y1, const uint8_t* background) const
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const uint8_t* p = At(x, y);
                const int d =
                    std::abs(p[0] - background[0]) + std::abs(p[1] - background[1]) + std::abs(p[2] - background[2]);
                count += d > 30 ? 1 : 0;
            }
        return count;
    }
};

// Runs the example with --shot and reads its picture back.
Picture Shot(const std::string& example, double seconds)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("orvelant_" + example + "_" + std::to_string(getpid()) + ".png");
    const std::string command =
        "./orvelant_example_" + example + " --shot " + std::to_string(seconds) + " " + file.string() + " > /dev/null";
    const int status = std::system(command.c_str());
    Picture picture;
    EXPECT_EQ(status, 0) << command;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
    {
        ADD_FAILURE() << "no picture from " << command;
        return picture;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr));
    std::filesystem::remove(file);
    return picture;
}
} // namespace

TEST(Examples, BillboardsShowTheGlowingHeartAndSparksAroundIt)
{
    const Picture p = Shot("billboards", 3.0);
    ASSERT_EQ(p.width, 960);
    ASSERT_EQ(p.height, 540);
    // The big warm glow at the centre, where the camera looks.
    const uint8_t* heart = p.At(480, 270);
    EXPECT_GT(heart[0], 150);
    EXPECT_GT(heart[0], heart[2]);
    // Sparks scattered over the frame away from the heart.
    const uint8_t background[3] = {4, 3, 10};
    EXPECT_GT(p.CountDifferent(0, 0, 300, 540, background), 500);
    EXPECT_GT(p.CountDifferent(660, 0, 960, 540, background), 500);
}

TEST(Examples, MetaballsShowALitSurfaceInTheMiddle)
{
    const Picture p = Shot("metaballs", 4.0);
    ASSERT_EQ(p.width, 960);
    const uint8_t background[3] = {8, 9, 15};
    const int middle = p.CountDifferent(280, 70, 680, 470, background);
    EXPECT_GT(middle, 8000);
    // Nothing outside the box's reach.
    EXPECT_EQ(p.CountDifferent(0, 0, 120, 540, background), 0);
}

TEST(Examples, SkinnedTubeStandsBentInTheMiddle)
{
    const Picture p = Shot("skinned_tube", 2.5);
    ASSERT_EQ(p.width, 960);
    const uint8_t background[3] = {15, 13, 20};
    // Without the bone matrices every vertex would collapse and nothing would be drawn.
    EXPECT_GT(p.CountDifferent(280, 20, 680, 520, background), 12000);
    EXPECT_EQ(p.CountDifferent(0, 0, 100, 100, background), 0);
}

TEST(Examples, ExtrudedTextSpansTheMiddleOfTheFrame)
{
    const Picture p = Shot("extruded_text", 1.5);
    ASSERT_EQ(p.width, 960);
    const uint8_t background[3] = {13, 11, 18};
    // The word runs across the middle: letters at its left and right ends, nothing above or below it.
    EXPECT_GT(p.CountDifferent(200, 200, 400, 340, background), 2000);
    EXPECT_GT(p.CountDifferent(560, 200, 760, 340, background), 2000);
    EXPECT_EQ(p.CountDifferent(0, 0, 960, 80, background), 0);
    EXPECT_EQ(p.CountDifferent(0, 470, 960, 540, background), 0);
}
