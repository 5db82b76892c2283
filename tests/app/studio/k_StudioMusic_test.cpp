#include "app/studio/k_StudioMusic.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace
{
// A player that writes down what it was asked and answers the position it is given.
struct Recorder
{
    std::vector<std::string> calls;
    std::optional<double> heard;

    k_StudioMusic::Player Player()
    {
        k_StudioMusic::Player player;
        player.play = [this](double seconds) { calls.push_back("play " + std::to_string(seconds)); };
        player.pause = [this] { calls.push_back("pause"); };
        player.position = [this] { return heard; };
        return player;
    }
};
} // namespace

TEST(k_StudioMusicTest, AJumpIsSilentAndTheMusicStartsAtThePicturesTime)
{
    Recorder recorder;
    k_StudioMusic music(recorder.Player());
    music.Follow(true, 12.5);
    // The warm-up: paused once, however many jumps follow before one is shown.
    music.Silence();
    music.Silence();
    music.Follow(true, 40.0);
    // Paused (or at another speed): no music; silence then needs no second pause.
    music.Follow(false, 40.2);
    music.Silence();
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"play 12.500000", "pause", "play 40.000000", "pause"}));
}

TEST(k_StudioMusicTest, ThePictureFollowsTheMusicBeingHeard)
{
    Recorder recorder;
    k_StudioMusic music(recorder.Player());
    // Not playing: the wall clock's step as it is.
    recorder.heard = 99.0;
    EXPECT_DOUBLE_EQ(music.Step(0.05, 10.0), 0.05);

    music.Follow(true, 10.0);
    recorder.calls.clear();
    // The music heard a little ahead of the wall clock's step: the picture lands on it.
    recorder.heard = 10.07;
    EXPECT_NEAR(music.Step(0.05, 10.0), 0.07, 1e-12);
    // Behind: the step shrinks, and at worst the picture holds (never goes back).
    recorder.heard = 10.02;
    EXPECT_NEAR(music.Step(0.05, 10.0), 0.02, 1e-12);
    recorder.heard = 9.9;
    EXPECT_DOUBLE_EQ(music.Step(0.05, 10.0), 0.0);
    EXPECT_TRUE(recorder.calls.empty());
    // Too far to follow: the music is sought to where the picture goes.
    recorder.heard = 30.0;
    EXPECT_DOUBLE_EQ(music.Step(0.05, 10.0), 0.05);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"play 10.050000"});
    // Position unknown (no device, the tune ended): the wall clock.
    recorder.heard.reset();
    EXPECT_DOUBLE_EQ(music.Step(0.05, 10.0), 0.05);
}

TEST(k_StudioMusicTest, WithoutAnAudioDeviceNothingIsCalled)
{
    k_StudioMusic music{k_StudioMusic::Player()};
    music.Follow(true, 3.0);
    music.Silence();
    EXPECT_DOUBLE_EQ(music.Step(0.04, 3.0), 0.04);
}
