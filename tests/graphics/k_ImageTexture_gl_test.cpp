#include "graphics/k_JpegTexture.h"
#include "graphics/k_PngTexture.h"
#include "interfaces/IResourceFactory.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <memory>
#include <png.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace
{
class TextureTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
    }

    ITexture* Create(const std::string& name, const std::string& bytes)
    {
        engine->WriteFile(name, bytes);
        const std::wstring wide(name.begin(), name.end());
        return engine->GetResourceFactory()->CreateTexture(wide, wide);
    }

    // Level 0 of the texture as GL holds it, in the given format, rows in upload order.
    static std::vector<uint8_t> Read(ITexture* texture, GLenum format, int width, int height, int level = 0)
    {
        texture->Bind(0);
        const int components = format == GL_RGBA ? 4 : 3;
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * components);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    static GLint Level0(GLenum parameter)
    {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
        return value;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
};

// Two rows: red on top, blue below.
const std::vector<uint8_t> k_RedOverBlue = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
} // namespace

// --- row order and formats ---

TEST_F(TextureTest, PngArrivesBottomRowFirstAndJpegTopRowFirst)
{
    ITexture* png = Create("Images/stripes.png", k_TestImages::Png(2, 2, PNG_COLOR_TYPE_RGB, 8, k_RedOverBlue));
    ITexture* jpeg = Create("Images/stripes.jpg", k_TestImages::Jpeg(2, 2, k_RedOverBlue, 100));
    ASSERT_NE(png, nullptr);
    ASSERT_NE(jpeg, nullptr);

    const auto fromPng = Read(png, GL_RGB, 2, 2);
    EXPECT_EQ(Level0(GL_TEXTURE_INTERNAL_FORMAT), 3); // uploaded as three components
    EXPECT_EQ(std::vector<uint8_t>(fromPng.begin(), fromPng.begin() + 3), (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ(std::vector<uint8_t>(fromPng.begin() + 6, fromPng.begin() + 9), (std::vector<uint8_t>{255, 0, 0}));

    const auto fromJpeg = Read(jpeg, GL_RGB, 2, 2);
    EXPECT_GT(fromJpeg[0], 200); // red first (lossy, so not exact)
    EXPECT_LT(fromJpeg[2], 60);
    EXPECT_GT(fromJpeg[8], 200); // then blue
    EXPECT_LT(fromJpeg[6], 60);

    for (ITexture* texture : {png, jpeg})
    {
        EXPECT_EQ(texture->GetWidth(), 2);
        EXPECT_EQ(texture->GetHeight(), 2);
        EXPECT_EQ(texture->GetFormat(), 2);
        EXPECT_TRUE(texture->HasMipmaps());
        texture->Bind(0);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
        // A full chain: a 2x2 image has a 1x1 level.
        GLint lastLevel = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &lastLevel);
        EXPECT_EQ(lastLevel, 1);
    }
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(TextureTest, OddWidthsAndNonPowerOfTwoSizesKeepTheDecodedSize)
{
    // 3 RGB pixels a row: 9 bytes, not a multiple of four.
    std::vector<uint8_t> rows(3 * 3 * 2);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<uint8_t>(i * 10);
    ITexture* odd = Create("odd.png", k_TestImages::Png(3, 2, PNG_COLOR_TYPE_RGB, 8, rows));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->GetWidth(), 3);
    EXPECT_EQ(odd->GetHeight(), 2);
    // The builder rescales to a power of two; the colours of the corners survive in order.
    odd->Bind(0);
    const GLint width = Level0(GL_TEXTURE_WIDTH);
    const GLint height = Level0(GL_TEXTURE_HEIGHT);
    EXPECT_EQ(width & (width - 1), 0);
    EXPECT_EQ(height & (height - 1), 0);

    ITexture* wide = Create("wide.jpg", k_TestImages::Jpeg(300, 200, std::vector<uint8_t>(300 * 200 * 3, 128)));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetWidth(), 300);
    EXPECT_EQ(wide->GetHeight(), 200);
}

