#pragma once
// The engine's scheduler (see IAnimationManager). Intervals live in ordered tables keyed by
// one end only: the forward and real-time tables by start (ascending), the backward table by
// end (descending), so a registration that repeats a key joins the existing entry and takes
// its interval. Instants live in tables ordered by time. Each Update animates first, then
// triggers.
#include "interfaces/IAnimationManager.h"

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
    void Update() override;

private:
    template <typename Target> struct Registration
    {
        Target* target;
        int code;
    };
    // One interval and the targets registered under it, in registration order.
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

    static bool IsValid(double start, double end, const void* target, const char* what);
    static void AddInterval(std::map<double, Interval>& table, double start, double end, IAnimateable* target,
                            int code);
    static void TriggerRange(EventTable& table, double from, double to);

    IEngine* m_engine;
    std::map<double, Interval> m_forward;
    std::map<double, Interval, std::greater<double>> m_backward;
    std::map<double, Interval> m_realTime;
    EventTable m_events;
    EventTable m_realTimeEvents;
    double m_lastDemoTime = 0.0;
    double m_lastRealTime = 0.0;
    // Reused every frame so that scheduling allocates nothing once the show runs.
    std::vector<Call> m_calls;
};
