#pragma once
// Something triggered at an instant of the demo clock (or the real clock) by the animation
// manager. The code is the registering party's own and comes back unchanged.

class IEvent
{
public:
    virtual ~IEvent() = default;

    // Called in the frame whose time first reaches or passes the registered instant; both
    // bounds are inclusive, so a frame that lands exactly on it is followed by a second call.
    virtual void Trigger(int code) = 0;
};
