#include "app/k_CaptureProgress.h"

#include "engine/k_Log.h"

#include <cmath>
#include <cstdio>
#include <ostream>

k_CaptureProgress::k_CaptureProgress(int64_t total, bool terminal, std::ostream& out)
    : m_total(total), m_terminal(terminal), m_out(out)
{
}

std::string k_CaptureProgress::Line(int64_t done, int64_t total, double seconds)
{
    char text[128];
    if (done <= 0 || seconds <= 0.0)
    {
        std::snprintf(text, sizeof text, "frame %lld/%lld", static_cast<long long>(done),
                      static_cast<long long>(total));
        return text;
    }
    const double rate = static_cast<double>(done) / seconds;
    const auto left = static_cast<long long>(std::lround(static_cast<double>(total - done) / rate));
    std::snprintf(text, sizeof text, "frame %lld/%lld, %.2f frames/s, %lld:%02lld left", static_cast<long long>(done),
                  static_cast<long long>(total), rate, left / 60, left % 60);
    return text;
}

void k_CaptureProgress::Update(int64_t done, double seconds)
{
    if (m_terminal)
    {
        if (done < m_total && m_shownAt >= 0.0 && seconds - m_shownAt < 0.25)
            return;
        m_shownAt = seconds;
        m_out << '\r' << Line(done, m_total, seconds) << "\x1b[K" << std::flush;
        m_lineOpen = true;
        return;
    }
    // A log line at each tenth of the run.
    if (done * 10 < m_nextTenth * m_total)
        return;
    while (m_nextTenth <= 10 && done * 10 >= m_nextTenth * m_total)
        ++m_nextTenth;
    k_Log() << "Capture: " << Line(done, m_total, seconds);
}

void k_CaptureProgress::Finish()
{
    if (m_lineOpen)
        m_out << '\n' << std::flush;
    m_lineOpen = false;
}
