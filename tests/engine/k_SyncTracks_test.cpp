#include "animation/k_TempoMap.h"
#include "demo/k_ShowFile.h"
#include "engine/k_SyncTracks.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace
{
// One key on row 10 going on to a key on row 20, of the interpolation given, from 2 to 6.
double Between(int interpolation, double row)
{
    k_SyncTracks tracks;
    const int track = tracks.GetTrack("t");
    tracks.SetKey(track, {10, 2.0f, interpolation});
    tracks.SetKey(track, {20, 6.0f, ISyncTracks::Step});
    return *tracks.GetValueAtRow(track, row);
}
} // namespace

// Each interpolation against the editors' formulas, and the values before the first key and after the last.
TEST(SyncTracks, InterpolatesAsTheEditorsDo)
{
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Step, 15.5), 2.0);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Linear, 15.5), 2.0 + 4.0 * 0.55);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Smooth, 15.5), 2.0 + 4.0 * (0.55 * 0.55 * (3.0 - 2.0 * 0.55)));
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Ramp, 15.5), 2.0 + 4.0 * 0.55 * 0.55);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Linear, 10.0), 2.0);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Linear, 20.0), 6.0);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Linear, -5.0), 2.0);
    EXPECT_DOUBLE_EQ(Between(ISyncTracks::Linear, 1e12), 6.0);

    k_SyncTracks tracks;
    const int empty = tracks.GetTrack("empty");
    EXPECT_FALSE(tracks.GetValue(empty, 3.0).has_value());
    EXPECT_FALSE(tracks.GetValue(7, 3.0).has_value());
    EXPECT_EQ(tracks.GetTrack("empty"), empty);
    EXPECT_EQ(tracks.GetTrackName(empty), "empty");
}

TEST(SyncTracks, KeysAreKeptInRowOrderAndReplacedOnTheSameRow)
{
    k_SyncTracks tracks;
    const int track = tracks.GetTrack("camera:x");
    EXPECT_TRUE(tracks.SetKey(track, {30, 3.0f, ISyncTracks::Linear}));
    EXPECT_TRUE(tracks.SetKey(track, {10, 1.0f, ISyncTracks::Ramp}));
    EXPECT_TRUE(tracks.SetKey(track, {30, 4.0f, ISyncTracks::Step}));
    ASSERT_EQ(tracks.GetKeys(track).size(), 2u);
    EXPECT_EQ(tracks.GetKeys(track)[0].row, 10);
    EXPECT_EQ(tracks.GetKeys(track)[1].value, 4.0f);
    EXPECT_TRUE(tracks.DeleteKey(track, 10));
    EXPECT_FALSE(tracks.DeleteKey(track, 10));
    EXPECT_EQ(tracks.GetKeys(track).size(), 1u);
    // What the editor could send that no track can hold.
    EXPECT_FALSE(tracks.SetKey(track, {5, 1.0f, 4}));
    EXPECT_FALSE(tracks.SetKey(track, {-1, 1.0f, ISyncTracks::Step}));
    EXPECT_FALSE(tracks.SetKey(track, {5, std::nanf(""), ISyncTracks::Step}));
    EXPECT_FALSE(tracks.SetKey(9, {5, 1.0f, ISyncTracks::Step}));
    EXPECT_EQ(tracks.GetKeys(track).size(), 1u);
}

// Rows follow the music's beats, across the tempo map's changes.
TEST(SyncTracks, RowsComeFromTheTempoMap)
{
    const k_TempoMap tempo({{1, 1.0, 4, 0.0}, {14, 27.0, 4, 0.0}, {39, 76.6, 4, 0.0}});
    k_SyncTracks tracks(&tempo, 8);
    EXPECT_DOUBLE_EQ(tracks.GetRow(1.0), 0.0);
    EXPECT_DOUBLE_EQ(tracks.GetRow(27.0), 52.0 * 8);
    EXPECT_DOUBLE_EQ(tracks.GetRow(76.6), 152.0 * 8);
    EXPECT_NEAR(tracks.GetRow(50.0), (52.0 + 23.0 / (49.6 / 100.0)) * 8, 1e-9);
    const int track = tracks.GetTrack("exposure");
    tracks.SetKey(track, {52 * 8, 0.0f, ISyncTracks::Linear});
    tracks.SetKey(track, {152 * 8, 1.0f, ISyncTracks::Step});
    EXPECT_NEAR(*tracks.GetValue(track, 51.8), 0.5, 1e-9);
}

