#include "tools/tunegen/k_DrumKit.h"
#include "tools/tunegen/k_FxSynth.h"
#include "tools/tunegen/k_Song.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace
{
const k_Track* Find(const k_Song& song, const std::string& name)
{
    for (const auto& track : song.Tracks())
        if (track->Name() == name)
            return track.get();
    return nullptr;
}

bool StartsAt(const k_Track& track, double time)
{
    return std::any_of(track.Notes().begin(), track.Notes().end(),
                       [&](const k_Note& n) { return std::fabs(n.start - time) < 1e-9; });
}
} // namespace

// The score against the show's timeline: the moments the pictures change must have their sound.
TEST(k_Song, ScoreMeetsTheShowsCues)
{
    const k_Song song;
    const k_Track* stab = Find(song, "stab");
    const k_Track* fx = Find(song, "effects");
    const k_Track* bell = Find(song, "bell");
    ASSERT_TRUE(stab && fx && bell);

    // Each of the 14 greetings (every 2 s from 141 s) is marked by a chord stab.
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(StartsAt(*stab, 141.0 + 2.0 * i)) << "greeting " << i + 1;
    // The drop into the plasma and the start of the greetings hit with an impact.
    EXPECT_TRUE(StartsAt(*fx, 76.5));
    EXPECT_TRUE(StartsAt(*fx, 140.5));
    // The four quick captions of the intro ring a bell each.
    for (double t : {10.0, 11.5, 13.0, 14.5})
        EXPECT_TRUE(StartsAt(*bell, t)) << t;
    // Kicks play from the entry of the beat to the outro, on the beat grid, and never in the break or the riser.
    ASSERT_FALSE(song.Kicks().empty());
    EXPECT_DOUBLE_EQ(song.Kicks().front(), 26.5);
    EXPECT_LT(song.Kicks().back(), 168.5);
    for (double kick : song.Kicks())
    {
        EXPECT_DOUBLE_EQ(std::fmod(kick * 4.0, 1.0), 0.0) << kick << " is off the sixteenth grid";
        EXPECT_FALSE(kick > 72.4 && kick < 76.5) << kick << " in the riser";
        EXPECT_FALSE(kick > 136.4 && kick < 140.5) << kick << " in the break";
    }
}

// Every note lies inside the tune and ends before the fade, and melodic parts stay in the range the oscillators
// are tested for (no note above A#6).
TEST(k_Song, NotesStayInsideTheTuneAndTheirRange)
{
    const k_Song song;
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
