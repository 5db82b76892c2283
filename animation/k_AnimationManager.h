#pragma once
// The engine's scheduler (see IAnimationManager). Intervals live in ordered tables: the forward
// and real-time tables by start (ascending), the backward table by end (descending); every
// interval keeps its own start and end, whatever other intervals share its key. Instants live
// in tables ordered by time. Each Update animates first, then
// triggers. A seek, and a frame that jumps further than CatchUpSeconds, replays the schedule:
// what was jumped over is called in time order, as frames would have called it.
#include "interfaces/IAnimationManager.h"
#include "interfaces/IRewindable.h"

#include <functional>
#include <map>
#include <vector>

class IEngine;

class k_AnimationManager : public IAnimationManager
{
public:
    // Empty tables; both "last" times at 0. The engine is not owned.
    explicit k_AnimationManager(IEngine* engine);
    ~k_AnimationManager() override = default;

    void AddAnimation(double start, double end, IAnimateable* target, int code) override;
    void AddRealTimeAnimation(double start, double end, IAnimateable* target, int code) override;
    void AddEvent(double time, IEvent* target, int code) override;
    void AddRealTimeEvent(double time, IEvent* target, int code) override;
    void AddRewindable(IRewindable* target) override;
    void Update() override;
    void Seek(double time) override;
    void Clear() override;

    // A frame whose demo (or real) time moves on by more than this many seconds catches up instead of
    // jumping: no ordinary frame of the show is this long, a stall or a restored window is.
    static constexpr double CatchUpSeconds = 1.0;
    // Steps of exactly CatchUpSeconds (a 1 fps capture) reach the clocks as sums that round a few units
    // in the last place either way; a step counts as longer only beyond this much, so that such frames
    // all keep the frame's rule instead of switching by rounding.
    static constexpr double CatchUpRounding = 1e-9;

private:
    template <typename Target> struct Registration
    {
        Target* target;
        int code;
    };
    // One interval and the targets registered under it, in registration order (consecutive
    // registrations of one interval share an entry).
    struct Interval
    {
        double start;
        double end;
        std::vector<Registration<IAnimateable>> targets;
    };
    // A target gathered for this frame's Animate calls.
    struct Call
    {
        IAnimateable* target;
        int code;
        double progress;
    };
    using EventTable = std::map<double, std::vector<Registration<IEvent>>>;
    // One call of a replay, at the instant a frame would have made it.
    struct ReplayCall
    {
        double time;
        bool trigger; // at one instant, animations come before triggers, as in a frame
        IAnimateable* animateable;
        IEvent* event;
        int code;
        double progress;
    };

    static bool IsValid(double start, double end, const void* target, const char* what);
    // Adds the registration under key (the table's end of the interval): to the key's last entry when that
    // is the same interval, else as a new entry after those of the key, so registration order holds.
    template <typename Table>
    static void AddInterval(Table& table, double key, double start, double end, IAnimateable* target, int code);
    static void TriggerRange(EventTable& table, double from, double to);
    // Calls what lies after from (from itself too when includeFrom) up to to, in time order: intervals that
    // ended on the way get progress final, those that hold to their progress there, and every event fires.
    template <typename Table, typename Progress>
    void Replay(const Table& intervals, EventTable& events, double from, bool includeFrom, double to, Progress progress,
                double final);

    IEngine* m_engine;
    std::multimap<double, Interval> m_forward;
    std::multimap<double, Interval, std::greater<double>> m_backward;
    std::multimap<double, Interval> m_realTime;
    EventTable m_events;
    EventTable m_realTimeEvents;
    double m_lastDemoTime = 0.0;
    double m_lastRealTime = 0.0;
    // Registered targets that can be rewound, each once, in registration order.
    std::vector<IRewindable*> m_rewindables;
    // Reused every frame so that scheduling allocates nothing once the show runs.
    std::vector<Call> m_calls;
    std::vector<ReplayCall> m_replay;
};
