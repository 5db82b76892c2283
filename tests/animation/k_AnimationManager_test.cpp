#include "animation/k_AnimationManager.h"
#include "engine/k_Timeline.h"
#include "support/k_FakeEngine.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct Call
{
    char kind; // 'A' Animate, 'T' Trigger
    int code;
    double progress;
};

// A target that is both an event and an animateable, as the demo script and captions are, and can be rewound.
class Recorder : public IEvent, public IAnimateable, public IRewindable
{
public:
    explicit Recorder(std::vector<Call>& log) : m_log(log) {}
    void Trigger(int code) override { m_log.push_back({'T', code, 0.0}); }
    void Animate(double progress, int code) override { m_log.push_back({'A', code, progress}); }
    void Rewind() override { m_log.push_back({'R', 0, 0.0}); }

private:
    std::vector<Call>& m_log;
};

struct AnimationManagerTest : testing::Test
{
    k_FakeEngine engine;
    k_Timeline timeline{&engine};
    k_AnimationManager manager{&engine};
    std::vector<Call> calls;
    Recorder x{calls}, y{calls};

    AnimationManagerTest()
    {
        engine.timeline = &timeline;
        engine.animationManager = &manager;
    }

    // Advances one frame and returns what it called.
    std::vector<Call> Frame(double step)
    {
        calls.clear();
        timeline.Advance(step);
        return calls;
    }
    // Seeks and returns what the seek called.
    std::vector<Call> SeekTo(double time)
    {
        calls.clear();
        timeline.Seek(time);
        return calls;
    }
    std::vector<int> Fired(char kind, double step)
    {
        std::vector<int> codes;
        for (const Call& c : Frame(step))
            if (c.kind == kind)
                codes.push_back(c.code);
        return codes;
    }
};

using Codes = std::vector<int>;
} // namespace

// --- events ---

TEST_F(AnimationManagerTest, EventAtZeroFiresInTheFirstTinyFrameOnly)
{
    manager.AddEvent(0.0, &x, 7);
    EXPECT_EQ(Fired('T', 0.00001), Codes{7});
    EXPECT_EQ(Fired('T', 0.5), Codes{});
}

TEST_F(AnimationManagerTest, EventBoundsAreInclusiveAtBothEnds)
{
    manager.AddEvent(1.0, &x, 1);
    manager.AddEvent(1.5, &x, 2);
    EXPECT_EQ(Fired('T', 0.5), Codes{});  // 0 .. 0.5
    EXPECT_EQ(Fired('T', 0.5), Codes{1}); // 0.5 .. 1.0 reaches 1.0 exactly
    // The previous frame ended exactly on 1.0, so the lower bound catches it again.
    EXPECT_EQ(Fired('T', 0.5), (Codes{1, 2}));
    EXPECT_EQ(Fired('T', 0.5), Codes{2});
    EXPECT_EQ(Fired('T', 0.5), Codes{});
}

TEST_F(AnimationManagerTest, FrameThatJumpsOverSeveralEventsFiresThemInTimeAndRegistrationOrder)
{
    manager.AddEvent(3.0, &x, 30);
    manager.AddEvent(1.0, &x, 10);
    manager.AddEvent(1.0, &y, 11);
    manager.AddEvent(9.0, &x, 90);
    EXPECT_EQ(Fired('T', 5.0), (Codes{10, 11, 30}));
    EXPECT_EQ(Fired('T', 5.0), Codes{90});
}

TEST_F(AnimationManagerTest, SpeedZeroStopsDemoTimeWorkButNotRealTimeWork)
{
    manager.AddEvent(0.5, &x, 1);
    manager.AddAnimation(0.0, 2.0, &x, 2);
    manager.AddRealTimeEvent(0.5, &y, 3);
    manager.AddRealTimeAnimation(0.0, 2.0, &y, 4);
    timeline.SetSpeed(0.0);
    const std::vector<Call> frame = Frame(1.0);
    ASSERT_EQ(frame.size(), 2u);
    EXPECT_EQ(frame[0].kind, 'A');
    EXPECT_EQ(frame[0].code, 4);
    EXPECT_EQ(frame[1].kind, 'T');
    EXPECT_EQ(frame[1].code, 3);
}

