#pragma once
// The studio's status: one line with the demo time and its bar:beat, the section, the frame
// rate, pause, speed, loop and the last reload, shown in the window's title
// and on the terminal. Plain text, no GL.
#include <string>

class k_StudioStatus
{
public:
    struct State
    {
        double time = 0.0;
        std::string barBeat; // the time's bar and beat in the tune's tempo map ("39:1"); empty: not shown
        std::string section;
        double framesPerSecond = 0.0;
        bool paused = false;
        double speed = 1.0;
        bool looping = false;
        double loopFrom = 0.0;
        double loopTo = 0.0;
        std::string reload; // what the last reload did, or its first error; empty before any
        std::string sync;   // "sync on 127.0.0.1:1338" or "sync waiting for 127.0.0.1:1338"; empty: no editor
    };

    // "12.345 s | 7:2.35 | landscape | 29.8 fps | paused | speed 0.5 | loop 27.000-76.600 | sync on
    // 127.0.0.1:1338 | Plasma.mat reloaded"
    static std::string Line(const State& state);
    // The window's title: "<show> studio - " before the line (the show's program name: "starwane").
    static std::string Title(const std::string& show, const State& state);
};
