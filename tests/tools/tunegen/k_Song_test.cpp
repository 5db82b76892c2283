#include "engine/k_Utf8.h"
#include "tools/tunegen/k_DrumKit.h"
#include "tools/tunegen/k_FxSynth.h"
#include "tools/tunegen/k_Song.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace
{
const k_Track* Find(const k_Song& song, const std::string& name)
{
    for (const auto& track : song.Tracks())
        if (track->Name() == name)
            return track.get();
    return nullptr;
}

// The bar a section of the show starts on.
int SectionBar(const k_ShowFile& show, const char* name)
{
    for (const k_ShowFile::Section& section : show.GetSections())
        if (section.name == name)
            return show.GetTempoMap().GetPosition(section.start).bar;
    return 0;
}

bool StartsAt(const k_Track& track, double time)
{
    return std::any_of(track.Notes().begin(), track.Notes().end(),
                       [&](const k_Note& n) { return std::fabs(n.start - time) < 1e-9; });
}
} // namespace

// The score against the show's timeline: the moments the pictures change must have their sound, on the bars
// of the show file's tempo map.
TEST(k_Song, ScoreMeetsTheShowsCues)
{
    const k_ShowFile show = k_Song::LoadShowFile(ORV_SHOW_FILE);
    const k_TempoMap& tempo = show.GetTempoMap();
    const k_Song song(show);
    const k_Track* stab = Find(song, "stab");
    const k_Track* fx = Find(song, "effects");
    const k_Track* bell = Find(song, "bell");
    const k_Track* cymbal = Find(song, "cymbal");
    ASSERT_TRUE(stab && fx && bell && cymbal);

    // Each greeting the show file marks for the music gets a chord stab at its start, and each caption the intro
    // marks a bell.
    int greetings = 0, bells = 0;
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
    {
        if (!caption.music)
            continue;
        const std::string name = k_Utf8::ToUtf8(caption.picture);
        if (name.rfind("greet", 0) == 0)
        {
            EXPECT_TRUE(StartsAt(*stab, caption.start)) << name;
            ++greetings;
        }
        else if (caption.start < 27.0)
        {
            EXPECT_TRUE(StartsAt(*bell, caption.start)) << name;
            ++bells;
        }
    }
    EXPECT_EQ(greetings, 14);
    EXPECT_EQ(bells, 6);
    // The landscape, the drop into the plasma and the greetings hit with an impact; the break opens on a crash.
    for (const char* section : {"landscape", "thanks"})
        EXPECT_TRUE(StartsAt(*fx, show.SectionAt(tempo.GetTimeOf(SectionBar(show, section), 1.0)).start)) << section;
    EXPECT_TRUE(StartsAt(*fx, 141.0));
    EXPECT_TRUE(StartsAt(*cymbal, 137.0));
    // Kicks play from the landscape's downbeat to the logo's, on the sixteenths of the tempo map, and never in the
    // riser (the landscape's last two bars) or the break (the greetings' first two).
    ASSERT_FALSE(song.Kicks().empty());
    EXPECT_DOUBLE_EQ(song.Kicks().front(), 27.0);
    EXPECT_LT(song.Kicks().back(), 169.0);
    const double riser = tempo.GetTimeOf(37, 1.0);
    for (double kick : song.Kicks())
    {
        const double sixteenths = tempo.GetBeat(kick) * 4.0;
        EXPECT_NEAR(sixteenths, std::round(sixteenths), 1e-6) << kick << " is off the sixteenth grid";
        EXPECT_FALSE(kick > riser - 1e-6 && kick < 76.6 - 1e-6) << kick << " in the riser";
        EXPECT_FALSE(kick > 137.0 - 1e-6 && kick < 141.0 - 1e-6) << kick << " in the break";
    }
}

// A show file whose sections move off the bars the parts are written for is refused, saying which.
TEST(k_Song, RefusesSectionsThatMissItsParts)
{
    const k_ShowFile moved("length 200\ntempo 1 1.0 bpm 120\nsection opening 0\nsection landscape 28\n"
                           "section thanks 77\nsection greetings 137\nsection logo 169\nsection ending 175\n",
                           "Show.txt", k_ShowFile::Vocabulary::Any());
    ASSERT_TRUE(moved.IsValid());
    testing::internal::CaptureStderr();
    EXPECT_THROW(k_Song song(moved), const wchar_t*);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the tune's landscape part starts on bar 14:1; the show file's section \"landscape\" starts at "
                        "14:3"),
              std::string::npos)
        << said;
}

// Every note lies inside the tune and ends before the fade, and melodic parts stay in the range the oscillators
// are tested for (no note above A#6).
TEST(k_Song, NotesStayInsideTheTuneAndTheirRange)
{
    const k_Song song(k_Song::LoadShowFile(ORV_SHOW_FILE));
    for (const auto& track : song.Tracks())
    {
        const bool melodic = track->Name() != "kick" && track->Name() != "snare" && track->Name() != "hats" &&
                             track->Name() != "cymbal" && track->Name() != "clock" && track->Name() != "effects";
        for (const k_Note& n : track->Notes())
        {
            EXPECT_GE(n.start, 0.0) << track->Name();
            EXPECT_GT(n.length, 0.0) << track->Name();
            EXPECT_LE(n.start + n.length + track->Instrument().Tail(), song.FadeEnd())
                << track->Name() << " at " << n.start;
            EXPECT_GT(n.velocity, 0.0f);
            EXPECT_LE(n.velocity, 1.0f);
            if (melodic && track->Name() != "bell")
            {
                EXPECT_LE(n.pitch, 94.0f) << track->Name() << " at " << n.start;
            }
        }
    }
}
