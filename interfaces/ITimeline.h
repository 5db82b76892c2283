#pragma once
// The engine's clock: real time (the sum of every step) and demo time (each step scaled by
// the speed), both in seconds. Advanced once per frame by the renderer; each advance runs the
// animation manager's scheduling pass and then the engine's world update pass. A tempo map, when
// given, turns demo time into the music's beats for the shaders.
#include "interfaces/ITempoMap.h"

class ITimeline
{
public:
    virtual ~ITimeline() = default;

    // The step given to the most recent Advance, unscaled.
    virtual double GetDeltaTime() = 0;
    // The sum of every step given to Advance.
    virtual double GetRealTime() = 0;
    // The demo time: the sum of speed * step over every Advance.
    virtual double GetTime() = 0;
    // Sets the factor applied to later steps (negative plays backwards, 0 stops demo time).
    virtual void SetSpeed(double speed) = 0;
    // The current speed factor.
    virtual double GetSpeed() = 0;
    // Moves both clocks by the step, then runs the scheduled work and updates the worlds.
    virtual void Advance(double step) = 0;
    // Sets the demo time and brings the scheduler to it (see IAnimationManager::Seek); the real time
    // stays, the last step becomes 0, nothing is updated or drawn. The next Advance goes on from there.
    // A time that is not finite is refused (logged) and changes nothing.
    virtual void Seek(double time) = 0;
    // The music's tempo map (not owned; null: none). The owner clears it before the map goes.
    virtual void SetTempoMap(const ITempoMap* tempoMap) = 0;
    // Beats of the tempo map at the demo time (0 without a map).
    virtual double GetBeat() = 0;
    // The demo time the most recent Advance moved by (its step scaled by the speed then in force); 0 after a
    // seek. What follows the show's own clock (feedback, light adaption) steps by this, so that it keeps its
    // pace per demo second at any speed.
    virtual double GetDemoDeltaTime() = 0;
};
