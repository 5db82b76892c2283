#pragma once
// The studio timeline strip's geometry: which span of demo time the strip
// shows across its pixels, time to x and back, zooming about the pointer,
// scrolling to follow the time, and the rows that overlapping bars (the
// captions) are laid out on. Plain arithmetic, no GL.
#include <vector>

class k_StudioTimelineView
{
public:
    // The narrowest span zoomed into, in seconds.
    static constexpr double MinSpan = 0.25;

    // Shows the whole of a show this long (seconds; at least MinSpan) across the pixels [left, left + width).
    explicit k_StudioTimelineView(double length = 1.0);
    // A new length (the show file read anew): the span is kept where it fits, else the view shows it all.
    void SetLength(double length);
    void SetPixels(float left, float width);

    float TimeToX(double time) const;
    // The time at x (not limited to the show).
    double XToTime(float x) const;
    // The time at x, within [0, length]: where a click or a drag on the strip goes.
    double TimeAt(float x) const;
    // Zooms in (factor > 1) or out (factor < 1) keeping the time under x at x, within [MinSpan, length] and
    // the show's bounds.
    void ZoomAbout(float x, double factor);
    // Scrolls by whole pages so that the time is in view (when zoomed in and it left it).
    void Follow(double time);

    double GetStart() const { return m_start; }
    double GetSpan() const { return m_span; }
    double GetLength() const { return m_length; }

    // Intervals [start, end) laid out on rows: each on the lowest row free at its start (an interval ending
    // where another starts leaves the row free), taken in order of start. Returns each interval's row, in the
    // order given.
    struct Interval
    {
        double start = 0.0;
        double end = 0.0;
    };
    static std::vector<int> LayoutRows(const std::vector<Interval>& intervals);

private:
    void Clamp();

    double m_length;
    double m_start = 0.0;
    double m_span;
    float m_left = 0.0f;
    float m_width = 1.0f;
};
