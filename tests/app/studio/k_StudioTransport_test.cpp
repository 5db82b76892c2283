#include "animation/k_AnimationManager.h"
#include "app/studio/k_StudioTransport.h"
#include "engine/k_Timeline.h"
#include "support/k_FakeEngine.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace
{
k_StudioTransport Make()
{
    return k_StudioTransport({27.0, 0.0, 10.0, 8.0, 76.6},
                             {{"opening", 0.0, 27.0}, {"landscape", 27.0, 76.6}, {"thanks", 76.6, 137.0}});
}

constexpr uint32_t Scancode(uint32_t code)
{
    return code | 0x10000u;
}
} // namespace

TEST(k_StudioTransportTest, KeysAreReadFromTheWindowsScancodes)
{
    using Key = k_StudioTransport::Key;
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(44), false), Key::PlayPause);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(80), false), Key::Back);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(80), true), Key::BackLong);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(79), false), Key::Forward);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(79), true), Key::ForwardLong);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(75), false), Key::PreviousInstant);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(78), false), Key::NextInstant);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(74), false), Key::Home);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(47), false), Key::Slower);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(48), false), Key::Faster);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(15), true), Key::Loop);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(69), false), Key::Shot);
    // Escape is the window's; other keys and codes without the scancode flag do nothing.
    EXPECT_EQ(k_StudioTransport::KeyOf(0x1B, false), Key::None);
    EXPECT_EQ(k_StudioTransport::KeyOf(Scancode(4), false), Key::None);
    EXPECT_EQ(k_StudioTransport::KeyOf(44, false), Key::None);
}

TEST(k_StudioTransportTest, StepsAndInstantsJumpFromTheTimeOnScreenAndNeverBeforeZero)
{
    k_StudioTransport transport = Make();
    transport.Reached(9.5);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::Forward).jump, 10.5);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::ForwardLong).jump, 19.5);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::Back).jump, 8.5);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::BackLong).jump, 0.0);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::Home).jump, 0.0);

    // Page Down: the next instant after the time; on an instant, the one after it.
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::NextInstant).jump, 10.0);
    transport.Reached(10.0);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::NextInstant).jump, 27.0);
    // Page Up: the instant before, or the one before that when the time is just after an instant.
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::PreviousInstant).jump, 8.0);
    transport.Reached(10.2);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::PreviousInstant).jump, 8.0);
    transport.Reached(10.3);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::PreviousInstant).jump, 10.0);
    // Nothing before the first instant or after the last.
    transport.Reached(0.1);
    EXPECT_FALSE(transport.Press(k_StudioTransport::Key::PreviousInstant).jump.has_value());
    transport.Reached(80.0);
    EXPECT_FALSE(transport.Press(k_StudioTransport::Key::NextInstant).jump.has_value());
}

TEST(k_StudioTransportTest, PauseAndSpeedDecideWhetherTheMusicPlays)
{
    k_StudioTransport transport = Make();
    EXPECT_TRUE(transport.IsMusicPlaying());
    EXPECT_TRUE(transport.Press(k_StudioTransport::Key::PlayPause).changed);
    EXPECT_TRUE(transport.IsPaused());
    EXPECT_FALSE(transport.IsMusicPlaying());
    transport.Press(k_StudioTransport::Key::PlayPause);
    EXPECT_TRUE(transport.IsMusicPlaying());

    transport.Press(k_StudioTransport::Key::Slower);
    EXPECT_EQ(transport.GetSpeed(), 0.5);
    EXPECT_FALSE(transport.IsMusicPlaying());
    transport.Press(k_StudioTransport::Key::Faster);
    EXPECT_TRUE(transport.IsMusicPlaying());
    for (int i = 0; i < 10; ++i)
        transport.Press(k_StudioTransport::Key::Faster);
    EXPECT_EQ(transport.GetSpeed(), k_StudioTransport::MaxSpeed);
    for (int i = 0; i < 20; ++i)
        transport.Press(k_StudioTransport::Key::Slower);
    EXPECT_EQ(transport.GetSpeed(), k_StudioTransport::MinSpeed);
}

