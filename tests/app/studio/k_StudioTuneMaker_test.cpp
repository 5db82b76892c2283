#include "app/studio/k_StudioTuneMaker.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace
{
// The build's metronome and tempo measure beside the tests, working in a scratch folder of the test's own.
class StudioTuneMakerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists("orvelant_beatgen"));
        ASSERT_TRUE(std::filesystem::exists("orvelant_tempo"));
        folder = std::filesystem::temp_directory_path() /
                 ("orvelant-tune-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "served");
    }
    void TearDown() override
    {
        maker.reset();
        std::filesystem::remove_all(folder);
    }

    void Make(bool measure)
    {
        k_StudioTuneMaker::Setup setup;
        if (measure)
        {
            setup.measure = std::filesystem::absolute("orvelant_tempo").string();
            setup.recording = (folder / "recording.ogg").string();
        }
        else
        {
            setup.maker = std::filesystem::absolute("orvelant_beatgen").string();
        }
        setup.served = folder / "served";
        setup.tuneName = "demo.ogg";
        maker = std::make_unique<k_StudioTuneMaker>(setup);
    }

    std::filesystem::path Show(const std::string& name, const std::string& text)
    {
        std::ofstream(folder / name) << text;
        return folder / name;
    }

    // The next finished run, waited for up to two minutes.
    k_StudioTuneMaker::Result Next()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (std::chrono::steady_clock::now() < end)
        {
            if (std::optional<k_StudioTuneMaker::Result> result = maker->Poll())
                return *result;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "no run finished";
        return {};
    }

    std::filesystem::path folder;
    std::unique_ptr<k_StudioTuneMaker> maker;
};
} // namespace

// A saved show file makes the tune again, served under the tune's name; a faster tempo makes the same length
// of tune with other bytes; a show file the generator refuses gives its message and leaves the tune served.
TEST_F(StudioTuneMakerTest, MakesTheTuneAgainAndReportsARefusal)
{
    Make(false);
    ASSERT_TRUE(maker->IsUseful());
    ASSERT_EQ(maker->Saved(Show("Show.txt", "length 8\nsection all 0\ntempo 1 0 bpm 120\n")), "");
    const k_StudioTuneMaker::Result first = Next();
    EXPECT_TRUE(first.made) << first.error;
    const std::filesystem::path tune = folder / "served" / "demo.ogg";
    ASSERT_TRUE(std::filesystem::exists(tune));
    const auto size = std::filesystem::file_size(tune);

    ASSERT_EQ(maker->Saved(Show("Show.txt", "length 8\nsection all 0\ntempo 1 0 bpm 150\n")), "");
    const k_StudioTuneMaker::Result second = Next();
    EXPECT_TRUE(second.made) << second.error;
    EXPECT_NE(std::filesystem::file_size(tune), size);

    ASSERT_EQ(maker->Saved(folder / "missing.txt"), "");
    const k_StudioTuneMaker::Result refused = Next();
    EXPECT_FALSE(refused.made);
    EXPECT_NE(refused.error.find("missing.txt"), std::string::npos) << refused.error;
    EXPECT_TRUE(std::filesystem::exists(tune));
}

// With a recording, a saved show file is measured against it: the fit, and a warning when the map has left
// the recording's beats.
TEST_F(StudioTuneMakerTest, MeasuresTheShowFileAgainstTheRecording)
{
    const std::filesystem::path recorded = Show("recorded.txt", "length 20\nsection all 0\ntempo 1 0.5 bpm 128\n");
    ASSERT_EQ(
        std::system(
            ("./orvelant_beatgen " + (folder / "recording.ogg").string() + " --show " + recorded.string()).c_str()),
        0);
    Make(true);
    ASSERT_TRUE(maker->IsUseful());
    ASSERT_EQ(maker->Saved(recorded), "");
    const k_StudioTuneMaker::Result fits = Next();
    EXPECT_FALSE(fits.made);
    EXPECT_EQ(fits.error, "");
    EXPECT_NE(fits.fit.find(" ms median, "), std::string::npos) << fits.fit;

    ASSERT_EQ(maker->Saved(Show("Show.txt", "length 20\nsection all 0\ntempo 1 0.5 bpm 126\n")), "");
    const k_StudioTuneMaker::Result drifted = Next();
    EXPECT_NE(drifted.fit, fits.fit);
    EXPECT_NE(drifted.error.find("lie more than 30 ms"), std::string::npos) << drifted.error;
}

TEST(StudioTuneMaker, ReadsTheFitFromTheMeasuresReport)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"fit: the map's beats lie 1.4 ms (median) and at most 10.6 ms from 276 tracked beats; the most at 74.134 s",
         "1.4 ms median, 10.6 ms at most"},
        {"a.txt against b.ogg: the map's beats lie 95.9 ms (median) and at most 252.3 ms from 276 tracked beats\n"
         "warning: ...",
         "95.9 ms median, 252.3 ms at most"},
        {"warning: b.ogg: its beats cannot be measured against a.txt: no steady beat", ""},
        {"", ""},
    };
    for (const auto& [report, fit] : cases)
        EXPECT_EQ(k_StudioTuneMaker::FitOf(report), fit) << report;
}
