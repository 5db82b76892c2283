#include "app/k_BenchReport.h"

#include <gtest/gtest.h>

namespace
{
// Section boundaries as a show might give them.
const std::vector<double> k_Boundaries = {0.0, 27.0, 76.6, 169.0, 200.0};
} // namespace

TEST(BenchReport, SummarisesFrameTimes)
{
    const k_BenchReport::Figures none = k_BenchReport::Summarise({});
    EXPECT_EQ(none.frames, 0u);
    EXPECT_EQ(none.max, 0.0);

    const k_BenchReport::Figures one = k_BenchReport::Summarise({7.0});
    EXPECT_EQ(one.median, 7.0);
    EXPECT_EQ(one.p95, 7.0);
    EXPECT_EQ(one.max, 7.0);

    // Unsorted input; even count: the median is the mean of the middle two.
    const k_BenchReport::Figures four = k_BenchReport::Summarise({4.0, 1.0, 3.0, 2.0});
    EXPECT_EQ(four.frames, 4u);
    EXPECT_EQ(four.median, 2.5);
    EXPECT_EQ(four.p95, 4.0);

    // 100 frames 1..100 ms: the 95th percentile by nearest rank is the 95th value.
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    const k_BenchReport::Figures figures = k_BenchReport::Summarise(hundred);
    EXPECT_EQ(figures.median, 50.5);
    EXPECT_EQ(figures.p95, 95.0);
    EXPECT_EQ(figures.max, 100.0);
}

// Frames land in the show's sections by their demo time (a boundary belongs to the later section); frames
// past the show's end get a line of their own, which is left out when there are none.
TEST(BenchReport, SortsFramesIntoTheShowsSections)
{
    k_BenchReport report(1280, 720, 30, 0.0, 210.0, k_Boundaries);
    report.SetStartup(0.5, 2.0, 0.25);
    report.AddFrame(0.1, 10.0);
    report.AddFrame(26.99, 30.0);
    report.AddFrame(27.0, 99.0);
    report.AddFrame(199.99, 5.0);
    report.SetPeakMemory(123.45);
    report.SetGlErrors(3);

    const std::string text = report.Text();
    EXPECT_NE(text.find("start-up: 2.750 s to the first show frame (engine initialisation 0.500 s, Build 2.000 s, "
                        "first frame 0.250 s)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("     0.0 -   27.0 s                  2    20.00    30.00    30.00      10.00           -\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("    27.0 -   76.6 s                  1    99.00"), std::string::npos) << text;
    EXPECT_NE(text.find("    76.6 -  169.0 s                  0        -"), std::string::npos) << text;
    EXPECT_EQ(text.find("and later"), std::string::npos);
    EXPECT_NE(text.find("peak resident memory: 123.5 MB"), std::string::npos);
    EXPECT_NE(text.find("GL errors logged: 3"), std::string::npos);

    report.AddFrame(200.0, 1.0);
    EXPECT_NE(report.Text().find("   200.0 s and later                1"), std::string::npos) << report.Text();
    const std::string json = report.Json();
    EXPECT_NE(json.find("{\"from\": 0, \"to\": 27, \"frames\": 2, \"median_ms\": 20.0000, \"p95_ms\": 30.0000, "
                        "\"max_ms\": 30.0000, \"first_second_max_ms\": 10.0000}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"from\": 76.6, \"to\": 169, \"frames\": 0, \"median_ms\": null"), std::string::npos);
    EXPECT_NE(json.find("{\"from\": 200, \"to\": null, \"frames\": 1"), std::string::npos);
    EXPECT_NE(json.find("\"gl_errors\": 3\n}"), std::string::npos);
}

// Timed frames give each section a column of stretch medians: parts under their stretch, a stretch a frame
// did not run counted as 0 ms, the frame's time no outermost stretch covers as "rest".
TEST(BenchReport, BreaksEachSectionsFramesIntoStretches)
{
    k_BenchReport report(1280, 720, 30, 0.0, 100.0, k_Boundaries);
    using Parts = std::vector<k_PassTimer::Part>;
    report.AddFrame(1.0, 30.0, Parts{{"update Hdr", 10.0}, {"update Hdr/luminance", 4.0}, {"Plasma", 5.0}}, 50.0);
    report.AddFrame(2.0, 32.0, Parts{{"update Hdr", 12.0}, {"update Hdr/luminance", 6.0}, {"Plasma", 5.0}}, 40.0);
    report.AddFrame(3.0, 34.0, Parts{{"update Hdr", 14.0}, {"update Hdr/luminance", 8.0}, {"Plasma", 5.0}}, 60.0);
    // The terrain appears: its stretches go after the stretch before them in the frame, not at the end.
    report.AddFrame(
        30.0, 100.0,
        Parts{{"update Hdr", 10.0}, {"Terrain", 60.0}, {"Terrain/first step", 20.0}, {"Plasma", 5.0}, {"swap", 2.0}});
    report.AddFrame(31.0, 90.0, Parts{{"update Hdr", 10.0}, {"Plasma", 5.0}, {"swap", 2.0}});

    const std::string text = report.Text();
    // The processor time's median beside the wall time's.
    EXPECT_NE(text.find("     0.0 -   27.0 s                  3    32.00    34.00    34.00       0.00       50.00\n"),
              std::string::npos)
        << text;
    const size_t table = text.find("where the time goes");
    ASSERT_NE(table, std::string::npos) << text;
    EXPECT_NE(text.find(std::string(36, ' ') + "      0-27   27-76.6\n", table), std::string::npos) << text;
    // Section 1: medians 12 and 6, the rest 32 - 12 - 5 = 15. Section 2: the terrain ran in one of two frames;
    // the rest is 23 and 73 ms.
    EXPECT_NE(text.find("  update Hdr                             12.00     10.00\n"
                        "    luminance                             6.00      0.00\n"
                        "  Terrain                                 0.00     30.00\n"
                        "    first step                            0.00     10.00\n"
                        "  Plasma                                  5.00      5.00\n"
                        "  swap                                    0.00      2.00\n"
                        "  rest (clear, scheduling, untimed)      15.00     48.00\n"
                        "  sum of the outermost medians           32.00     95.00\n"
                        "  frame median                           32.00     95.00\n",
                        table),
              std::string::npos)
        << text;
    const std::string json = report.Json();
    EXPECT_NE(
        json.find("\"max_ms\": 34.0000, \"first_second_max_ms\": 0.0000, \"cpu_median_ms\": 50.0000, "
                  "\"parts_median_ms\": {\"update Hdr\": 12.0000, \"update Hdr/luminance\": "
                  "6.0000, \"Terrain\": 0.0000, \"Terrain/first step\": 0.0000, \"Plasma\": 5.0000, \"swap\": 0.0000, "
                  "\"rest\": 15.0000}}"),
        std::string::npos)
        << json;
    // Sections without timed frames have no column and no parts.
    EXPECT_EQ(text.find("76.6-169"), std::string::npos);
    EXPECT_NE(json.find("{\"from\": 76.6, \"to\": 169, \"frames\": 0, \"median_ms\": null, \"p95_ms\": null, "
                        "\"max_ms\": null},"),
              std::string::npos)
        << json;
}

TEST(BenchReport, UntimedFramesGiveNoBreakdown)
{
    k_BenchReport report(160, 90, 30, 0.0, 2.0, k_Boundaries);
    report.AddFrame(1.0, 30.0);
    EXPECT_EQ(report.Text().find("where the time goes"), std::string::npos);
    EXPECT_EQ(report.Json().find("parts_median_ms"), std::string::npos);
}