// RGB rows whose length is not a multiple of four arrive unskewed, whatever unpack alignment the caller had
// set, and that alignment is left as it was.
TEST_F(TextureTest, OddLengthRgbRowsArriveUnskewed)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    // One pixel a row (3 bytes), top first: red, green, blue, white.
    const std::vector<uint8_t> column = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    ITexture* narrow = Create("narrow.png", k_TestImages::Png(1, 4, PNG_COLOR_TYPE_RGB, 8, column));
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(Read(narrow, GL_RGB, 1, 4), (std::vector<uint8_t>{255, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0}));

    // 6 x 5 pixels (18 bytes a row), rescaled to powers of two: dark on the left, bright on the right, the same
    // in every row. Skewed rows would shift the edge from row to row.
    std::vector<uint8_t> halves(6 * 5 * 3);
    for (size_t i = 0; i < halves.size(); ++i)
        halves[i] = (i % 18) < 9 ? 10 : 240;
    ITexture* wide = Create("halves.png", k_TestImages::Png(6, 5, PNG_COLOR_TYPE_RGB, 8, halves));
    ASSERT_NE(wide, nullptr);
    wide->Bind(0);
    const GLint width = Level0(GL_TEXTURE_WIDTH);
    const GLint height = Level0(GL_TEXTURE_HEIGHT);
    ASSERT_GT(width, 1);
    const std::vector<uint8_t> texels = Read(wide, GL_RGB, width, height);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (GLint row = 0; row < height; ++row)
    {
        const auto first = texels.begin() + static_cast<std::ptrdiff_t>(row * stride);
        EXPECT_EQ(std::vector<uint8_t>(first, first + static_cast<std::ptrdiff_t>(stride)),
                  std::vector<uint8_t>(texels.begin(), texels.begin() + static_cast<std::ptrdiff_t>(stride)))
            << "row " << row;
        EXPECT_NEAR(first[0], 10, 1);
        EXPECT_NEAR(first[static_cast<std::ptrdiff_t>(stride) - 1], 240, 1);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(TextureTest, PngConversions)
{
    // Grey with alpha becomes RGBA.
    const std::vector<uint8_t> greyAlpha = {200, 100, 50, 255};
    ITexture* ga = Create("ga.png", k_TestImages::Png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, greyAlpha));
    ASSERT_NE(ga, nullptr);
    EXPECT_EQ(Read(ga, GL_RGBA, 2, 1), (std::vector<uint8_t>{200, 200, 200, 100, 50, 50, 50, 255}));
    EXPECT_EQ(Level0(GL_TEXTURE_INTERNAL_FORMAT), 4);

    // A palette without transparency becomes RGB, with a tRNS chunk RGBA.
    const std::vector<uint8_t> palette = {10, 20, 30, 40, 50, 60};
    ITexture* indexed = Create("p.png", k_TestImages::Png(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette));
    ASSERT_NE(indexed, nullptr);
    EXPECT_EQ(Read(indexed, GL_RGB, 2, 1), (std::vector<uint8_t>{40, 50, 60, 10, 20, 30}));
    EXPECT_EQ(Level0(GL_TEXTURE_INTERNAL_FORMAT), 3); // uploaded as three components
    ITexture* seeThrough =
        Create("pt.png", k_TestImages::Png(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette, {128, 255}));
    ASSERT_NE(seeThrough, nullptr);
    EXPECT_EQ(Read(seeThrough, GL_RGBA, 2, 1), (std::vector<uint8_t>{40, 50, 60, 255, 10, 20, 30, 128}));

    // 16-bit samples are cut to 8.
    const std::vector<uint8_t> deep = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF};
    ITexture* sixteen = Create("16.png", k_TestImages::Png(1, 1, PNG_COLOR_TYPE_RGB, 16, deep));
    ASSERT_NE(sixteen, nullptr);
    EXPECT_EQ(Read(sixteen, GL_RGB, 1, 1), (std::vector<uint8_t>{0x12, 0xAB, 0xFF}));

    // Plain grey stays one channel and is refused; so is low-bit-depth grey.
    EXPECT_EQ(Create("g.png", k_TestImages::Png(2, 1, PNG_COLOR_TYPE_GRAY, 8, {1, 2})), nullptr);
    EXPECT_EQ(Create("g1.png", k_TestImages::Png(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA5})), nullptr);
}

TEST_F(TextureTest, GreyJpegConvertsToRgb)
{
    ITexture* grey = Create("grey.jpg", k_TestImages::GreyJpeg(2, 1, {0, 255}, 100));
    ASSERT_NE(grey, nullptr);
    const auto pixels = Read(grey, GL_RGB, 2, 1);
    EXPECT_LT(pixels[0], 20);
    EXPECT_EQ(pixels[0], pixels[1]);
    EXPECT_GT(pixels[3], 235);
}

// --- damaged files ---

