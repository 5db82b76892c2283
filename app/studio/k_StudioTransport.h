#pragma once
// What the studio's keys do to demo time, apart from drawing: pause, speed,
// steps, the show's instants, loops. It keeps the time of the frame on screen
// and answers each key with what to do (jump where, save a picture, nothing);
// the studio does it and reports the time it reached. Plain logic, no GL.
#include "animation/k_TempoMap.h"
#include "demo/k_ShowFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class k_StudioTransport
{
public:
    enum class Key
    {
        None,
        PlayPause,
        Back,
        Forward,
        BackLong,
        ForwardLong,
        BeatBack,
        BeatForward,
        BarBack,
        BarForward,
        PreviousInstant,
        NextInstant,
        Home,
        Slower,
        Faster,
        Loop,
        Shot,
    };
    // The window's code of a key (IWindow: scancode + 0x10000) with Shift held or not.
    static Key KeyOf(uint32_t code, bool shift);

    // What the studio is to do after a key or a frame.
    struct Action
    {
        std::optional<double> jump; // draw the show at this demo time
        bool shot = false;          // save the picture on screen
        bool changed = false;       // pause, speed or loop changed (status and music follow)
    };

    // Steps of a key: 1 s, with Shift 10 s; "," and "." a beat, with Shift a bar.
    static constexpr double ShortStep = 1.0;
    static constexpr double LongStep = 10.0;
    static constexpr double MinSpeed = 1.0 / 16.0;
    static constexpr double MaxSpeed = 8.0;
    // Page Up from less than this after an instant goes to the one before it.
    static constexpr double PreviousGrace = 0.25;

    using Section = k_ShowFile::Section;
    k_StudioTransport(std::vector<double> instants, std::vector<Section> sections, k_TempoMap tempo = k_TempoMap());
    // The show's timeline read anew (the show file saved in the studio).
    void SetTimeline(std::vector<double> instants, std::vector<Section> sections, k_TempoMap tempo);

    Action Press(Key key);
    // A jump on its way: the time steps and instants count from is the jump's target from now on (a burst
    // of keys steps on from it), until Reached reports the time drawn. No loop wraps here.
    void Aim(double time) { m_time = time; }
    // After a frame or a jump: the demo time now on screen. When a loop runs and the time reached its end,
    // the answer jumps to its start.
    Action Reached(double time);
    // Whether a run told to end at demo time quitAt (negative: never) is over with the time on screen: the
    // time has reached quitAt, or quitAt lies at or past the running loop's end and the time has reached that
    // end (the loop would never get there). Paused or not.
    bool IsOver(double quitAt) const;
    // Loops [from, to) from now on (a range of its own: a new timeline leaves it as it is).
    void SetLoop(double from, double to);

    double GetTime() const { return m_time; }
    bool IsPaused() const { return m_paused; }
    double GetSpeed() const { return m_speed; }
    bool IsLooping() const { return m_loop.has_value(); }
    double GetLoopFrom() const { return m_loop ? m_loop->first : 0.0; }
    double GetLoopTo() const { return m_loop ? m_loop->second : 0.0; }
    // Whether the music plays: running at speed 1.
    bool IsMusicPlaying() const { return !m_paused && m_speed == 1.0; }
    // The section the time lies in (the last one past the show's end).
    const Section& SectionAt(double time) const;
    // The next or previous beat or bar line of the tempo map from the time (never before 0).
    double StepBeats(double time, int beats) const;
    double StepBars(double time, int bars) const;
    const k_TempoMap& GetTempoMap() const { return m_tempo; }
    // The next instant after the time, or the previous one before it (less the grace), if any.
    std::optional<double> NextInstant(double time) const;
    std::optional<double> PreviousInstant(double time) const;

    // Draws the frames of a jump from the clock's demo time up to `to`: equal steps no longer than maxStep
    // (at least one frame), the last being what remains on the clock, so that the jump ends at `to`
    // exactly and what is scheduled at `to` has happened. frame(step, last) draws one frame on the clock
    // (speed 1), `last` telling the frame that is shown from those before it; when it returns false the
    // jump stops there and StepTo returns false.
    static bool StepTo(double to, double maxStep, const std::function<double()>& clock,
                       const std::function<bool(double step, bool last)>& frame);
    // Whether a jump from the demo time reached (now) to `to` may go on from there instead of seeking to
    // warmUp before `to`: `to` lies ahead, no further than warmUp, and the frames drawn since the last seek
    // (to historyFrom; 0 is the show's start, a play) reach back at least warmUp from `to`.
    static bool GoesOn(double now, double to, double historyFrom, double warmUp);

private:
    std::vector<double> m_instants;
    std::vector<Section> m_sections;
    k_TempoMap m_tempo;
    double m_time = 0.0;
    bool m_paused = false;
    double m_speed = 1.0;
    std::optional<std::pair<double, double>> m_loop;
    // The section the loop is, when L made it (SetTimeline moves the loop with it).
    std::optional<std::string> m_loopSection;
};
