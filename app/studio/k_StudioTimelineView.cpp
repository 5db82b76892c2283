#include "app/studio/k_StudioTimelineView.h"

#include <algorithm>
#include <cmath>
#include <numeric>

k_StudioTimelineView::k_StudioTimelineView(double length)
    : m_length(std::max(MinSpan, std::isfinite(length) ? length : MinSpan)), m_span(m_length)
{
}

void k_StudioTimelineView::SetLength(double length)
{
    const bool whole = m_span >= m_length;
    m_length = std::max(MinSpan, std::isfinite(length) ? length : MinSpan);
    if (whole)
        m_span = m_length;
    Clamp();
}

void k_StudioTimelineView::SetPixels(float left, float width)
{
    m_left = left;
    m_width = std::max(1.0f, width);
}

float k_StudioTimelineView::TimeToX(double time) const
{
    return m_left + static_cast<float>((time - m_start) / m_span * m_width);
}

double k_StudioTimelineView::XToTime(float x) const
{
    return m_start + static_cast<double>(x - m_left) / m_width * m_span;
}

double k_StudioTimelineView::TimeAt(float x) const
{
    return std::clamp(XToTime(x), 0.0, m_length);
}

void k_StudioTimelineView::ZoomAbout(float x, double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return;
    const double anchor = XToTime(x);
    m_span = std::clamp(m_span / factor, MinSpan, m_length);
    m_start = anchor - static_cast<double>(x - m_left) / m_width * m_span;
    Clamp();
}

void k_StudioTimelineView::Follow(double time)
{
    if (m_span >= m_length || (time >= m_start && time <= m_start + m_span))
        return;
    m_start = time < m_start ? time - m_span * 0.9 : time - m_span * 0.1;
    Clamp();
}

void k_StudioTimelineView::Clamp()
{
    m_span = std::clamp(m_span, MinSpan, m_length);
    m_start = std::clamp(m_start, 0.0, m_length - m_span);
}

std::vector<int> k_StudioTimelineView::LayoutRows(const std::vector<Interval>& intervals)
{
    std::vector<size_t> order(intervals.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&intervals](size_t a, size_t b) { return intervals[a].start < intervals[b].start; });
    std::vector<int> rows(intervals.size(), 0);
    // The end of the last interval on each row so far.
    std::vector<double> ends;
    for (const size_t index : order)
    {
        const Interval& interval = intervals[index];
        const auto free = std::find_if(ends.begin(), ends.end(), [&](double end) { return end <= interval.start; });
        const double end = std::max(interval.start, interval.end);
        if (free == ends.end())
        {
            rows[index] = static_cast<int>(ends.size());
            ends.push_back(end);
        }
        else
        {
            rows[index] = static_cast<int>(free - ends.begin());
            *free = end;
        }
    }
    return rows;
}
