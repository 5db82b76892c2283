#include "app/k_CaptureOptions.h"

#include <gtest/gtest.h>

namespace
{
// Parses the arguments; returns the refusal (empty when accepted).
std::string Refusal(std::vector<std::string> arguments, k_CaptureOptions* parsed = nullptr)
{
    k_CaptureOptions options;
    const std::string refusal = options.Parse(arguments);
    if (parsed)
        *parsed = options;
    return refusal;
}
} // namespace

TEST(CaptureOptions, DefaultsAndEveryValue)
{
    k_CaptureOptions options;
    ASSERT_EQ(Refusal({"--out", "frames"}, &options), "");
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_FLOAT_EQ(options.aspectRatio, 16.0f / 9.0f) << "the aspect ratio follows the size";
    EXPECT_EQ(options.fps, 30);
    EXPECT_EQ(options.from, 0.0);
    EXPECT_FALSE(options.toGiven) << "the show's end, once its show file is read";
    EXPECT_FALSE(options.keepGoing);
    EXPECT_EQ(options.every, 1);
    EXPECT_TRUE(options.at.empty());

    ASSERT_EQ(Refusal({"--size", "640x480", "--aspect=16:10", "--fps", "60", "--from", "2.5", "--to=7", "--at",
                       "5,3,5,2.5", "--out=x"},
                      &options),
              "");
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 480);
    EXPECT_FLOAT_EQ(options.aspectRatio, 1.6f) << "--aspect wins over the size";
    EXPECT_EQ(options.fps, 60);
    EXPECT_EQ(options.from, 2.5);
    EXPECT_EQ(options.to, 7.0);
    EXPECT_TRUE(options.toGiven);
    EXPECT_EQ(options.at, (std::vector<double>{2.5, 3.0, 5.0})) << "sorted, repeats dropped, the range's ends allowed";
    EXPECT_EQ(options.outDirectory, "x");

    ASSERT_EQ(Refusal({"--bench", "--json", "b.json", "--size", "321x241"}, &options), "");
    EXPECT_TRUE(options.bench);
    EXPECT_EQ(options.jsonFile, "b.json");

    ASSERT_EQ(Refusal({"--out", "f", "--keep-going"}, &options), "");
    EXPECT_TRUE(options.keepGoing);

    ASSERT_EQ(Refusal({"--fps", "0", "--help"}, &options), "") << "help stops reading, as a user expects";
    EXPECT_TRUE(options.help);
}

// Every bad command line is refused with a message naming what is wrong.
TEST(CaptureOptions, RefusesBadCommandLines)
{
    struct Case
    {
        std::vector<std::string> arguments;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {{"--out", "f", "--fast"}, "unknown option '--fast'"},
        {{"frames"}, "unknown option 'frames'"},
        {{"--out"}, "--out needs a value"},
        {{"--out", ""}, "--out needs a file or folder name"},
        {{"--out", "f", "--fps", "0"}, "--fps"},
        {{"--out", "f", "--fps", "241"}, "--fps"},
        {{"--out", "f", "--fps", "29.97"}, "--fps"},
        {{"--out", "f", "--size", "0x0"}, "empty"},
        {{"--out", "f", "--size", "640x0"}, "empty"},
        {{"--out", "f", "--size", "-640x480"}, "--size"},
        {{"--out", "f", "--size", "640"}, "WIDTHxHEIGHT"},
        {{"--out", "f", "--size", "640x480x2"}, "WIDTHxHEIGHT"},
        {{"--out", "f", "--size", "32768x100"}, "larger than 32767"},
        {{"--out", "f", "--size", "99999999999x100"}, "WIDTHxHEIGHT"},
        {{"--out", "f", "--aspect", "16:0"}, "--aspect"},
        {{"--out", "f", "--aspect", "16/9"}, "--aspect"},
        {{"--out", "f", "--from", "-1"}, "--from"},
        {{"--out", "f", "--from", "nan"}, "--from"},
        {{"--out", "f", "--to", "1e400"}, "--to"},
        {{"--out", "f", "--to", "1000000000"},
         "--to 1000000000 is past the latest demo time the capture takes, 3600 s"},
        {{"--out", "f", "--from", "4000", "--to", "5000"}, "--from 4000 is past"},
        {{"--out", "f", "--at", "10,99999999999999999999"}, "--at 99999999999999999999 is past"},
        {{"--out", "f", "--at", "10,10.0004"},
         "--at 10 and 10.0004 are different frames but both name frame_010.000.png"},
        {{"--out", "f", "--from", "5", "--to", "4"}, "--to (4) must come after --from (5)"},
        {{"--out", "f", "--from", "5", "--to", "5"}, "must come after"},
        {{"--out", "f", "--to", "200", "--at", "201"}, "--at 201 is outside the range 0 to 200"},
        {{"--out", "f", "--keep-going=yes"}, "--keep-going takes no value"},
        {{"--out", "f", "--from", "10", "--at", "5"}, "--at 5 is outside"},
        {{"--out", "f", "--at", "1,,2"}, "--at wants"},
        {{"--out", "f", "--at", "1,"}, "--at wants"},
        {{"--out", "f", "--every", "0"}, "--every"},
        {{"--out", "f", "--at", "1", "--every", "2"}, "cannot be combined"},
        {{"--bench", "--out", "f"}, "--bench draws without writing frames"},
        {{"--bench=yes"}, "--bench takes no value"},
        {{"--json", "b.json"}, "give --bench too"},
        {{}, "nothing to do"},
        {{"--size", "640x480"}, "nothing to do"},
        {{"--video", "v.mp4", "--at", "1"}, "--video takes every frame"},
        {{"--video", "v.mp4", "--size", "641x480"}, "even width and height"},
    };
    for (const Case& c : cases)
    {
        std::string joined;
        for (const std::string& argument : c.arguments)
            joined += argument + " ";
        SCOPED_TRACE(joined);
        const std::string refusal = Refusal(c.arguments);
        EXPECT_NE(refusal.find(c.mentions), std::string::npos) << refusal;
    }
}

