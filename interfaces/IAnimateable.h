#pragma once
// Something animated by the animation manager during a registered interval with a progress
// value. The code is the registering party's own and comes back unchanged.

class IAnimateable
{
public:
    virtual ~IAnimateable() = default;

    // Called in every frame whose time lies inside the registered interval (ends included).
    // Demo-time progress runs from 0 at the start to 1 at the end; real-time progress from 1 to 0.
    virtual void Animate(double progress, int code) = 0;
};