TEST_F(AnimationManagerTest, PlayingBackwardsFiresEventsOnTheWayDown)
{
    manager.AddEvent(2.0, &x, 2);
    manager.AddEvent(4.0, &x, 4);
    EXPECT_EQ(Fired('T', 3.0), Codes{2});
    timeline.SetSpeed(-1.0);
    EXPECT_EQ(Fired('T', 0.5), Codes{});  // 3.0 -> 2.5
    EXPECT_EQ(Fired('T', 1.0), Codes{2}); // 2.5 -> 1.5
    timeline.SetSpeed(1.0);
    EXPECT_EQ(Fired('T', 3.0), (Codes{2, 4})); // 1.5 -> 4.5
}

// --- intervals ---

TEST_F(AnimationManagerTest, IntervalIsAnimatedOnlyInsideWithProgressFromZeroToOne)
{
    manager.AddAnimation(1.0, 3.0, &x, 5);
    EXPECT_TRUE(Frame(0.5).empty());
    std::vector<Call> f = Frame(0.5); // 1.0: start, inclusive
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].code, 5);
    EXPECT_DOUBLE_EQ(f[0].progress, 0.0);
    f = Frame(1.5); // 2.5
    ASSERT_EQ(f.size(), 1u);
    EXPECT_DOUBLE_EQ(f[0].progress, 0.75);
    // A frame that jumps past the end (by no more than the catch-up threshold) makes no closing call.
    EXPECT_TRUE(Frame(k_AnimationManager::CatchUpSeconds).empty());
}

TEST_F(AnimationManagerTest, IntervalEndIsInclusive)
{
    manager.AddAnimation(0.0, 1.0, &x, 1);
    Frame(0.5);
    const std::vector<Call> f = Frame(0.5);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_DOUBLE_EQ(f[0].progress, 1.0);
}

// Intervals that share a start (or, for backward play, an end) each keep their own span: a caption sliding
// out as the next one fades in, both from 25 s, must not lend the fade-in its end.
TEST_F(AnimationManagerTest, IntervalsSharingAnEndpointKeepTheirOwnSpans)
{
    manager.AddAnimation(25.0, 28.0, &x, 1); // slide-out
    manager.AddAnimation(25.0, 27.0, &y, 2); // fade-in
    manager.AddAnimation(25.0, 28.0, &y, 3); // the slide-out's interval again, registered later
    manager.AddAnimation(20.0, 27.0, &x, 4); // the fade-in's end, another start
    struct Case
    {
        double step;
        std::vector<int> codes;
        std::vector<double> progress;
    };
    const Case forward[] = {
        {26.0, {4, 1, 2, 3}, {6.0 / 7.0, 1.0 / 3.0, 0.5, 1.0 / 3.0}},
        {0.5, {4, 1, 2, 3}, {6.5 / 7.0, 0.5, 0.75, 0.5}},
        {0.5, {4, 1, 2, 3}, {1.0, 2.0 / 3.0, 1.0, 2.0 / 3.0}}, // 27: both ends reached
        {0.5, {1, 3}, {5.0 / 6.0, 5.0 / 6.0}},                 // 27.5: the fade-in is over
        {1.0, {}, {}},
    };
    for (const Case& c : forward)
    {
        std::vector<int> codes;
        std::vector<double> progress;
        for (const Call& call : Frame(c.step))
        {
            codes.push_back(call.code);
            progress.push_back(call.progress);
        }
        EXPECT_EQ(codes, c.codes) << "forward step " << c.step;
        ASSERT_EQ(progress.size(), c.progress.size());
        for (size_t i = 0; i < progress.size(); ++i)
            EXPECT_NEAR(progress[i], c.progress[i], 1e-12) << "forward step " << c.step << ", call " << i;
    }

    // Backward from 28.5: the table keyed by the end holds [20, 27] and [25, 27] apart too.
    timeline.SetSpeed(-1.0);
    const Case backward[] = {
        {1.0, {1, 3}, {2.5 / 3.0, 2.5 / 3.0}},            // 27.5
        {1.0, {1, 3, 2, 4}, {0.5, 0.5, 0.75, 6.5 / 7.0}}, // 26.5
        {3.0, {4}, {3.5 / 7.0}},                          // 23.5
    };
    for (const Case& c : backward)
    {
        std::vector<int> codes;
        std::vector<double> progress;
        for (const Call& call : Frame(c.step))
        {
            codes.push_back(call.code);
            progress.push_back(call.progress);
        }
        EXPECT_EQ(codes, c.codes) << "backward step " << c.step;
        ASSERT_EQ(progress.size(), c.progress.size());
        for (size_t i = 0; i < progress.size(); ++i)
            EXPECT_NEAR(progress[i], c.progress[i], 1e-12) << "backward step " << c.step << ", call " << i;
    }
}