// Without --to the range ends at the show's end (its show file's length); --to itself is kept; a --from or an
// --at time past the show's end is refused unless --to says how far to draw.
TEST(CaptureOptions, TheRangeEndsAtTheShowsEndUnlessToIsGiven)
{
    struct Case
    {
        std::vector<std::string> arguments;
        double showLength;
        double to;
        const char* refusal;
    };
    const Case cases[] = {
        {{"--out", "f"}, 12.0, 12.0, ""},
        {{"--out", "f", "--at", "3,12"}, 12.0, 12.0, ""},
        {{"--out", "f", "--at", "3,15"},
         12.0,
         12.0,
         "--at 15 is outside the range 0 to 12, the show's end: give --to to draw past it"},
        {{"--out", "f", "--at", "15", "--to", "20"}, 12.0, 20.0, ""},
        {{"--out", "f", "--to", "30"}, 12.0, 30.0, ""},
        {{"--out", "f", "--from", "12"},
         12.0,
         12.0,
         "--from 12 is at or past the show's end (12 s): give --to to draw past it"},
    };
    for (const Case& c : cases)
    {
        k_CaptureOptions options;
        ASSERT_EQ(options.Parse(c.arguments), "");
        EXPECT_EQ(options.EndAtShow(c.showLength), c.refusal) << c.arguments.back();
        EXPECT_EQ(options.to, c.to) << c.arguments.back();
    }
}

TEST(CaptureOptions, SizeWithinTheDriversLimit)
{
    k_CaptureOptions options;
    ASSERT_EQ(options.Parse({"--out", "f", "--size", "4096x2160"}), "");
    EXPECT_EQ(options.CheckDriverLimit(4096, 4096), "");
    EXPECT_EQ(options.CheckDriverLimit(4095, 4096),
              "--size 4096x2160 is larger than the driver draws (4095x4096 at most)");
    EXPECT_NE(options.CheckDriverLimit(8192, 2048), "");
}

// A demo's own program runs the capture as "NAME --capture": its help names that command.
TEST(k_CaptureOptionsTest, TheHelpNamesTheCommandThatRunsTheCapture)
{
    EXPECT_EQ(k_CaptureOptions::Usage().rfind("usage: starwane-capture [options]\n", 0), 0u);
    EXPECT_EQ(k_CaptureOptions::Usage("template --capture").rfind("usage: template --capture [options]\n", 0), 0u);
}

// The help says how a capture starts: after the show's own warm-up, or straight at the time sought.
TEST(k_CaptureOptionsTest, TheHelpStatesTheShowsWarmUp)
{
    const std::string warm = k_CaptureOptions::Usage("starwane-capture", 3.0);
    EXPECT_NE(warm.find("Frames start 3 s before the first time written"), std::string::npos) << warm;
    const std::string cold = k_CaptureOptions::Usage("template --capture", 0.0);
    EXPECT_EQ(cold.find("Frames start"), std::string::npos) << cold;
    EXPECT_NE(cold.find("The show is sought to the first time written (--from, --at) and drawn from there."),
              std::string::npos)
        << cold;
}
