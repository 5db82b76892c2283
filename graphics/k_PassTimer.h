#pragma once
// Where a frame's time goes, for the capture's benchmark. A timer covers one
// stretch of drawing (a world, a render step, a pass of the HDR chain) and is
// named after it; timers opened while another is open are its parts, named
// "outer/inner". While timing is switched on, a timer finishes the GL work
// queued before it and its own work (glFinish) so that the wall time between
// is the driver's time for that stretch alone; on a software renderer, which
// draws when the work is flushed at every change of render target anyway,
// that costs little. Switched off (the default), a timer costs one test.
//
// Finishing without timing bounds what a software renderer holds: it bins a
// stretch's triangles while it is still drawing the stretches before, and the
// bins of the landscape's passes queued together came to some twenty
// megabytes more at once than those of one pass. A capture draws offline and
// finishes every stretch; a real-time player never does (on a GPU each
// finish is a stall).
#include <string>
#include <vector>

class k_PassTimer
{
public:
    // What one frame spent on one stretch; a stretch timed several times in a frame is summed.
    struct Part
    {
        std::string name; // "Terrain/first step"
        double milliseconds = 0.0;
    };

    // Begins the stretch (the name is copied only while timing is on).
    explicit k_PassTimer(const char* name);
    explicit k_PassTimer(const std::string& name) : k_PassTimer(name.c_str()) {}
    // Ends it.
    ~k_PassTimer();
    k_PassTimer(const k_PassTimer&) = delete;
    k_PassTimer& operator=(const k_PassTimer&) = delete;

    static void SetEnabled(bool enabled);
    static bool IsEnabled();
    // Each stretch finishes the work queued before it and its own, timed or not (off by default).
    static void SetFinishing(bool finishing);
    // The parts recorded since the last call, in the order they were first begun; clears them.
    static std::vector<Part> TakeFrame();

private:
    bool m_timing = false;
    bool m_finishing = false;
    double m_started = 0.0;
};
