#pragma once
// The engine's scheduler of timed work: intervals (IAnimateable) and instants (IEvent) on the
// demo clock or the real clock, called from the timeline's per-frame advance. Targets are not
// owned and must outlive the manager; nothing is ever unregistered.
//
// Intervals are keyed by their start alone: a registration whose start equals an earlier
// one's joins that entry and takes its interval (for backward play, equal ends are merged).
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"

class IAnimationManager
{
public:
    // Frees the tables, not the targets.
    virtual ~IAnimationManager() = default;

    // Animates target on the demo clock during [start, end], for forward and backward play.
    virtual void AddAnimation(double start, double end, IAnimateable* target, int code) = 0;
    // Animates target on the real clock during [start, end]; progress falls from 1 to 0.
    virtual void AddRealTimeAnimation(double start, double end, IAnimateable* target, int code) = 0;
    // Triggers target when the demo time reaches or passes time.
    virtual void AddEvent(double time, IEvent* target, int code) = 0;
    // Triggers target when the real time reaches or passes time.
    virtual void AddRealTimeEvent(double time, IEvent* target, int code) = 0;
    // Runs one frame: every due Animate, then every due Trigger.
    virtual void Update() = 0;
};