TEST(k_StudioTransportTest, LThenLoopsTheSectionOnScreenUntilPressedAgain)
{
    k_StudioTransport transport = Make();
    transport.Reached(30.0);
    EXPECT_EQ(transport.SectionAt(30.0).name, std::string("landscape"));
    EXPECT_TRUE(transport.Press(k_StudioTransport::Key::Loop).changed);
    ASSERT_TRUE(transport.IsLooping());
    EXPECT_EQ(transport.GetLoopFrom(), 27.0);
    EXPECT_EQ(transport.GetLoopTo(), 76.6);
    EXPECT_FALSE(transport.Reached(76.5).jump.has_value());
    EXPECT_EQ(transport.Reached(76.62).jump, 27.0);
    transport.Press(k_StudioTransport::Key::Loop);
    EXPECT_FALSE(transport.IsLooping());
    EXPECT_FALSE(transport.Reached(77.0).jump.has_value());

    // A loop of its own; past the last section the last one counts.
    transport.SetLoop(3.0, 5.0);
    EXPECT_EQ(transport.Reached(5.0).jump, 3.0);
    EXPECT_EQ(transport.SectionAt(500.0).name, std::string("thanks"));
}

// A section looped by L moves with its section when the show file moves it; a range of its own, or the loop of a
// section that is gone, stays where it was.
TEST(k_StudioTransportTest, ASectionLoopFollowsItsSectionToANewTimeline)
{
    using Sections = std::vector<k_StudioTransport::Section>;
    const Sections moved = {{"opening", 0.0, 24.0}, {"landscape", 24.0, 79.6}, {"thanks", 79.6, 140.0}};
    const Sections renamed = {{"opening", 0.0, 24.0}, {"lake", 24.0, 79.6}, {"thanks", 79.6, 140.0}};
    struct Case
    {
        bool byKey; // L on the landscape, else SetLoop(27, 76.6)
        Sections sections;
        double from;
        double to;
    };
    for (const Case& c :
         {Case{true, moved, 24.0, 79.6}, Case{true, renamed, 27.0, 76.6}, Case{false, moved, 27.0, 76.6}})
    {
        k_StudioTransport transport = Make();
        transport.Reached(30.0);
        if (c.byKey)
            transport.Press(k_StudioTransport::Key::Loop);
        else
            transport.SetLoop(27.0, 76.6);
        transport.SetTimeline({}, c.sections, k_TempoMap());
        ASSERT_TRUE(transport.IsLooping());
        EXPECT_EQ(transport.GetLoopFrom(), c.from) << c.byKey << " " << c.sections[1].name;
        EXPECT_EQ(transport.GetLoopTo(), c.to) << c.byKey << " " << c.sections[1].name;
    }
}

TEST(k_StudioTransportTest, AJumpEndsAtItsTimeExactlyWithWhatIsScheduledThereDone)
{
    struct Counter : IEvent
    {
        std::vector<int> fired;
        void Trigger(int code) override { fired.push_back(code); }
    } counter;
    k_FakeEngine engine;
    k_Timeline timeline{&engine};
    k_AnimationManager manager{&engine};
    engine.timeline = &timeline;
    engine.animationManager = &manager;
    // The instants a jump lands on, 3 s of warm-up before each, frames of at most 0.1 s.
    const std::vector<double> instants{0.05, 2.5, 27.0, 76.6, 137.0, 169.0, 175.0, 190.0};
    for (size_t i = 0; i < instants.size(); ++i)
        manager.AddEvent(instants[i], &counter, static_cast<int>(i));
    for (size_t i = 0; i < instants.size(); ++i)
    {
        const double to = instants[i];
        timeline.Seek(std::max(0.0, to - 3.0));
        counter.fired.clear();
        int frames = 0;
        bool shown = false;
        const bool done = k_StudioTransport::StepTo(
            to, 0.1, [&] { return timeline.GetTime(); },
            [&](double step, bool last) {
                EXPECT_LE(step, 0.1 + 1e-12);
                EXPECT_FALSE(shown) << "a frame after the one marked last, jump to " << to;
                shown = last;
                ++frames;
                timeline.Advance(step);
                return true;
            });
        EXPECT_TRUE(done);
        EXPECT_TRUE(shown) << "no frame marked last, jump to " << to;
        EXPECT_EQ(timeline.GetTime(), to) << "jump to " << to;
        ASSERT_FALSE(counter.fired.empty()) << "jump to " << to;
        EXPECT_EQ(counter.fired.back(), static_cast<int>(i)) << "jump to " << to;
        EXPECT_EQ(frames, std::max(1, static_cast<int>(std::ceil(std::min(to, 3.0) / 0.1 - 1e-9))));
    }
    // A frame that says stop ends the jump there.
    timeline.Seek(10.0);
    int frames = 0;
    EXPECT_FALSE(k_StudioTransport::StepTo(
        13.0, 0.1, [&] { return timeline.GetTime(); }, [&](double, bool) { return ++frames < 4; }));
    EXPECT_EQ(frames, 4);
}

