#pragma once
// A metronome for a show of one's own: a click on every beat of the show file's tempo map, from its first
// downbeat to the show's length, the downbeat of each bar higher and with a low thump under it. It is the
// simplest tune that keeps time with the show: captions placed on bars and beats land on its clicks. The
// same show file always gives the same samples.
#include "k_StereoBuffer.h"

class k_ShowFile;

class k_BeatTrack
{
public:
    // Pitch of a beat's click and of a downbeat's (Hz), and of the thump under a downbeat.
    static constexpr double ClickHz = 880.0;
    static constexpr double DownbeatHz = 1320.0;
    static constexpr double ThumpHz = 55.0;
    // Seconds of sound after the show's length, so that the last click rings out.
    static constexpr double TailSeconds = 0.5;

    // The whole track at the tune's sample rate: the show's length and the tail.
    static k_StereoBuffer Render(const k_ShowFile& show);
};
