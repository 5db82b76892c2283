#include "animation/k_TempoMap.h"

#include <gtest/gtest.h>
#include <limits>

// 120 beats a minute from bar 1 at 1 s, then 25 bars squeezed into 49.6 s, then bars of 3 at the tempo before.
TEST(TempoMap, BarsAndBeatsFollowTheAnchorsAndTheirSpans)
{
    const k_TempoMap tempo({{1, 1.0, 4, 0.0}, {14, 27.0, 4, 0.0}, {39, 76.6, 3, 0.0}});
    // On an anchor's downbeat: its time exactly, as written.
    EXPECT_EQ(tempo.GetTimeOf(14, 1.0), 27.0);
    EXPECT_EQ(tempo.GetTimeOf(39, 1.0), 76.6);
    EXPECT_DOUBLE_EQ(tempo.GetTimeOf(2, 3.0), 4.0);
    EXPECT_DOUBLE_EQ(tempo.GetBeatsPerMinute(10.0), 120.0);
    EXPECT_NEAR(tempo.GetBeatsPerMinute(50.0), 60.0 / (49.6 / 100.0), 1e-9);
    // After the last anchor: bars of 3 at the span before's beat.
    EXPECT_NEAR(tempo.GetTimeOf(40, 1.0), 76.6 + 3 * 0.496, 1e-12);
    EXPECT_EQ(tempo.GetBeatsPerBar(80.0), 3);
    // Before the first anchor the first span runs back: 0 s is bar 0's third beat, a pickup.
    const k_TempoMap::Position pickup = tempo.GetPosition(0.0);
    EXPECT_EQ(pickup.bar, 0);
    EXPECT_DOUBLE_EQ(pickup.beat, 3.0);
    EXPECT_DOUBLE_EQ(tempo.GetBeat(0.0), -2.0);
    // Beats count on across the spans, and back.
    EXPECT_DOUBLE_EQ(tempo.GetBeat(27.0), 52.0);
    EXPECT_DOUBLE_EQ(tempo.GetBeat(76.6), 152.0);
    for (const double time : {0.0, 5.3, 27.0, 50.0, 76.6, 100.0})
        EXPECT_NEAR(tempo.GetTimeOfBeat(tempo.GetBeat(time)), time, 1e-9) << time;
}

TEST(TempoMap, FormatsBarColonBeatAndRoundsAHairBeforeADownbeatOntoIt)
{
    const k_TempoMap tempo({{1, 0.5, 4, 120.0}});
    EXPECT_EQ(tempo.Format(0.5), "1:1");
    EXPECT_EQ(tempo.Format(3.25), "2:2.50");
    EXPECT_EQ(tempo.Format(76.49999999), "39:1");
    EXPECT_EQ(tempo.Format(4.48), "2:4.96");
    EXPECT_EQ(tempo.Format(4.499), "3:1");
    EXPECT_EQ(tempo.Format(0.0), "0:4");
}

TEST(TempoMap, RefusesAnchorsThatMakeNoMapAndFallsBackTo120)
{
    EXPECT_NE(k_TempoMap::Check({}), "");
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 4, 0.0}}), "");                    // one anchor, no tempo
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 4, 0.0}, {1, 2.0, 4, 0.0}}), "");  // bars do not go up
    EXPECT_NE(k_TempoMap::Check({{1, 2.0, 4, 0.0}, {2, 2.0, 4, 0.0}}), "");  // time does not go up
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 4, 90.0}, {2, 2.0, 4, 0.0}}), ""); // bpm before the last
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 0, 90.0}}), "");
    EXPECT_EQ(k_TempoMap::Check({{1, 0.0, 4, 90.0}}), "");
    // Tempos made by two anchors are bounded as given ones are; the fault names the anchor it lies at.
    size_t faultAt = 99;
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 4, 0.0}, {2, 0.0001, 4, 0.0}, {3, 1.0, 4, 120.0}}, &faultAt), "");
    EXPECT_EQ(faultAt, 0u);
    EXPECT_NE(k_TempoMap::Check({{1, 0.0, 4, 0.0}, {2, 2.0, 4, 0.0}, {3, 2.5, 4, 0.5}}, &faultAt), "");
    EXPECT_EQ(faultAt, 2u);
    EXPECT_EQ(k_TempoMap::Check({{1, 0.0, 4, 0.0}, {2, 240.0, 4, 1.0}}), ""); // 1 beat a minute
    // Far past any show the bar is held at the int's end instead of overflowing.
    EXPECT_EQ(k_TempoMap({{1, 0.0, 1, 1000.0}}).GetPosition(1e300).bar, std::numeric_limits<int>::max());
    EXPECT_EQ(k_TempoMap({{1, 0.0, 1, 1000.0}}).GetPosition(-1e300).bar, std::numeric_limits<int>::min());
    const k_TempoMap fallback({{1, 0.0, 4, 0.0}});
    EXPECT_DOUBLE_EQ(fallback.GetBeatsPerMinute(3.0), 120.0);
}
