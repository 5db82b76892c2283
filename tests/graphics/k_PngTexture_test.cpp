#include "graphics/k_PngTexture.h"
#include "support/k_TestImages.h"
#include "support/k_UsageProbe.h"

#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace
{
// The header chunk with its width and height replaced and its CRC made valid again.
std::string WithSize(std::string png, uint32_t width, uint32_t height)
{
    const size_t type = png.find("IHDR");
    for (int i = 0; i < 4; ++i)
    {
        png[type + 4 + i] = static_cast<char>(width >> (24 - 8 * i));
        png[type + 8 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + type), 17);
    for (int i = 0; i < 4; ++i)
        png[type + 17 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return png;
}
} // namespace

TEST(k_PngTextureTest, HugeSidesAndAreasAreRefusedFromTheHeaderCheaply)
{
    const std::string small = k_TestImages::Png(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, std::vector<uint8_t>(16, 7));
    struct Case
    {
        std::string file;
        const char* message;
    };
    const Case cases[] = {
        {WithSize(small, 20000, 20000), "Unsupported PNG: 20000 x 20000 pixels (at most 16384 a side"},
        {WithSize(small, 8192, 8192), "Unsupported PNG: 8192 x 8192 pixels"},
        {WithSize(small, 3000000, 1), "Cannot decode PNG: "}, // past libpng's own limit
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        k_ImageTexture::Image image;
        std::string log;
        const wchar_t* thrown = nullptr;
        const k_UsageProbe::Usage usage = k_UsageProbe::Measure([&] {
            testing::internal::CaptureStdout();
            try
            {
                k_PngTexture::Decode(reinterpret_cast<const unsigned char*>(c.file.data()), c.file.size(), image);
            }
            catch (const wchar_t* message)
            {
                thrown = message;
            }
            log = testing::internal::GetCapturedStdout();
        });
        EXPECT_NE(thrown, nullptr);
        EXPECT_NE(log.find(c.message), std::string::npos) << log;
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_LT(usage.cpuSeconds, 0.5);
        EXPECT_LT(usage.peakResidentMb, 256.0);
    }

    // Within the limits the same header decodes (and fails only for its missing rows).
    k_ImageTexture::Image image;
    const std::string larger = WithSize(small, 64, 64);
    testing::internal::CaptureStdout();
    EXPECT_ANY_THROW(k_PngTexture::Decode(reinterpret_cast<const unsigned char*>(larger.data()), larger.size(), image));
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Unsupported"), std::string::npos);
    k_PngTexture::Decode(reinterpret_cast<const unsigned char*>(small.data()), small.size(), image);
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.components, 4);
    EXPECT_EQ(image.pixels, std::vector<uint8_t>(16, 7));
}