// On the show's own tempo map, every row turned into time and back is that row again, and a step key is read
// at its row's time (rows such as 1016 used to land a hair below themselves and read the key before).
TEST(SyncTracks, EveryRowOfTheShowReadsItsOwnKey)
{
    std::ifstream in(ORV_SHOW_FILE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const k_ShowFile show(text.str(), "Show.txt", k_ShowFile::Vocabulary::Any());
    ASSERT_TRUE(show.IsValid());
    k_SyncTracks tracks(&show.GetTempoMap(), 8);
    const int track = tracks.GetTrack("step");
    const int lastRow = static_cast<int>(tracks.GetRow(show.GetLength()));
    ASSERT_GT(lastRow, 1131);
    int misread = 0;
    for (int row = 0; row <= lastRow; ++row)
        if (std::floor(tracks.GetRow(tracks.GetTimeOfRow(row))) != row)
            ++misread;
    EXPECT_EQ(misread, 0);
    for (const int row : {501, 507, 931, 1016, 1021, 1023, 1131})
    {
        tracks.ClearKeys(track);
        tracks.SetKey(track, {row - 1, 1.0f, ISyncTracks::Step});
        tracks.SetKey(track, {row, 2.0f, ISyncTracks::Step});
        EXPECT_EQ(*tracks.GetValue(track, tracks.GetTimeOfRow(row)), 2.0) << "row " << row;
    }
    // Between rows the row is not rounded.
    EXPECT_NEAR(tracks.GetRow(tracks.GetTimeOfRow(1016.5)), 1016.5, 1e-9);
}

// Names the editors cannot take are refused with a message; no track is made, and -1 reads as unkeyed.
TEST(SyncTracks, NamesTheEditorsCannotTakeAreRefused)
{
    k_SyncTracks tracks;
    const int kept = tracks.GetTrack("camera:x");
    tracks.SetKey(kept, {0, 3.0f, ISyncTracks::Step});
    for (const std::string& name : {std::string(), std::string("a\0b", 3), std::string(1, '\0')})
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(tracks.GetTrack(name), -1);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("Sync: a track needs a name without NUL characters"), std::string::npos) << log;
        EXPECT_EQ(tracks.GetTrackCount(), 1);
        EXPECT_FALSE(tracks.GetValue(-1, 1.0).has_value());
        EXPECT_EQ(tracks.GetIntegral(-1, 2.0, 0.5), 1.0);
    }
    EXPECT_EQ(tracks.GetTrack("camera:x"), kept);
}

TEST(SyncTracks, TrackFilesRoundTripInTheEditorsFormat)
{
    EXPECT_EQ(k_SyncTracks::FileName("sync", "camera:x"), "sync_camera-3Ax.track");
    EXPECT_EQ(k_SyncTracks::FileName("Sync/show", "plasma speed.v2"), "Sync/show_plasma-20speed.v2.track");

    k_SyncTracks tracks;
    const int track = tracks.GetTrack("t");
    tracks.SetKey(track, {5, 1.0f, ISyncTracks::Linear});
    EXPECT_EQ(tracks.Encode(track), std::string("\x01\0\0\0\x05\0\0\0\0\0\x80\x3f\x01", 13));
    tracks.SetKey(track, {300, -2.5f, ISyncTracks::Smooth});
    const std::string bytes = tracks.Encode(track);
    const int copy = tracks.GetTrack("copy");
    EXPECT_EQ(tracks.Decode(copy, bytes), "");
    ASSERT_EQ(tracks.GetKeys(copy).size(), 2u);
    EXPECT_EQ(tracks.GetKeys(copy)[1].row, 300);
    EXPECT_EQ(tracks.GetKeys(copy)[1].value, -2.5f);
    EXPECT_EQ(tracks.GetKeys(copy)[1].interpolation, ISyncTracks::Smooth);
}