TEST_F(TextureTest, DamagedImagesYieldNullAndTheShowGoesOn)
{
    const std::string png = k_TestImages::Png(2, 2, PNG_COLOR_TYPE_RGB, 8, k_RedOverBlue);
    const std::string jpeg = k_TestImages::Jpeg(16, 16, std::vector<uint8_t>(16 * 16 * 3, 77));
    testing::internal::CaptureStdout();
    int made = 0;
    // Every truncation, and a flipped byte in every position past the signature.
    for (size_t cut = 0; cut < png.size(); ++cut)
        made += Create("cut" + std::to_string(cut) + ".png", png.substr(0, cut)) != nullptr;
    for (size_t at = 8; at < png.size(); ++at)
    {
        std::string damaged = png;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        made += Create("flip" + std::to_string(at) + ".png", damaged) != nullptr;
    }
    for (size_t cut = 0; cut < jpeg.size(); cut += 7)
        made += Create("cut" + std::to_string(cut) + ".jpg", jpeg.substr(0, cut)) != nullptr;
    // Cut inside the picture data, even by one byte: the decoder would only warn and fill the missing rows
    // with grey.
    std::vector<uint8_t> noise(64 * 64 * 3);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 37);
    const std::string picture = k_TestImages::Jpeg(64, 64, noise);
    ASSERT_NE(Create("whole.jpg", picture), nullptr);
    EXPECT_EQ(Create("half.jpg", picture.substr(0, picture.size() / 2)), nullptr);
    EXPECT_EQ(Create("lastbyte.jpg", picture.substr(0, picture.size() - 3)), nullptr);
    EXPECT_EQ(Create("empty.jpg", ""), nullptr);
    EXPECT_EQ(Create("text.jpg", "not a picture"), nullptr);
    EXPECT_EQ(Create("text.png", "\x89PNG\r\n\x1a\n and then nonsense"), nullptr);
    const std::string log = testing::internal::GetCapturedStdout();
    // Only damage to ancillary or unchecked bytes may still decode; the truncated ones never do.
    EXPECT_LT(made, 10);
    EXPECT_NE(log.find("Cannot load texture text.jpg: "), std::string::npos) << log.substr(0, 2000);
    EXPECT_NE(log.find("Cannot load texture text.png: "), std::string::npos);
    // The factory still works afterwards.
    EXPECT_NE(Create("fine.png", png), nullptr);
}

// A file whose picture data is complete but whose end marker is missing (a writer that stopped one
// step short) keeps its texture, pixel for pixel the same as the whole file's; one more byte short and
// it is refused.
TEST_F(TextureTest, JpegLackingOnlyItsEndMarkerKeepsItsTexture)
{
    for (int side : {8, 16, 32, 64})
        for (int pattern : {0, 53, 7})
        {
            std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 3);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = static_cast<uint8_t>(pattern == 0 ? 90 : i * pattern);
            const std::string picture = k_TestImages::Jpeg(side, side, pixels);
            const std::string name = std::to_string(side) + "-" + std::to_string(pattern);
            SCOPED_TRACE(name);
            ASSERT_EQ(picture.substr(picture.size() - 2), "\xFF\xD9");
            testing::internal::CaptureStdout();
            ITexture* whole = Create(name + "whole.jpg", picture);
            ITexture* noEnd = Create(name + "noend.jpg", picture.substr(0, picture.size() - 2));
            ITexture* halfMarker = Create(name + "halfend.jpg", picture.substr(0, picture.size() - 1));
            const std::string log = testing::internal::GetCapturedStdout();
            ASSERT_NE(whole, nullptr);
            ASSERT_NE(noEnd, nullptr) << log;
            ASSERT_NE(halfMarker, nullptr) << log;
            EXPECT_EQ(Read(noEnd, GL_RGB, side, side), Read(whole, GL_RGB, side, side));
            EXPECT_EQ(Read(halfMarker, GL_RGB, side, side), Read(whole, GL_RGB, side, side));
            // Any of the last picture bytes missing as well: refused.
            testing::internal::CaptureStdout();
            int made = 0;
            for (size_t cut = picture.size() - 3; cut + 20 > picture.size(); --cut)
                made += Create(name + "cut" + std::to_string(cut) + ".jpg", picture.substr(0, cut)) != nullptr;
            testing::internal::GetCapturedStdout();
            EXPECT_EQ(made, 0);
        }
}

TEST_F(TextureTest, HugeDeclaredSizeIsRefusedBeforeAllocating)
{
    std::string png = k_TestImages::Png(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3});
    // IHDR width at offset 16, big-endian; the CRC no longer matches, so patch it too.
    png[16] = 0x00, png[17] = 0x10, png[18] = 0x00, png[19] = 0x00; // 1048576 pixels wide
    const uint32_t crc =
        static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(png.data() + 12), 17));
    png[29] = static_cast<char>(crc >> 24), png[30] = static_cast<char>(crc >> 16);
    png[31] = static_cast<char>(crc >> 8), png[32] = static_cast<char>(crc);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Create("huge.png", png), nullptr);
    testing::internal::GetCapturedStdout();
}

TEST_F(TextureTest, BindActivatesTheUnitAndEnablesTexturing)
{
    ITexture* png = Create("b.png", k_TestImages::Png(2, 2, PNG_COLOR_TYPE_RGB, 8, k_RedOverBlue));
    ASSERT_NE(png, nullptr);
    png->Bind(3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), dynamic_cast<k_TextureBase*>(png)->GetName());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
}
