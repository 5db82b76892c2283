#include "app/k_CaptureLoop.h"

#include "demo/k_Demo.h"
#include "interfaces/IEngine.h"
#include "interfaces/IWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
                // Times that name the same file are one picture.
                if (names.empty() || FileName(names.back()) != FileName(time))
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

void k_CaptureLoop::Run(IEngine* engine, IWindow* window, k_Demo* demo, const Hooks& hooks) const
{
    size_t next = 0;
    for (int64_t index = 0; index <= m_lastFrame; ++index)
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
        engine->Update(index == 0 ? FirstStep : m_step);
        const Frame* frame = next < m_written.size() && m_written[next].index == index ? &m_written[next++] : nullptr;
        if (hooks.drawn)
            hooks.drawn(index, frame);
        window->Present();
        if (hooks.presented)
            hooks.presented(index);
    }
}
