#pragma once
// Something triggered at an instant of the demo clock (or the real clock) by the animation
// manager. The code is the registering party's own and comes back unchanged.

class IEvent
{
public:
    virtual ~IEvent() = default;

    // Called once in the frame whose time first reaches or passes the registered instant.
    virtual void Trigger(int code) = 0;
};
