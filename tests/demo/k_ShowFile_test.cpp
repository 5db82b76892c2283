#include "demo/k_ShowFile.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
const k_ShowFile::Vocabulary k_Words{{"landscape-on", "plasma-on"}, {"from-black", "to-white"}};

k_ShowFile Read(const std::string& text)
{
    return k_ShowFile(text, "Show.txt", k_Words);
}

// The first message for a text, or "" when it reads.
std::string ErrorOf(const std::string& text)
{
    const k_ShowFile show = Read(text);
    return show.IsValid() ? std::string() : show.GetErrors().front();
}

const std::string k_Head = "length 200\ntempo 1 0.5 bpm 120\nsection opening 0\n";
} // namespace

TEST(ShowFile, ReadsEveryKindOfEntryInFileOrder)
{
    const k_ShowFile show = Read("# a show\n"
                                 "length 100:1   # the end\n"
                                 "tempo 1 1.0\n"
                                 "tempo 14 27.0\n"
                                 "tempo 39 76.6 beats 3 bpm 90\n"
                                 "section opening 0\n"
                                 "section landscape 14:1\n"
                                 "caption time.png 0 10 in slide 3 out slide-out 3 at -0.1 0.42 1.25 from left music\n"
                                 "switch landscape-on 14:1\n"
                                 "\tfade from-black 27 36.7\n"
                                 "text \"DejaVu Sans\" \"say \\\"hi\\\"\" 39:2.5 4 in alpha 0.5 at 0 1 -8\n"
                                 "caption \"Thanks/orm.png\" 80 13 at 0.08 -0.32 1.3\n"
                                 "instant 12.5\n");
    ASSERT_TRUE(show.IsValid()) << show.GetErrors().front();
    ASSERT_EQ(show.GetSections().size(), 2u);
    EXPECT_EQ(show.GetSections()[1].name, "landscape");
    EXPECT_EQ(show.GetSections()[1].start, 27.0);
    EXPECT_EQ(show.GetSections()[0].end, 27.0);
    EXPECT_EQ(show.GetSections()[1].end, show.GetLength());
    EXPECT_NEAR(show.GetLength(), 76.6 + 61 * 3 * (60.0 / 90.0), 1e-9);

    ASSERT_EQ(show.GetCues().size(), 2u);
    EXPECT_FALSE(show.GetCues()[0].fade);
    EXPECT_EQ(show.GetCues()[0].start, 27.0);
    EXPECT_EQ(show.GetCues()[0].afterCaptions, 1u);
    EXPECT_TRUE(show.GetCues()[1].fade);
    EXPECT_EQ(show.GetCues()[1].end, 36.7);
    EXPECT_EQ(show.GetCues()[1].at.line, 10);
    EXPECT_EQ(show.GetCues()[1].at.column, 2);

    ASSERT_EQ(show.GetCaptions().size(), 3u);
    const k_ShowFile::Caption& time = show.GetCaptions()[0];
    EXPECT_EQ(time.picture, L"time.png");
    EXPECT_EQ(time.fadeIn.kind, 3);
    EXPECT_EQ(time.fadeIn.seconds, 3.0f);
    EXPECT_EQ(time.fadeOut.kind, 4);
    EXPECT_EQ(time.x, -0.1f);
    EXPECT_EQ(time.side, -1.0f);
    EXPECT_TRUE(time.music);
    const k_ShowFile::Caption& text = show.GetCaptions()[1];
    EXPECT_EQ(text.font, L"DejaVu Sans");
    EXPECT_EQ(text.text, "say \"hi\"");
    EXPECT_DOUBLE_EQ(text.start, 76.6 + 1.5 * (60.0 / 90.0));
    EXPECT_EQ(text.size, -8.0f);
    EXPECT_FALSE(text.music);
    EXPECT_EQ(show.GetCaptions()[2].picture, L"Thanks/orm.png");

    EXPECT_EQ(show.GetInstants(), (std::vector<double>{0.0, 12.5, 27.0, 36.7, text.start, 80.0}));
    EXPECT_EQ(show.SectionAt(26.9).name, "opening");
    EXPECT_EQ(show.SectionAt(500.0).name, "landscape");
}

