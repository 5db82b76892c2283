#include "tools/tempo/k_TempoFit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace
{
// What a tracker and an onset detector would hear in music that follows the map from 0 to seconds: an onset
// on every beat, a tracked beat near each (a few ms off, as a tracker's are) unless skip says to leave it out,
// the downbeats four times as strong as the other beats.
struct Heard
{
    k_TempoMap map;
    double seconds = 60.0;
    // Leave out the tracked beat of beat number n (from bar 1's downbeat) when skip(n).
    bool (*skip)(long) = nullptr;
};

k_TempoFit::Recording Hear(const Heard& heard)
{
    k_TempoFit::Recording recording;
    const k_TempoMap& map = heard.map;
    std::vector<double> downbeats;
    for (long beat = static_cast<long>(std::ceil(map.GetBeat(0.0))); map.GetTimeOfBeat(beat) < heard.seconds; ++beat)
    {
        const double time = map.GetTimeOfBeat(beat);
        recording.onsets.push_back(time + 0.001 * ((beat % 3) - 1));
        if (std::fabs(map.GetPosition(time).beat - 1.0) < 1e-6)
            downbeats.push_back(time);
        if (heard.skip && heard.skip(beat))
            continue;
        recording.beats.push_back(time + 0.008 * ((beat % 5) - 2) / 2.0);
        recording.periods.push_back(60.0 / map.GetBeatsPerMinute(time));
    }
    const std::vector<double> onsets = recording.onsets;
    recording.strength = [onsets, downbeats](double time) {
        for (const double d : downbeats)
            if (std::fabs(d - time) < 0.02)
                return 4.0;
        for (const double o : onsets)
            if (std::fabs(o - time) < 0.02)
                return 1.0;
        return 0.05;
    };
    recording.brightness = [](double) { return 1.0; };
    recording.seconds = heard.seconds;
    return recording;
}
} // namespace

// The map comes back from what is heard: its anchors' bars, times (to a few ms) and the last tempo, with every
// tracked beat within a few ms of the map's.
TEST(TempoFit, MeasuresTheMapTheMusicFollows)
{
    struct Case
    {
        const char* what;
        Heard heard;
        k_TempoFit::Options options;
        std::vector<k_TempoMap::Anchor> expected;
    };
    const std::vector<Case> cases = {
        {"one tempo", {k_TempoMap({{1, 0.5, 4, 120.0}})}, {}, {{1, 0.5, 4, 120.0}}},
        {"90 then 140 BPM from bar 16",
         {k_TempoMap({{1, 0.5, 4, 0.0}, {16, 40.5, 4, 140.0}})},
         {},
         {{1, 0.5, 4, 0.0}, {16, 40.5, 4, 140.0}}},
        {"changes of a few percent",
         {k_TempoMap({{1, 1.0, 4, 0.0}, {14, 27.0, 4, 0.0}, {30, 60.0, 4, 118.0}}), 90.0},
         {},
         {{1, 1.0, 4, 0.0}, {14, 27.0, 4, 0.0}, {30, 60.0, 4, 118.0}}},
        {"the tracker follows half the tempo for the first 16 s",
         {k_TempoMap({{1, 0.0, 4, 120.0}}), 60.0, [](long beat) { return beat < 32 && beat % 2 == 1; }},
         {},
         {{1, 0.0, 4, 120.0}}},
        {"the tracker skips beats here and there",
         {k_TempoMap({{1, 0.25, 4, 128.0}}), 60.0, [](long beat) { return beat % 7 == 3 || beat % 11 == 5; }},
         {},
         {{1, 0.25, 4, 128.0}}},
        {"bars of 3", {k_TempoMap({{1, 0.4, 3, 100.0}})}, {3, std::nullopt}, {{1, 0.4, 3, 100.0}}},
        {"the first downbeat given (a beat after the strong one)",
         {k_TempoMap({{1, 0.5, 4, 120.0}})},
         {4, 1.0},
         {{1, 1.0, 4, 120.0}}},
    };
    for (const Case& c : cases)
    {
        const k_TempoFit::Result result = k_TempoFit::Measure(Hear(c.heard), c.options);
        ASSERT_TRUE(result.error.empty()) << c.what << ": " << result.error;
        ASSERT_EQ(result.anchors.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < c.expected.size(); ++i)
        {
            EXPECT_EQ(result.anchors[i].bar, c.expected[i].bar) << c.what << ", anchor " << i;
            EXPECT_NEAR(result.anchors[i].time, c.expected[i].time, 0.004) << c.what << ", anchor " << i;
            EXPECT_EQ(result.anchors[i].beatsPerBar, c.expected[i].beatsPerBar) << c.what << ", anchor " << i;
            EXPECT_NEAR(result.anchors[i].beatsPerMinute, c.expected[i].beatsPerMinute, 0.05) << c.what;
        }
        EXPECT_LT(result.fit.worst, 0.005) << c.what;
        EXPECT_GT(result.fit.beats, 50u) << c.what;
        EXPECT_EQ(result.downbeat == k_TempoFit::Downbeat::Given, c.options.firstDownbeat.has_value()) << c.what;
    }
}

