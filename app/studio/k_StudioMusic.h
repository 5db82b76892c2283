#pragma once
// The studio's tune in step with the picture. The music is silent while a
// jump draws its warm-up and starts at the picture's time when the jump is
// shown; in play, each frame's step of demo time follows the position the
// audio device is really playing, so picture and music stay within a frame
// of each other (the wall clock alone drifts from the device's clock, and a
// restart of the music lands a device buffer late).
#include <functional>
#include <optional>

class k_StudioMusic
{
public:
    // The tune's player: every call may be empty (no audio device).
    struct Player
    {
        std::function<void(double seconds)> play; // from that time in the tune
        std::function<void()> pause;
        // The time in the tune being heard now; none when nothing plays or it is not known.
        std::function<std::optional<double>()> position;
    };

    // A heard position further than this from the picture is not followed: the music is sought to the
    // picture instead (a stalled device, a tune that ended).
    static constexpr double MaxFollow = 0.25;

    explicit k_StudioMusic(Player player) : m_player(std::move(player)) {}

    // Silence while a jump draws the frames before its time.
    void Silence();
    // Plays from the time (the picture's) when the music is to be heard, else pauses it.
    void Follow(bool audible, double time);
    // The demo time the next frame of play advances: the wall clock's elapsed seconds, corrected so that the
    // picture lands on the time being heard (never backwards). Without music playing, elapsed as it is.
    double Step(double elapsed, double pictureTime);

private:
    Player m_player;
    bool m_playing = false;
};