// A damaged file says what is wrong and leaves the track's keys as they were.
TEST(SyncTracks, DamagedTrackFilesAreRefusedAndChangeNothing)
{
    k_SyncTracks tracks;
    const int track = tracks.GetTrack("t");
    tracks.SetKey(track, {1, 7.0f, ISyncTracks::Step});
    const std::string key5 = std::string("\x05\0\0\0\0\0\x80\x3f\x01", 9);
    const std::string one = std::string("\x01\0\0\0", 4);
    EXPECT_EQ(tracks.Decode(track, std::string("\x01\0", 2)), "the file is shorter than its key count");
    EXPECT_EQ(tracks.Decode(track, std::string("\xff\xff\xff\x7f", 4)).find("the file claims"), 0u);
    EXPECT_EQ(tracks.Decode(track, one + key5.substr(0, 8)), "the file holds 12 bytes where 1 keys take 13");
    EXPECT_EQ(tracks.Decode(track, std::string("\x02\0\0\0", 4) + key5 + key5),
              "key 2 of 2 is not after the key before it");
    EXPECT_EQ(tracks.Decode(track, one + std::string("\x05\0\0\0\0\0\xc0\x7f\x01", 9)),
              "key 1 of 1 has a value that is not a finite number");
    EXPECT_EQ(tracks.Decode(track, one + std::string("\x05\0\0\0\0\0\x80\x3f\x09", 9)),
              "key 1 of 1 has the interpolation 9; expected 0 to 3");
    EXPECT_EQ(tracks.Decode(track, one + std::string("\xff\xff\xff\xff\0\0\x80\x3f\x01", 9)),
              "key 1 of 1 sits on row -1, outside 0 to 100000000");
    ASSERT_EQ(tracks.GetKeys(track).size(), 1u);
    EXPECT_EQ(tracks.GetKeys(track)[0].value, 7.0f);
}

// The integral of a speed track is the distance gone: exact for every interpolation, across a tempo change,
// before the first key and after the last; without keys, the unkeyed value times the time.
TEST(SyncTracks, IntegralsSumTheValueOverDemoTime)
{
    // 120 beats a minute from bar 1, then 60 from bar 3 (at 5 s) to bar 5 (at 13 s).
    const k_TempoMap tempo({{1, 1.0, 4, 0.0}, {3, 5.0, 4, 0.0}, {5, 13.0, 4, 0.0}});
    k_SyncTracks tracks(&tempo, 8);
    const int track = tracks.GetTrack("plasma:speed");
    EXPECT_DOUBLE_EQ(tracks.GetIntegral(track, 7.5, 1.0), 7.5);
    for (const int interpolation : {ISyncTracks::Step, ISyncTracks::Linear, ISyncTracks::Smooth, ISyncTracks::Ramp})
    {
        tracks.SetKey(track, {4, 2.0f, interpolation});
        tracks.SetKey(track, {100, 0.5f, ISyncTracks::Step});
        // A fine midpoint sum of the values the track gives, as the reference.
        const auto reference = [&](double until) {
            const int steps = 200000;
            double sum = 0.0;
            for (int i = 0; i < steps; ++i)
                sum += *tracks.GetValue(track, (i + 0.5) * until / steps) * until / steps;
            return sum;
        };
        for (const double time : {0.7, 1.3, 3.9, 5.0, 6.21, 12.0, 16.0})
            EXPECT_NEAR(tracks.GetIntegral(track, time, 1.0), reference(time), 2e-4)
                << "interpolation " << interpolation << " at " << time << " s";
        // Changed keys are summed anew.
        tracks.SetKey(track, {4, 3.0f, interpolation});
        EXPECT_NEAR(tracks.GetIntegral(track, 12.0, 1.0), reference(12.0), 2e-4);
        tracks.ClearKeys(track);
        EXPECT_DOUBLE_EQ(tracks.GetIntegral(track, 12.0, 1.0), 12.0);
    }
    EXPECT_EQ(tracks.FindTrack("plasma:speed"), track);
    EXPECT_EQ(tracks.FindTrack("nothing"), -1);
    EXPECT_DOUBLE_EQ(tracks.GetTimeOfRow(tracks.GetRow(6.25)), 6.25);
}
