#include "engine/k_Timeline.h"
#include "interfaces/IAnimationManager.h"
#include "support/k_FakeEngine.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace
{
// Records, in one shared log, when the scheduler runs and what time it saw.
class RecordingManager : public IAnimationManager
{
public:
    RecordingManager(ITimeline& timeline, std::string& log) : m_timeline(timeline), m_log(log) {}
    void AddAnimation(double, double, IAnimateable*, int) override {}
    void AddRealTimeAnimation(double, double, IAnimateable*, int) override {}
    void AddEvent(double, IEvent*, int) override {}
    void AddRealTimeEvent(double, IEvent*, int) override {}
    void AddRewindable(IRewindable*) override {}
    void Update() override { m_log += "schedule@" + std::to_string(m_timeline.GetTime()) + " "; }
    void Seek(double time) override { m_log += "seek@" + std::to_string(time) + " "; }
    void Clear() override {}

private:
    ITimeline& m_timeline;
    std::string& m_log;
};

struct TimelineTest : testing::Test
{
    k_FakeEngine engine;
    k_Timeline timeline{&engine};
    std::string log;
    RecordingManager manager{timeline, log};

    TimelineTest()
    {
        engine.timeline = &timeline;
        engine.animationManager = &manager;
        engine.onUpdateWorlds = [this] { log += "worlds "; };
    }
};
} // namespace

// The last step is kept twice: as given (real seconds) and as the demo clock moved by it.
TEST_F(TimelineTest, AdvanceMovesBothClocksAndKeepsTheUnscaledStep)
{
    EXPECT_EQ(timeline.GetSpeed(), 1.0);
    timeline.Advance(0.5);
    timeline.Advance(0.5);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 1.0);
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 1.0);
    EXPECT_DOUBLE_EQ(timeline.GetDeltaTime(), 0.5);

    timeline.SetSpeed(2.0);
    EXPECT_EQ(timeline.GetSpeed(), 2.0);
    timeline.Advance(0.5);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 1.5);
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 2.0);
    EXPECT_DOUBLE_EQ(timeline.GetDeltaTime(), 0.5);
    EXPECT_DOUBLE_EQ(timeline.GetDemoDeltaTime(), 1.0);

    timeline.SetSpeed(0.0);
    timeline.Advance(0.25);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 1.75);
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 2.0);
    EXPECT_EQ(timeline.GetDemoDeltaTime(), 0.0);

    timeline.SetSpeed(-1.0);
    timeline.Advance(0.5);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 2.25);
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 1.5);
    EXPECT_DOUBLE_EQ(timeline.GetDemoDeltaTime(), -0.5);

    // A seek is no step on either clock.
    timeline.Seek(10.0);
    EXPECT_EQ(timeline.GetDeltaTime(), 0.0);
    EXPECT_EQ(timeline.GetDemoDeltaTime(), 0.0);
}

TEST_F(TimelineTest, NegativeStepIsNotClampedAndMovesBothClocksBack)
{
    timeline.Advance(1.0);
    timeline.Advance(-0.25);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 0.75);
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 0.75);
    EXPECT_DOUBLE_EQ(timeline.GetDeltaTime(), -0.25);
}

TEST_F(TimelineTest, SchedulerRunsOnTheNewTimeBeforeTheWorlds)
{
    timeline.Advance(0.5);
    timeline.Advance(0.25);
    EXPECT_EQ(log, "schedule@0.500000 worlds schedule@0.750000 worlds ");
    EXPECT_EQ(engine.worldUpdates, 2);
}

TEST_F(TimelineTest, SeekRefusesATimeThatIsNotFiniteAndKeepsTheClocks)
{
    timeline.Advance(2.0);
    timeline.Seek(5.0);
    log.clear();
    testing::internal::CaptureStdout();
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        timeline.Seek(bad);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(timeline.GetTime(), 5.0);
    EXPECT_EQ(log, ""); // the scheduler was not asked
    EXPECT_NE(printed.find("not finite"), std::string::npos);

    timeline.Advance(0.5); // play goes on from the last good time
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 5.5);
}
