#include "animation/k_AnimationManager.h"

#include "engine/k_Log.h"
#include "interfaces/IEngine.h"
#include "interfaces/ITimeline.h"

#include <cmath>

namespace
{
// Demo-time progress: 0 at the start, 1 at the end. A zero-length interval is only ever
// reached at its one instant, which is its end.
double ForwardProgress(double time, double start, double end)
{
    const double length = end - start;
    return length > 0.0 ? (time - start) / length : 1.0;
}

// Real-time progress: 1 at the start, 0 at the end (0 for a zero-length interval).
double RealTimeProgress(double time, double start, double end)
{
    const double length = end - start;
    return length > 0.0 ? (time - end) / (start - end) : 0.0;
}
} // namespace

k_AnimationManager::k_AnimationManager(IEngine* engine) : m_engine(engine) {}

// --- registration ---

bool k_AnimationManager::IsValid(double start, double end, const void* target, const char* what)
{
    // A NaN key would break the ordering of the tables, an infinite one would give a NaN
    // progress, and a null target would be called.
    if (!std::isfinite(start) || !std::isfinite(end))
    {
        k_Log(k_Log::Colour::Error) << "AnimationManager: ignored " << what << " at a time that is not finite";
        return false;
    }
    if (!target)
    {
        k_Log(k_Log::Colour::Error) << "AnimationManager: ignored " << what << " without a target";
        return false;
    }
    return true;
}

void k_AnimationManager::AddInterval(std::map<double, Interval>& table, double start, double end, IAnimateable* target,
                                     int code)
{
    // An entry with the same start keeps its own end: the newcomer joins its list.
    auto [it, inserted] = table.try_emplace(start, Interval{start, end, {}});
    it->second.targets.push_back({target, code});
}

void k_AnimationManager::AddAnimation(double start, double end, IAnimateable* target, int code)
{
    if (!IsValid(start, end, target, "an animation"))
        return;
    AddInterval(m_forward, start, end, target, code);
    // The backward table is keyed by the end: an entry with the same end keeps its start.
    auto [it, inserted] = m_backward.try_emplace(end, Interval{start, end, {}});
    it->second.targets.push_back({target, code});
}

void k_AnimationManager::AddRealTimeAnimation(double start, double end, IAnimateable* target, int code)
{
    if (!IsValid(start, end, target, "a real-time animation"))
        return;
    AddInterval(m_realTime, start, end, target, code);
}

void k_AnimationManager::AddEvent(double time, IEvent* target, int code)
{
    if (!IsValid(time, time, target, "an event"))
        return;
    m_events[time].push_back({target, code});
}

void k_AnimationManager::AddRealTimeEvent(double time, IEvent* target, int code)
{
    if (!IsValid(time, time, target, "a real-time event"))
        return;
    m_realTimeEvents[time].push_back({target, code});
}

// --- the per-frame pass ---

void k_AnimationManager::TriggerRange(EventTable& table, double from, double to)
{
    // Every instant in [from, to], both ends included, in ascending time and registration
    // order. Indices rather than iterators: a target may register more events while it runs.
    for (auto it = table.lower_bound(from); it != table.end() && it->first <= to; ++it)
        for (std::size_t i = 0; i < it->second.size(); ++i)
        {
            const Registration<IEvent> r = it->second[i];
            r.target->Trigger(r.code);
        }
}

void k_AnimationManager::Update()
{
    ITimeline* timeline = m_engine ? m_engine->GetTimeline() : nullptr;
    if (!timeline)
        return;
    const double demoTime = timeline->GetTime();
    const double realTime = timeline->GetRealTime();
    const double speed = timeline->GetSpeed();

    // Gather every interval call first, then make them, so that targets that register more
    // work while they are animated do not disturb the walk.
    m_calls.clear();
    if (speed > 0.0)
    {
        for (const auto& [start, interval] : m_forward)
        {
            if (start > demoTime)
                break;
            if (interval.end >= demoTime)
                for (const auto& r : interval.targets)
                    m_calls.push_back({r.target, r.code, ForwardProgress(demoTime, interval.start, interval.end)});
        }
    }
    else if (speed < 0.0)
    {
        for (const auto& [end, interval] : m_backward)
        {
            if (end < demoTime)
                break;
            if (interval.start <= demoTime)
                for (const auto& r : interval.targets)
                    m_calls.push_back({r.target, r.code, ForwardProgress(demoTime, interval.start, interval.end)});
        }
    }
    for (const auto& [start, interval] : m_realTime)
    {
        if (start > realTime)
            break;
        if (interval.end >= realTime)
            for (const auto& r : interval.targets)
                m_calls.push_back({r.target, r.code, RealTimeProgress(realTime, interval.start, interval.end)});
    }

    // Swap the list out while calling, in case a target's Animate runs another update.
    std::vector<Call> calls;
    calls.swap(m_calls);
    for (const Call& call : calls)
        call.target->Animate(call.progress, call.code);
    calls.swap(m_calls);

    if (speed > 0.0)
        TriggerRange(m_events, m_lastDemoTime, demoTime);
    else if (speed < 0.0)
        TriggerRange(m_events, demoTime, m_lastDemoTime);
    TriggerRange(m_realTimeEvents, m_lastRealTime, realTime);

    m_lastDemoTime = demoTime;
    m_lastRealTime = realTime;
}