// Off the middle and on both bounds, so a progress that runs the wrong way shows.
TEST_F(AnimationManagerTest, BackwardProgressIsTheForwardFractionFallingWithTime)
{
    manager.AddAnimation(2.0, 4.0, &x, 1);
    Frame(5.0);
    timeline.SetSpeed(-1.0);
    std::vector<double> progress;
    for (double step : {1.0, 0.5, 1.0, 0.5, 0.5}) // 4.0, 3.5, 2.5, 2.0, 1.5
        for (const Call& c : Frame(step))
            progress.push_back(c.progress);
    EXPECT_EQ(progress, (std::vector<double>{1.0, 0.75, 0.25, 0.0}));
}

TEST_F(AnimationManagerTest, RealTimeProgressRunsFromOneDownToZero)
{
    manager.AddRealTimeAnimation(1.0, 2.0, &x, 9);
    timeline.SetSpeed(3.0); // real-time work ignores the speed
    std::vector<double> progress;
    for (int i = 0; i < 5; ++i)
        for (const Call& c : Frame(0.5))
            progress.push_back(c.progress);
    EXPECT_EQ(progress, (std::vector<double>{1.0, 0.5, 0.0}));
}

TEST_F(AnimationManagerTest, AllAnimateCallsComeBeforeAllTriggerCalls)
{
    manager.AddRealTimeEvent(0.5, &x, 1);
    manager.AddEvent(0.5, &x, 2);
    manager.AddRealTimeAnimation(0.0, 2.0, &y, 3);
    manager.AddAnimation(0.0, 2.0, &y, 4);
    const std::vector<Call> f = Frame(1.0);
    std::string order;
    for (const Call& c : f)
        order += c.kind + std::to_string(c.code);
    EXPECT_EQ(order, "A4A3T2T1");
}

// --- cases the show never produces ---

TEST_F(AnimationManagerTest, ZeroLengthIntervalGetsAFiniteProgressAtItsInstant)
{
    manager.AddAnimation(1.0, 1.0, &x, 1);
    manager.AddRealTimeAnimation(1.0, 1.0, &y, 2);
    const std::vector<Call> f = Frame(1.0);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].progress, 1.0);
    EXPECT_EQ(f[1].progress, 0.0);
    EXPECT_TRUE(Frame(0.5).empty());
}

TEST_F(AnimationManagerTest, InvalidRegistrationsAreLoggedAndIgnored)
{
    testing::internal::CaptureStdout();
    manager.AddAnimation(0.0, 1.0, nullptr, 1);
    manager.AddEvent(0.5, nullptr, 2);
    manager.AddEvent(std::nan(""), &x, 3);
    manager.AddAnimation(std::nan(""), 1.0, &x, 4);
    manager.AddRealTimeAnimation(0.0, INFINITY, &x, 5);
    manager.AddRealTimeEvent(-INFINITY, &x, 6);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("AnimationManager: ignored an event without a target"), std::string::npos);
    EXPECT_NE(log.find("AnimationManager: ignored an animation at a time that is not finite"), std::string::npos);
    manager.AddEvent(0.5, &x, 7);
    manager.AddAnimation(0.0, 2.0, &x, 8);
    EXPECT_EQ(Fired('T', 1.0), Codes{7});
}

TEST_F(AnimationManagerTest, TargetsMayRegisterMoreWorkWhileTheyAreCalled)
{
    struct Chain : IEvent
    {
        k_AnimationManager* manager;
        int fired = 0;
        void Trigger(int code) override
        {
            ++fired;
            // Many registrations at the same instant grow the list being walked.
            if (code < 50)
                manager->AddEvent(1.0, this, code + 1);
        }
    } chain;
    chain.manager = &manager;
    manager.AddEvent(1.0, &chain, 0);
    Frame(1.0);
    EXPECT_EQ(chain.fired, 51);
}

// --- seeking and catching up ---

namespace
{
// "A3@1" for an Animate of code 3 with progress 1, "T2" for a Trigger of code 2, "R" for a rewind.
std::string Describe(const std::vector<Call>& calls)
{
    std::string text;
    for (const Call& c : calls)
    {
        text += c.kind;
        if (c.kind != 'R')
            text += std::to_string(c.code);
        if (c.kind == 'A')
        {
            char progress[16];
            std::snprintf(progress, sizeof progress, "@%g", c.progress);
            text += progress;
        }
        text += ' ';
    }
    return text;
}
} // namespace

