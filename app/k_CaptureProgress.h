#pragma once
// How far a capture has come: on a terminal one line on standard error that
// is rewritten in place (frames done of total, capture rate, time left);
// otherwise a plain log line now and then, as scripts and logs want it.
#include <cstdint>
#include <iosfwd>
#include <string>

class k_CaptureProgress
{
public:
    // total: the frames to draw; terminal: rewrite one line on out, else log lines.
    k_CaptureProgress(int64_t total, bool terminal, std::ostream& out);

    // done frames after seconds since the first; shows at most a few times a second (terminal) or every
    // tenth of the run (log).
    void Update(int64_t done, double seconds);
    // Ends the terminal's line.
    void Finish();

    // "frame 120/6000, 3.4 frames/s, 29:10 left" (the time left is unknown until a frame is done).
    static std::string Line(int64_t done, int64_t total, double seconds);

private:
    int64_t m_total;
    bool m_terminal;
    std::ostream& m_out;
    double m_shownAt = -1.0;
    int64_t m_nextTenth = 1;
    bool m_lineOpen = false;
};
