#include "app/k_StudioTransport.h"

#include <gtest/gtest.h>

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