// Without a steady beat there is no map, and the error says so.
TEST(TempoFit, RefusesWhatHasNoSteadyBeat)
{
    k_TempoFit::Recording steady = Hear({k_TempoMap({{1, 0.5, 4, 120.0}})});
    k_TempoFit::Recording nothing;
    nothing.seconds = 30.0;
    k_TempoFit::Recording unheard = steady;
    unheard.onsets.clear();
    k_TempoFit::Recording few = steady;
    few.beats.resize(5);
    few.periods.resize(5);
    // Beats a tracker would report in noise: at random, each on an onset of its own.
    k_TempoFit::Recording scattered = steady;
    scattered.beats.clear();
    scattered.periods.clear();
    double time = 0.3;
    for (int i = 0; i < 100; ++i, time += 0.3 + 0.37 * std::fabs(std::sin(i * 12.9898)))
    {
        scattered.beats.push_back(time);
        scattered.periods.push_back(0.5);
    }
    scattered.onsets = scattered.beats;
    const std::vector<std::pair<const char*, k_TempoFit::Recording>> cases = {
        {"no beats", nothing}, {"no onsets", unheard}, {"five beats", few}, {"beats at random", scattered}};
    for (const auto& [what, recording] : cases)
    {
        const k_TempoFit::Result result = k_TempoFit::Measure(recording, {});
        EXPECT_NE(result.error.find("no steady beat"), std::string::npos) << what << ": " << result.error;
        EXPECT_TRUE(result.anchors.empty()) << what;
    }
}

// The distance of beats to a map: to the nearest beat of the map, whichever side; the drifts are those over
// the limit.
TEST(TempoFit, ComparesBeatsWithTheNearestBeatOfTheMap)
{
    const k_TempoMap map({{1, 0.0, 4, 120.0}});
    const std::vector<double> beats = {0.0, 0.503, 0.99, 1.52, 2.04};
    const k_TempoFit::Distance distance = k_TempoFit::Compare(map, beats);
    EXPECT_EQ(distance.beats, 5u);
    EXPECT_NEAR(distance.median, 0.01, 1e-9);
    EXPECT_NEAR(distance.worst, 0.04, 1e-9);
    EXPECT_NEAR(distance.worstTime, 2.04, 1e-9);
    const std::vector<k_TempoFit::Drift> drifts = k_TempoFit::Drifts(map, beats, 0.015);
    ASSERT_EQ(drifts.size(), 2u);
    EXPECT_NEAR(drifts[0].offset, 0.02, 1e-9);
    EXPECT_NEAR(drifts[1].offset, 0.04, 1e-9);
}