TEST(k_StudioTransportTest, AKeyBurstStepsOnFromTheTargetOnItsWay)
{
    k_StudioTransport transport = Make();
    transport.Reached(20.0);
    std::optional<double> target;
    for (int i = 0; i < 5; ++i)
    {
        target = transport.Press(k_StudioTransport::Key::Forward).jump;
        transport.Aim(*target);
    }
    EXPECT_EQ(target, 25.0);
    EXPECT_EQ(transport.Press(k_StudioTransport::Key::NextInstant).jump, 27.0);
    // L on the way loops the section being gone to, and Aim alone never wraps.
    transport.Aim(30.0);
    transport.Press(k_StudioTransport::Key::Loop);
    EXPECT_EQ(transport.GetLoopFrom(), 27.0);
    transport.Aim(80.0);
    EXPECT_EQ(transport.GetTime(), 80.0);
}

TEST(k_StudioTransportTest, QuitAtEndsTheRunPausedOrInALoopThatNeverReachesIt)
{
    k_StudioTransport transport = Make();
    transport.Reached(9.0);
    EXPECT_FALSE(transport.IsOver(-1.0));
    EXPECT_FALSE(transport.IsOver(10.0));
    transport.Press(k_StudioTransport::Key::PlayPause); // paused: a jump past it ends the run too
    transport.Reached(11.0);
    EXPECT_TRUE(transport.IsOver(10.0));

    // Looping 3-5 s: a time past the loop's end is over when the loop's end is reached, not before.
    transport.SetLoop(3.0, 5.0);
    transport.Reached(4.0);
    EXPECT_FALSE(transport.IsOver(100.0));
    EXPECT_FALSE(transport.IsOver(4.5));
    transport.Reached(5.0);
    EXPECT_TRUE(transport.IsOver(100.0));
    EXPECT_TRUE(transport.IsOver(5.0));
    // A time inside the loop is reached in the loop.
    transport.Reached(4.6);
    EXPECT_TRUE(transport.IsOver(4.5));
}

// A jump a little ahead goes on from the frames already drawn when they reach back a warm-up's length.
TEST(k_StudioTransportTest, AJumpGoesOnOnlyWithAWarmUpsHistoryBehindItsTarget)
{
    // Sought to 6.5 (a jump to 9.5), then a second on: 4 s of frames behind 10.5.
    EXPECT_TRUE(k_StudioTransport::GoesOn(9.5, 10.5, 6.5, 3.0));
    // Backwards, the same time (a picture drawn again after a reload), or further than a warm-up: a seek.
    EXPECT_FALSE(k_StudioTransport::GoesOn(9.5, 8.5, 6.5, 3.0));
    EXPECT_FALSE(k_StudioTransport::GoesOn(9.5, 9.5, 6.5, 3.0));
    EXPECT_FALSE(k_StudioTransport::GoesOn(9.5, 12.6, 6.5, 3.0));
    // A jump stopped on its way at 8 (sought to 7): 10.5 has 3.5 s of frames behind it, 9.9 too few.
    EXPECT_TRUE(k_StudioTransport::GoesOn(8.0, 10.5, 7.0, 3.0));
    EXPECT_FALSE(k_StudioTransport::GoesOn(8.0, 9.9, 7.0, 3.0));
    // From the show's start every frame is behind: a play.
    EXPECT_TRUE(k_StudioTransport::GoesOn(0.0, 1.0, 0.0, 3.0));
    EXPECT_TRUE(k_StudioTransport::GoesOn(1.0, 2.5, 0.0, 3.0));
}
