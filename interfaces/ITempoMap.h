#pragma once
// The music's tempo map: where each bar and beat of the tune falls in demo time. Bars are counted from 1
// (bar 0 and below lie before the first downbeat, a pickup); beats within a bar from 1. Shaders read the
// beat count of the current time through the built-in uniform "demoBeat".

class ITempoMap
{
public:
    virtual ~ITempoMap() = default;

    // Beats since the first beat of bar 1 at the demo time, with its fraction (negative before it).
    virtual double GetBeat(double time) const = 0;
    // The demo time of a beat count (the inverse of GetBeat).
    virtual double GetTimeOfBeat(double beat) const = 0;
    // The demo time of a bar's beat (1 is the downbeat; fractions lie between beats). A bar's first beat on
    // a tempo change is that change's own time, exactly.
    virtual double GetTimeOf(int bar, double beat) const = 0;
};
