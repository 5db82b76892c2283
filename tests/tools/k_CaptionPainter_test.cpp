#include "engine/k_FileSystem.h"
#include "interfaces/IFile.h"
#include "support/k_FakeEngine.h"
#include "tools/captiongen/k_CaptionPainter.h"

#include <gtest/gtest.h>
#include <memory>
#include <png.h>
#include <stdexcept>

// The caption pictures and the logo as the show finds them in the built data.pak, and the painter itself.
namespace
{
const char* const k_Pictures[] = {"time.png",          "it-is-time.png",    "whattime1.png",   "whattime2.png",
                                  "whattime3.png",     "whattime4.png",     "married.png",     "married2.png",
                                  "corin.png",         "goodbye.png",       "gratitude.png",   "Thanks/orm.png",
                                  "Thanks/tz.png",     "Thanks/wendel.png", "Thanks/ux.png",   "Thanks/brannock.png",
                                  "adore.png",         "greet1.png",        "greet2.png",      "greet3.png",
                                  "greet4.png",        "greet5.png",        "greet6.png",      "greet7.png",
                                  "greet8.png",        "greet9.png",        "greet10.png",     "greet11.png",
                                  "greet12.png",       "greet13.png",       "greet14.png",     "function.png",
                                  "were-not-dead.png", "corin-says.png",    "OrvelantLogo.png"};

// Decodes a PNG from the pack into straight RGBA; empty picture when it is missing or broken.
k_CaptionPainter::Picture FromPack(IFileSystem& files, const std::string& name)
{
    k_CaptionPainter::Picture picture;
    std::unique_ptr<IFile> file(files.OpenFile(std::wstring(name.begin(), name.end())));
    if (!file)
        return picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file->GetData(), static_cast<size_t>(file->GetSize())))
        return picture;
    image.format = PNG_FORMAT_RGBA;
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr))
        return {};
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}

class CaptionPicturesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        files = std::make_unique<k_FileSystem>(&engine);
        files->OpenDataPack(L"data.pak");
        testing::internal::GetCapturedStdout();
    }

    k_FakeEngine engine;
    std::unique_ptr<k_FileSystem> files;
};
} // namespace

TEST_F(CaptionPicturesTest, EveryPictureIsPackedWithLightLettersOnTransparency)
{
    for (const char* name : k_Pictures)
    {
        SCOPED_TRACE(name);
        const k_CaptionPainter::Picture picture = FromPack(*files, name);
        ASSERT_EQ(picture.width, 1024);
        ASSERT_GE(picture.height, 100);
        ASSERT_LE(picture.height, 512);
        size_t clear = 0, letters = 0, halo = 0, brightHalo = 0;
        const size_t count = static_cast<size_t>(picture.width) * picture.height;
        for (size_t i = 0; i < count; ++i)
        {
            const uint8_t* p = &picture.rgba[i * 4];
            clear += p[3] == 0;
            letters += p[3] >= 250 && p[0] + p[1] + p[2] >= 3 * 200;
            // The outer glow: faint alpha, but its colour is stored at full strength (not premultiplied).
            if (p[3] >= 8 && p[3] <= 40)
                ++halo, brightHalo += p[2] >= 200;
        }
        EXPECT_GT(clear, count / 4);
        EXPECT_GT(letters, 600u);
        ASSERT_GT(halo, 500u);
        EXPECT_GT(brightHalo, halo * 9 / 10);
        // The border is free: nothing is cut off at the picture's edges.
        for (int x = 0; x < picture.width; ++x)
        {
            EXPECT_EQ(picture.rgba[static_cast<size_t>(x) * 4 + 3], 0) << "top row, x " << x;
            EXPECT_EQ(picture.rgba[(count - picture.width + x) * 4 + 3], 0) << "bottom row, x " << x;
        }
    }
}

TEST_F(CaptionPicturesTest, PainterGivesTheSamePixelsEveryTimeAndRejectsBadMarkup)
{
    // The last caption as the packed manifest gives it, painted again here.
    std::unique_ptr<IFile> manifest(files->OpenFile(L"Captions.txt"));
    ASSERT_NE(manifest, nullptr);
    const auto captions = k_CaptionManifest::Parse(
        std::string(reinterpret_cast<const char*>(manifest->GetData()), static_cast<size_t>(manifest->GetSize())),
        "Captions.txt");
    ASSERT_EQ(captions.size(), 34u);
    const k_Caption& caption = captions.back();
    ASSERT_EQ(caption.name, "corin-says.png");
    const k_CaptionPainter painter;
    const auto first = painter.PaintCaption(caption);
    const auto again = painter.PaintCaption(caption);
    EXPECT_EQ(first.rgba, again.rgba);
    const auto packed = FromPack(*files, "corin-says.png");
    EXPECT_EQ(first.height, packed.height);
    EXPECT_TRUE(first.rgba == packed.rgba) << "the packed picture has other words or another look";

    // Two lines are taller than one; a line too long for the picture is made smaller, not cut.
    EXPECT_GT(first.height, painter.PaintCaption({"a.png", {"see you next time"}, 1}).height);
    const auto wide = painter.PaintCaption({"w.png", {"an extraordinarily long line of words that keeps going"}, 1});
    for (int y = 0; y < wide.height; ++y)
        EXPECT_EQ(wide.rgba[static_cast<size_t>(y) * wide.width * 4 + 3], 0);

    try
    {
        painter.PaintCaption({"bad.png", {"<small>unclosed"}, 7});
        FAIL() << "unreadable markup was painted";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()).rfind("line 7, caption 'bad.png': ", 0), 0u) << error.what();
    }
}
