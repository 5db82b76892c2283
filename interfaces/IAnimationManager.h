#pragma once
// The engine's scheduler of timed work: intervals (IAnimateable) and instants (IEvent) on the
// demo clock or the real clock, called from the timeline's per-frame advance. Targets are not
// owned and must outlive the manager; nothing is unregistered but by Clear, all at once.
//
// Targets that also implement IRewindable are put back as they were before the first frame when the
// schedule is sought (see Seek).
//
// Every interval keeps its own start and end: two registrations with one start (or one end) and
// different spans are two intervals; those sharing a start are called in registration order.
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"
#include "interfaces/IRewindable.h"

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
    // Has Seek rewind target, which may have nothing scheduled (a target registered for calls that is an
    // IRewindable is rewound without this); each target once, in the order first registered.
    virtual void AddRewindable(IRewindable* target) = 0;
    // Runs one frame: every due Animate, then every due Trigger. A frame whose time moved forward by more
    // than a threshold (a stall, a restored window) catches up instead: what it jumped over is called as a
    // seek would call it, so no fade is left half-way.
    virtual void Update() = 0;
    // Brings the demo-clock schedule to time as if every frame up to it had been drawn: every target that
    // is also an IRewindable is rewound, then, in time order (animations before triggers at one instant),
    // every interval that ended before time is animated once with progress 1, every event in [0, time] is
    // triggered and every interval that holds time is animated at its progress there. The next Update
    // goes on from time. The real-clock tables are left alone.
    virtual void Seek(double time) = 0;
    // Forgets every registration, on both clocks (for a schedule made anew: the show file read again).
    // The clocks' last times stay.
    virtual void Clear() = 0;
};