// Each fault names the file, the line and the column of the word at fault, and what was expected there.
TEST(ShowFile, MalformedEntriesAreReportedAtTheirLineAndColumn)
{
    EXPECT_EQ(ErrorOf(k_Head + "captoin time.png 0 1 at 0 0 1\n"),
              "Show.txt:4:1: unknown word \"captoin\"; expected length, tempo, section, switch, fade, caption, text or "
              "instant");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 0\n"),
              "Show.txt:4:19: the line ends; expected the caption's duration in seconds");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 0 1\n"),
              "Show.txt:4:21: the line ends; expected \"at X Y WIDTH\", where the caption rests");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png nan 1 at 0 0 1\n"),
              "Show.txt:4:18: \"nan\" is not a finite number; expected the caption's start in seconds (76.6) or as "
              "bar:beat (39:1)");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 1 inf at 0 0 1\n"),
              "Show.txt:4:20: \"inf\" is not a finite number; expected the caption's duration in seconds");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 1 -2 at 0 0 1\n"),
              "Show.txt:4:20: \"-2\" is out of range; expected the caption's duration in seconds from 0 to 1e+06");
    EXPECT_EQ(ErrorOf(k_Head + "fade to-white 76.6 71.8\n"), "Show.txt:4:20: the fade ends before it starts");
    EXPECT_EQ(ErrorOf(k_Head + "fade to-grey 1 2\n"),
              "Show.txt:4:6: unknown fade \"to-grey\"; expected from-black or to-white");
    // A show with no switches refuses every switch; only a reader that wants the times alone takes any name.
    const std::string noSwitch = k_Head + "switch plasma-on 3\n";
    EXPECT_EQ(k_ShowFile(noSwitch, "Show.txt", {{}, {"from-black"}}).GetErrors(),
              (std::vector<std::string>{"Show.txt:4:8: unknown switch \"plasma-on\"; expected none: the show has no "
                                        "switches"}));
    EXPECT_TRUE(k_ShowFile(noSwitch, "Show.txt", k_ShowFile::Vocabulary::Any()).IsValid());
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 1 2 in wipe 1 at 0 0 1\n"),
              "Show.txt:4:25: unknown fade \"wipe\"; expected none, alpha, anim-end, slide or slide-out");
    EXPECT_EQ(ErrorOf(k_Head + "caption time.png 1 2 at 0 0 1 from up\n"),
              "Show.txt:4:36: unknown side \"up\"; expected left, right or none");
    EXPECT_EQ(ErrorOf(k_Head + "switch plasma-on 3:5\n"),
              "Show.txt:4:18: beat \"5.0000\" is not in bar 3; expected a beat from 1 to below 5");
    EXPECT_EQ(ErrorOf(k_Head + "switch plasma-on 3:x\n"),
              "Show.txt:4:18: \"3:x\" is not a bar:beat; expected the switch's time in seconds (76.6) or as bar:beat "
              "(39:1)");
    EXPECT_EQ(ErrorOf(k_Head + "switch plasma-on 3 4\n"), "Show.txt:4:20: \"4\" is one word too many; the entry ends");
    EXPECT_EQ(ErrorOf(k_Head + "caption \"time.png 1 2\n"),
              "Show.txt:4:9: the quoted text is not closed; expected a \" before the line ends");
    EXPECT_EQ(ErrorOf(k_Head + "section landscape 0\n"), "Show.txt:4:19: a section starts after the one before it");
    EXPECT_EQ(ErrorOf("length 200\ntempo 1 0.5 bpm 120\nsection opening 3\n"),
              "Show.txt:3:17: the first section starts at 0");
    EXPECT_EQ(ErrorOf("length 20\ntempo 1 0.5 bpm 120\nsection opening 0\nsection end 30\n"),
              "Show.txt:1:1: the show ends after its last section starts");
    EXPECT_EQ(ErrorOf("tempo 1 0.5 bpm 120\nsection opening 0\n"),
              "Show.txt:2:1: no length line; expected \"length SECONDS\", the show's length");
    EXPECT_EQ(ErrorOf("length 200\nsection opening 0\n"),
              "Show.txt:1:1: no tempo line; expected \"tempo BAR SECONDS [beats N] [bpm N]\" for the tune's tempo map");
    EXPECT_EQ(ErrorOf("length 200\ntempo 1 0.5 bpm 120\ntempo 2 2.5\n"),
              "Show.txt:3:1: only the last tempo line gives bpm; the tempo up to the next one follows from it");
    EXPECT_EQ(ErrorOf("length 200\ntempo 1 0.5\ntempo 1 2.5\n"),
              "Show.txt:3:7: a tempo line goes after the one before it in bars and time");
}

