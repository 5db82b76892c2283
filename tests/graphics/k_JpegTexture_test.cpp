#include "graphics/k_JpegTexture.h"
#include "support/k_TestImages.h"
#include "support/k_UsageProbe.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct Outcome
{
    bool refused = false;
    std::string log;
    k_ImageTexture::Image image;
    k_UsageProbe::Usage usage;
};

Outcome DecodeJpeg(const std::string& file)
{
    Outcome outcome;
    outcome.usage = k_UsageProbe::Measure([&] {
        testing::internal::CaptureStdout();
        try
        {
            k_JpegTexture::Decode(reinterpret_cast<const unsigned char*>(file.data()), file.size(), outcome.image);
        }
        catch (const wchar_t*)
        {
            outcome.refused = true;
        }
        outcome.log = testing::internal::GetCapturedStdout();
    });
    return outcome;
}

// The frame header (SOF0 or SOF2) with its height and width replaced.
std::string WithSize(std::string jpeg, unsigned width, unsigned height)
{
    size_t frame = jpeg.find("\xff\xc0");
    if (frame == std::string::npos)
        frame = jpeg.find("\xff\xc2");
    jpeg[frame + 5] = static_cast<char>(height >> 8);
    jpeg[frame + 6] = static_cast<char>(height);
    jpeg[frame + 7] = static_cast<char>(width >> 8);
    jpeg[frame + 8] = static_cast<char>(width);
    return jpeg;
}
} // namespace

TEST(k_JpegTextureTest, HugeSidesAndAreasAreRefusedFromTheHeaderCheaply)
{
    const std::string small = k_TestImages::Jpeg(8, 8, std::vector<uint8_t>(8 * 8 * 3, 50));
    const std::string progressive = k_TestImages::ProgressiveJpeg(8, 8, std::vector<uint8_t>(8 * 8 * 3, 50));
    struct Case
    {
        std::string file;
        const char* message;
    };
    const Case cases[] = {
        {WithSize(small, 65000, 65000), "Unsupported JPEG: 65000 x 65000 pixels (at most 16384 a side"},
        {WithSize(small, 16384, 1200), "Unsupported JPEG: 16384 x 1200 pixels"},
        {WithSize(progressive, 9000, 9000), "Unsupported JPEG: 9000 x 9000 pixels"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        const Outcome outcome = DecodeJpeg(c.file);
        EXPECT_TRUE(outcome.refused);
        EXPECT_NE(outcome.log.find(c.message), std::string::npos) << outcome.log;
        EXPECT_TRUE(outcome.image.pixels.empty());
        EXPECT_LT(outcome.usage.cpuSeconds, 0.5);
        EXPECT_LT(outcome.usage.peakResidentMb, 256.0);
    }
}

TEST(k_JpegTextureTest, ThousandsOfScansAreRefusedWhileOrdinaryProgressiveFilesDecode)
{
    const Outcome hostile = DecodeJpeg(k_TestImages::ManyScanJpeg(5000));
    EXPECT_TRUE(hostile.refused);
    EXPECT_NE(hostile.log.find("Cannot decode JPEG: more than 500 scans"), std::string::npos) << hostile.log;
    EXPECT_LT(hostile.usage.cpuSeconds, 0.5);
    EXPECT_LT(hostile.usage.peakResidentMb, 256.0);

    // Repeated scans below the limit are only unusual: the picture still decodes.
    EXPECT_FALSE(DecodeJpeg(k_TestImages::ManyScanJpeg(400)).refused);

    std::vector<uint8_t> rgb(24 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i % 3 == 0 ? 220 : 30);
    const Outcome ordinary = DecodeJpeg(k_TestImages::ProgressiveJpeg(24, 16, rgb));
    ASSERT_FALSE(ordinary.refused) << ordinary.log;
    EXPECT_EQ(ordinary.image.width, 24);
    EXPECT_EQ(ordinary.image.height, 16);
    EXPECT_EQ(ordinary.image.components, 3);
    ASSERT_EQ(ordinary.image.pixels.size(), 24u * 16 * 3);
    EXPECT_GT(ordinary.image.pixels[0], 180); // red stays red
    EXPECT_LT(ordinary.image.pixels[1], 80);
}
