#include "app/studio/k_StudioPainter.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <thread>

namespace
{
// The build's caption painter beside the tests, painting into a scratch folder of the test's own.
class StudioPainterTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists("orvelant_captiongen"));
        folder = std::filesystem::temp_directory_path() /
                 ("orvelant-painter-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "served");
        // What the show reads now: the served folder's pictures (a pack that holds none).
        painter = std::make_unique<k_StudioPainter>(
            std::filesystem::absolute("orvelant_captiongen").string(), folder / "Captions.txt", folder / "served",
            [this](const std::string& name) {
                std::ifstream in(folder / "served" / name, std::ios::binary);
                return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            });
    }
    void TearDown() override
    {
        painter.reset();
        std::filesystem::remove_all(folder);
    }

    void Write(const std::string& manifest) { std::ofstream(folder / "Captions.txt") << manifest; }

    // The next finished painting, waited for up to two minutes.
    k_StudioPainter::Result Next()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (std::chrono::steady_clock::now() < end)
        {
            if (std::optional<k_StudioPainter::Result> result = painter->Poll())
                return *result;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "no painting finished";
        return {};
    }

    std::filesystem::path folder;
    std::unique_ptr<k_StudioPainter> painter;
};
} // namespace

// The first painting serves every picture; after a change of words only that caption's picture changes; a save
// while painting paints once more afterwards.
TEST_F(StudioPainterTest, ServesOnlyThePicturesWhoseWordsChanged)
{
    Write("one.png: first words\nThanks/two.png: second | words\n");
    ASSERT_EQ(painter->Saved(), "");
    const k_StudioPainter::Result first = Next();
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(std::set<std::string>(first.changed.begin(), first.changed.end()),
              (std::set<std::string>{"one.png", "Thanks/two.png", "OrvelantLogo.png"}));
    EXPECT_TRUE(std::filesystem::file_size(folder / "served" / "Thanks" / "two.png") > 1000u);

    Write("one.png: other words entirely\nThanks/two.png: second | words\n");
    ASSERT_EQ(painter->Saved(), "");
    ASSERT_EQ(painter->Saved(), ""); // saved twice: painted again after the first
    EXPECT_EQ(Next().changed, std::vector<std::string>{"one.png"});
    EXPECT_EQ(Next().changed, std::vector<std::string>());
    EXPECT_FALSE(painter->Poll().has_value());
}

// A manifest the painter refuses leaves the served pictures alone and gives the painter's message.
TEST_F(StudioPainterTest, AMalformedManifestGivesThePaintersMessageAndChangesNothing)
{
    Write("one.png: words\n");
    painter->Saved();
    ASSERT_EQ(Next().error, "");
    const auto before = std::filesystem::last_write_time(folder / "served" / "one.png");
    Write("one.png: words\nno colon here\n");
    painter->Saved();
    const k_StudioPainter::Result result = Next();
    EXPECT_NE(result.error.find("Captions.txt:2"), std::string::npos) << result.error;
    EXPECT_TRUE(result.changed.empty());
    EXPECT_EQ(std::filesystem::last_write_time(folder / "served" / "one.png"), before);
}

TEST_F(StudioPainterTest, APainterThatCannotStartSaysSo)
{
    k_StudioPainter missing("/nonexistent/painter", folder / "Captions.txt", folder / "served", nullptr);
    EXPECT_NE(missing.Saved().find("cannot start /nonexistent/painter"), std::string::npos);
    EXPECT_FALSE(missing.Poll().has_value());
}