// Each fault is reported once, where it stands, with columns counted in characters; every tempo, given or made
// by two tempo lines, lies within 1 to 1000 beats a minute; lines may end in a lone CR.
TEST(ShowFile, TempoFaultsLineEndsAndColumnsAreReportedOnceWhereTheyStand)
{
    struct Case
    {
        std::string text;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {k_Head + "switch plasma-on 3:5\n",
         {"Show.txt:4:18: beat \"5.0000\" is not in bar 3; expected a beat from 1 to below 5"}},
        {k_Head + "caption \xc3\xa9t\xc3\xa9.png 0\n",
         {"Show.txt:4:18: the line ends; expected the caption's duration in seconds"}},
        {k_Head + "text Font \"\xc3\xa9t\xc3\xa9\"\n", {"Show.txt:4:16: the line ends; expected the caption's start"}},
        {"length 200\n\n  tempo 1 0.5\nsection opening 0\n",
         {"Show.txt:3:3: a tempo map of one anchor needs its beats a minute"}},
        {"length 200\ntempo 1 0\ntempo 2 1000\nsection opening 0\n",
         {"Show.txt:2:1: bars 1 to 2 in 1000 s make 0.24 beats a minute; a tempo lies between 1 and 1000"}},
        {"length 200\ntempo 1 0\ntempo 9 0.001 bpm 120\nsection opening 0\n",
         {"Show.txt:2:1: bars 1 to 9 in 0.001 s make 1.92e+06 beats a minute; a tempo lies between 1 and 1000"}},
        {"length 200\rtempo 1 0.5 bpm 120\rsection opening 0\r", {}},
        {"length 200\rtempo 1 0.5 bpm 120\r\nsection opening 0\rbogus\r",
         {"Show.txt:4:1: unknown word \"bogus\"; expected length, tempo, section, switch, fade, caption, text or "
          "instant"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.text).GetErrors(), c.errors) << c.text;
}

// Text that is not a show file at all: invalid UTF-8 (columns count characters), NUL bytes, megabytes.
TEST(ShowFile, RefusesInvalidUtf8NulBytesAndOversizedFiles)
{
    EXPECT_EQ(ErrorOf(k_Head + "caption \xc3\xa9t\xc3\xa9\xff.png 0 1 at 0 0 1\n"),
              "Show.txt:4:12: the text is not valid UTF-8");
    EXPECT_EQ(ErrorOf(k_Head + "# comment \xed\xa0\x80 (a surrogate)\n"), "Show.txt:4:11: the text is not valid UTF-8");
    EXPECT_EQ(ErrorOf(k_Head + std::string("length\0 1\n", 10)), "Show.txt:4:7: a NUL byte; a show file is text");
    const std::string huge = k_Head + std::string(k_ShowFile::MaxBytes, '#');
    EXPECT_EQ(ErrorOf(huge),
              "Show.txt:1:1: the file has " + std::to_string(huge.size()) + " bytes; a show file has at most 1048576");
    std::string many = k_Head;
    for (size_t i = 0; i < k_ShowFile::MaxEntries; ++i)
        many += "instant 1\n";
    EXPECT_EQ(ErrorOf(many), "Show.txt:10001:1: more than 10000 entries in one show file");
    // Several faults: each reported, up to the limit, and nothing of the show is kept.
    std::string faults = k_Head;
    for (int i = 0; i < 20; ++i)
        faults += "bogus\n";
    const k_ShowFile show = Read(faults);
    EXPECT_EQ(show.GetErrors().size(), k_ShowFile::MaxErrors);
    EXPECT_TRUE(show.GetSections().empty());
    EXPECT_EQ(show.GetLength(), 0.0);
}
