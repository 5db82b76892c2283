#include "animation/k_AnimationManager.h"

#include "engine/k_Log.h"
#include "interfaces/IEngine.h"
#include "interfaces/ITimeline.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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

template <typename Table>
void k_AnimationManager::AddInterval(Table& table, double key, double start, double end, IAnimateable* target, int code)
{
    // Two intervals with one start (a caption sliding out as the next fades in) each keep their own end.
    const auto last = table.upper_bound(key);
    if (last != table.begin())
        if (Interval& previous = std::prev(last)->second; previous.start == start && previous.end == end)
        {
            previous.targets.push_back({target, code});
            return;
        }
    table.emplace_hint(last, key, Interval{start, end, {{target, code}}});
}

void k_AnimationManager::AddRewindable(IRewindable* rewindable)
{
    if (rewindable && std::find(m_rewindables.begin(), m_rewindables.end(), rewindable) == m_rewindables.end())
        m_rewindables.push_back(rewindable);
}

void k_AnimationManager::AddAnimation(double start, double end, IAnimateable* target, int code)
{
    if (!IsValid(start, end, target, "an animation"))
        return;
    AddRewindable(dynamic_cast<IRewindable*>(target));
    AddInterval(m_forward, start, start, end, target, code);
    AddInterval(m_backward, end, start, end, target, code);
}

void k_AnimationManager::AddRealTimeAnimation(double start, double end, IAnimateable* target, int code)
{
    if (!IsValid(start, end, target, "a real-time animation"))
        return;
    AddInterval(m_realTime, start, start, end, target, code);
}

void k_AnimationManager::AddEvent(double time, IEvent* target, int code)
{
    if (!IsValid(time, time, target, "an event"))
        return;
    AddRewindable(dynamic_cast<IRewindable*>(target));
    m_events[time].push_back({target, code});
}

void k_AnimationManager::AddRealTimeEvent(double time, IEvent* target, int code)
{
    if (!IsValid(time, time, target, "a real-time event"))
        return;
    m_realTimeEvents[time].push_back({target, code});
}

void k_AnimationManager::Clear()
{
    m_forward.clear();
    m_backward.clear();
    m_realTime.clear();
    m_events.clear();
    m_realTimeEvents.clear();
    m_rewindables.clear();
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

    // A frame far past the last one (a stall, a minimised window restored) would jump over whole
    // intervals, which are then never called, and leave their targets half-way. Such a frame replays
    // what it jumped over instead. Playing backwards keeps the frame's rule.
    const bool demoCatchUp = demoTime - m_lastDemoTime > CatchUpSeconds + CatchUpRounding;
    const bool realCatchUp = realTime - m_lastRealTime > CatchUpSeconds + CatchUpRounding;
    if (demoCatchUp)
        Replay(m_forward, m_events, m_lastDemoTime, false, demoTime, ForwardProgress, 1.0);
    if (realCatchUp)
        Replay(m_realTime, m_realTimeEvents, m_lastRealTime, false, realTime, RealTimeProgress, 0.0);

    // Gather every interval call first, then make them, so that targets that register more
    // work while they are animated do not disturb the walk.
    m_calls.clear();
    if (!demoCatchUp && speed > 0.0)
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
    else if (!demoCatchUp && speed < 0.0)
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
    if (!realCatchUp)
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

    if (!demoCatchUp && speed > 0.0)
        TriggerRange(m_events, m_lastDemoTime, demoTime);
    else if (!demoCatchUp && speed < 0.0)
        TriggerRange(m_events, demoTime, m_lastDemoTime);
    if (!realCatchUp)
        TriggerRange(m_realTimeEvents, m_lastRealTime, realTime);

    m_lastDemoTime = demoTime;
    m_lastRealTime = realTime;
}

// --- seeking and catching up ---

template <typename Table, typename Progress>
void k_AnimationManager::Replay(const Table& intervals, EventTable& events, double from, bool includeFrom, double to,
                                Progress progress, double final)
{
    // Gathered first and sorted by instant, animations before triggers at one instant (a stable sort keeps
    // the tables' own order among equals); then called, as Update calls, with the list swapped out.
    std::vector<ReplayCall> replay;
    replay.swap(m_replay);
    replay.clear();
    for (const auto& [start, interval] : intervals)
    {
        if (start > to)
            break;
        if (interval.end < from || (interval.end == from && !includeFrom))
            continue; // over before the replay's start: the frames before it called it for the last time
        const bool holdsTo = interval.end >= to;
        for (const auto& r : interval.targets)
            replay.push_back({holdsTo ? to : interval.end, false, r.target, nullptr, r.code,
                              holdsTo ? progress(to, interval.start, interval.end) : final});
    }
    for (auto it = events.lower_bound(from); it != events.end() && it->first <= to; ++it)
    {
        if (it->first == from && !includeFrom)
            continue;
        for (const auto& r : it->second)
            replay.push_back({it->first, true, nullptr, r.target, r.code, 0.0});
    }
    std::stable_sort(replay.begin(), replay.end(), [](const ReplayCall& a, const ReplayCall& b) {
        return a.time < b.time || (a.time == b.time && !a.trigger && b.trigger);
    });
    for (const ReplayCall& call : replay)
    {
        if (call.trigger)
            call.event->Trigger(call.code);
        else
            call.animateable->Animate(call.progress, call.code);
    }
    replay.swap(m_replay);
}

void k_AnimationManager::Seek(double time)
{
    if (!std::isfinite(time))
    {
        k_Log(k_Log::Colour::Error) << "AnimationManager: ignored a seek to a time that is not finite";
        return;
    }
    // Last registered first, as things are taken apart; a rewind may not register anything.
    const std::vector<IRewindable*> rewindables = m_rewindables;
    for (auto it = rewindables.rbegin(); it != rewindables.rend(); ++it)
        (*it)->Rewind();
    // The first frame of a show starts at 0 and catches the events there; so does the replay.
    Replay(m_forward, m_events, 0.0, true, time, ForwardProgress, 1.0);
    m_lastDemoTime = time;
}