TEST_F(AnimationManagerTest, SeekRewindsThenReplaysEverythingDueInTimeOrder)
{
    manager.AddEvent(0.0, &x, 1);          // at the very start
    manager.AddAnimation(1.0, 2.0, &x, 2); // over before the time: once, with progress 1, at 2.0
    manager.AddEvent(2.0, &x, 3);          // at 2.0 too: after the animation, as a frame would call it
    manager.AddAnimation(3.0, 7.0, &y, 4); // holds the time: its progress there
    manager.AddEvent(5.0, &y, 5);          // exactly at the time: fired
    manager.AddEvent(5.5, &y, 6);          // after it: not yet
    manager.AddAnimation(6.0, 8.0, &x, 7); // not yet
    manager.AddRealTimeEvent(0.5, &x, 8);  // the real clock is not sought
    EXPECT_EQ(Describe(SeekTo(5.0)), "R R T1 A2@1 T3 A4@0.5 T5 ");
    EXPECT_DOUBLE_EQ(timeline.GetTime(), 5.0);
    EXPECT_DOUBLE_EQ(timeline.GetRealTime(), 0.0);
    // Frames go on from there under their own rule.
    EXPECT_EQ(Describe(Frame(0.5)), "A4@0.625 T5 T6 T8 ");
}

TEST_F(AnimationManagerTest, SeekingBackAndForthGivesWhatSeekingOnceGives)
{
    manager.AddEvent(1.0, &x, 1);
    manager.AddAnimation(0.5, 4.0, &y, 2);
    manager.AddEvent(3.0, &y, 3);
    const std::string direct = Describe(SeekTo(2.25));
    for (double time : {190.0, 0.0, 3.5, 1.0})
        SeekTo(time);
    EXPECT_EQ(Describe(SeekTo(2.25)), direct);
    EXPECT_EQ(direct, "R R T1 A2@0.5 ");
}

TEST_F(AnimationManagerTest, ALongFrameCatchesUpWhatItJumpedOverAShortOneDoesNot)
{
    manager.AddAnimation(1.0, 1.5, &x, 1); // jumped over by a 2 s frame
    manager.AddEvent(1.2, &x, 2);
    manager.AddAnimation(1.8, 3.0, &y, 3); // holds the frame's time
    manager.AddRealTimeAnimation(0.2, 0.4, &y, 4);
    EXPECT_EQ(Describe(Frame(0.1)), "");
    // 0.1 -> 2.1: in time order, as a seek replays, but nothing is rewound; then the real clock's interval.
    EXPECT_EQ(Describe(Frame(2.0)), "T2 A1@1 A3@0.25 A4@0 ");
    // A frame no longer than the threshold keeps the frame's rule: the end of [1.8, 3.0] is jumped over.
    EXPECT_EQ(Describe(Frame(0.95)), "");
    // Playing backwards keeps the frame's rule whatever the step: [2.0, 2.5] is jumped over.
    manager.AddAnimation(2.0, 2.5, &x, 5);
    timeline.SetSpeed(-1.0);
    EXPECT_EQ(Describe(Frame(1.5)), ""); // 3.05 -> 1.55
}

TEST_F(AnimationManagerTest, ASeekToATimeThatIsNotFiniteIsLoggedAndIgnored)
{
    manager.AddEvent(1.0, &x, 1);
    testing::internal::CaptureStdout();
    calls.clear();
    manager.Seek(std::nan(""));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(calls.empty());
    EXPECT_NE(log.find("AnimationManager: ignored a seek to a time that is not finite"), std::string::npos);
}

TEST_F(AnimationManagerTest, StepsOfExactlyTheThresholdNeverCatchUpWhateverTheRounding)
{
    // A 1 fps capture: the first step, then steps of exactly the threshold, whose sums round either way.
    // An interval inside each second is jumped over by the frame's rule; a catch-up would close it.
    const double step = k_AnimationManager::CatchUpSeconds;
    for (int n = 0; n < 200; ++n)
        manager.AddAnimation(n + 0.3, n + 0.6, &x, n);
    manager.AddRealTimeAnimation(5.3, 5.6, &y, 1000);
    Frame(0.00001);
    for (int n = 1; n <= 200; ++n)
        ASSERT_EQ(Describe(Frame(step)), "") << "frame " << n << " at " << timeline.GetTime();
    // A step longer than the threshold by more than rounding still catches up.
    manager.AddAnimation(200.3, 200.6, &x, 7);
    EXPECT_EQ(Describe(Frame(step + 1e-6)), "A7@1 ");
}
