#include "demo/k_ShowFile.h"
#include "tools/tunegen/k_BeatTrack.h"
#include "tools/tunegen/k_Sound.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
k_ShowFile Show(const std::string& text)
{
    k_ShowFile show(text, "Show.txt", k_ShowFile::Vocabulary::Any());
    EXPECT_TRUE(show.IsValid()) << (show.GetErrors().empty() ? "" : show.GetErrors().front());
    return show;
}

// The loudest sample of the left channel in [from, to) seconds.
float Peak(const k_StereoBuffer& track, double from, double to)
{
    const auto a = static_cast<std::size_t>(from * k_Sound::k_SampleRate);
    const auto b = std::min(track.Frames(), static_cast<std::size_t>(to * k_Sound::k_SampleRate));
    float peak = 0.0f;
    for (std::size_t i = a; i < b; ++i)
        peak = std::max(peak, std::fabs(track.Left()[i]));
    return peak;
}

// Zero crossings a second of the left channel in [from, to): twice the pitch of a lone tone.
double Crossings(const k_StereoBuffer& track, double from, double to)
{
    const auto a = static_cast<std::size_t>(from * k_Sound::k_SampleRate);
    const auto b = std::min(track.Frames(), static_cast<std::size_t>(to * k_Sound::k_SampleRate));
    int crossings = 0;
    for (std::size_t i = a + 1; i < b; ++i)
        crossings += (track.Left()[i - 1] < 0.0f) != (track.Left()[i] < 0.0f);
    return crossings / (to - from);
}
} // namespace

// 120 bpm in bars of 4 from 1 s: a click every half second from 1 s, silence before and between.
TEST(BeatTrack, ClicksOnEveryBeatOfTheTempoMapAndNowhereElse)
{
    const k_StereoBuffer track = k_BeatTrack::Render(Show("length 4\nsection all 0\ntempo 1 1.0 bpm 120\n"));
    EXPECT_EQ(track.Frames(), static_cast<std::size_t>((4.0 + k_BeatTrack::TailSeconds) * k_Sound::k_SampleRate));
    for (double beat = 1.0; beat < 4.0; beat += 0.5)
    {
        EXPECT_GT(Peak(track, beat, beat + 0.01), 0.1f) << "no click at " << beat << " s";
        EXPECT_LT(Peak(track, beat + 0.3, beat + 0.49), 0.02f) << "sound between the beats after " << beat << " s";
    }
    // The pickup before bar 1 keeps its beats: 0, 0.5 s. Nothing past the length but the last ring.
    EXPECT_GT(Peak(track, 0.0, 0.01), 0.1f);
    EXPECT_LT(Peak(track, 4.0, 4.5), 0.01f);
}

// Bars of 3 at 60 bpm from 0: the downbeats (0, 3, 6 s) are higher clicks over a thump, the others plain.
TEST(BeatTrack, DownbeatsAreHigherAndCarryAThump)
{
    const k_StereoBuffer track = k_BeatTrack::Render(Show("length 7\nsection all 0\ntempo 1 0 beats 3 bpm 60\n"));
    EXPECT_GT(Peak(track, 3.0, 3.01), Peak(track, 1.0, 1.01));
    // 80 ms in, the click has died away: the downbeat still holds its low thump, a plain beat nothing.
    EXPECT_GT(Peak(track, 3.08, 3.1), 0.05f);
    EXPECT_LT(Peak(track, 1.08, 1.1), 0.01f);
    // The first 10 ms of a plain beat ring at the click's pitch.
    EXPECT_NEAR(Crossings(track, 4.0, 4.01), 2.0 * k_BeatTrack::ClickHz, 250.0);
}

// The same show file gives the same samples.
TEST(BeatTrack, SameShowSameSamples)
{
    const k_ShowFile show = Show("length 2\nsection all 0\ntempo 1 0.25 bpm 150\n");
    const k_StereoBuffer a = k_BeatTrack::Render(show), b = k_BeatTrack::Render(show);
    ASSERT_EQ(a.Frames(), b.Frames());
    EXPECT_TRUE(std::equal(a.Left(), a.Left() + a.Frames(), b.Left()));
}
