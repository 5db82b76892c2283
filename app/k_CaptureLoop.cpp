#include "app/k_CaptureLoop.h"

#include "engine/k_WarmUp.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IShow.h"
#include "interfaces/IWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
std::string Shown(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", time);
    return text;
}
} // namespace

k_CaptureLoop::k_CaptureLoop(const k_CaptureOptions& options) : m_step(1.0 / options.fps)
{
    m_firstInRange = FirstReaching(options.from);
    // The last frame not after --to (the frame after it is the first one past it).
    m_lastInRange = std::max(m_firstInRange, FirstReaching(options.to));
    while (m_lastInRange > m_firstInRange && TimeOf(m_lastInRange) > options.to)
        --m_lastInRange;

    if (!options.bench)
    {
        if (!options.at.empty())
        {
            for (const double time : options.at)
            {
                const int64_t index = FirstReaching(time);
                if (m_written.empty() || m_written.back().index != index)
                    m_written.push_back(Frame{index, {}});
                std::vector<double>& names = m_written.back().nameTimes;
                // Times that name the same file on one frame are one picture; on another frame the file
                // would be written twice, the second picture replacing the first.
                if (!names.empty() && FileName(names.back()) == FileName(time))
                    continue;
                if (m_written.size() > 1 && names.empty())
                {
                    const std::vector<double>& before = m_written[m_written.size() - 2].nameTimes;
                    if (!before.empty() && FileName(before.back()) == FileName(time) && m_nameClash.empty())
                        m_nameClash = "--at " + Shown(before.back()) + " and " + Shown(time) +
                                      " are different frames but both name " + FileName(time) +
                                      "; give times that differ in the first three decimals";
                }
                names.push_back(time);
            }
        }
        else
        {
            for (int64_t index = m_firstInRange; index <= m_lastInRange; index += options.every)
                m_written.push_back(Frame{index, {TimeOf(index)}});
        }
    }
    m_lastFrame = m_written.empty() ? m_lastInRange : m_written.back().index;

    // The spans: every frame from 0, or a warm-up before each frame (or range) written. A span joins the
    // one before when its warm-up would reach back into it, so no frame is drawn twice.
    if (options.fromStart || options.bench || m_written.empty())
    {
        m_spans.push_back(Span{0, m_lastFrame});
        return;
    }
    const auto warmUp = static_cast<int64_t>(std::ceil(std::max(0.0, options.warmUp) * options.fps));
    for (const Frame& frame : m_written)
    {
        const int64_t first = std::max<int64_t>(0, frame.index - warmUp);
        if (!m_spans.empty() && first <= m_spans.back().last + 1)
            m_spans.back().last = frame.index;
        else
            m_spans.push_back(Span{first, frame.index});
    }
}

int64_t k_CaptureLoop::DrawnCount() const
{
    int64_t count = 0;
    for (const Span& span : m_spans)
        count += span.last - span.first + 1;
    return count;
}

double k_CaptureLoop::TimeOf(int64_t index) const
{
    return FirstStep + static_cast<double>(index) * m_step;
}

int64_t k_CaptureLoop::FirstReaching(double time) const
{
    auto index = static_cast<int64_t>(std::max(0.0, std::ceil((time - FirstStep) / m_step)));
    // The division may round either way: settle on the exact first frame.
    while (index > 0 && TimeOf(index - 1) >= time)
        --index;
    while (TimeOf(index) < time)
        ++index;
    return index;
}

std::string k_CaptureLoop::FileName(double time)
{
    char name[64];
    std::snprintf(name, sizeof name, "frame_%07.3f.png", time);
    return name;
}

// --- the frames ---

void k_CaptureLoop::Run(IEngine* engine, IWindow* window, IShow* demo, const Hooks& hooks) const
{
    size_t next = 0;
    for (const Span& span : m_spans)
    {
        // The frame before the span's first is where a play from 0 would stand: the span's first step
        // lands on its own frame's time.
        if (span.first > 0)
            engine->Seek(TimeOf(span.first - 1));
        for (int64_t index = span.first; index <= span.last; ++index)
            DrawFrame(engine, window, demo, hooks, index, span, next);
    }
}

void k_CaptureLoop::DrawFrame(IEngine* engine, IWindow* window, IShow* demo, const Hooks& hooks, int64_t index,
                              const Span& span, size_t& next) const
{
    if (hooks.peek)
    {
        k_MessagePump::Peeked peeked;
        while ((peeked = hooks.peek()) == k_MessagePump::Peeked::Dispatched)
        {
        }
        if (peeked == k_MessagePump::Peeked::Quit)
            throw L"The capture was stopped before its last frame.";
    }
    // Frame 0 is the start-up's own frame, which comes without BeginFrame, as in the show.
    if (index > 0)
        demo->BeginFrame();
    const Frame* frame = next < m_written.size() && m_written[next].index == index ? &m_written[next++] : nullptr;
    // A sought span's frames before the one written are its warm-up: they draw only what a later frame
    // depends on. Frames of a span from 0 are drawn whole, as the show plays them.
    if (span.first > 0 && frame == nullptr && next < m_written.size() && engine->GetRenderer() != nullptr)
    {
        const double shown = TimeOf(m_written[next].index);
        engine->GetRenderer()->RenderWarmUpFrame(
            m_step, k_WarmUp::RedrawsTargets(index == span.first, shown - TimeOf(index - 1), m_step));
    }
    else
    {
        engine->Update(index == 0 ? FirstStep : m_step);
    }
    if (hooks.drawn)
        hooks.drawn(index, frame);
    window->Present();
    if (hooks.presented)
        hooks.presented(index);
}
