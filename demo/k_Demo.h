#pragma once
// The show: builds the worlds and captions of "starwane" with the loading bar
// advancing, clears the screen before each frame, and switches worlds and
// fades at the times it registers with the animation manager.
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"

class IEngine;

class k_Demo : public IEvent, public IAnimateable
{
public:
    explicit k_Demo(IEngine* engine);
    ~k_Demo() override;
    k_Demo(const k_Demo&) = delete;
    k_Demo& operator=(const k_Demo&) = delete;

    // Scene switches at the registered instants.
    void Trigger(int code) override;
    // Builds every world, caption and schedule of the show, advancing and presenting the loading bar.
    virtual void Build();
    // Clears colour and depth (depth to 0) for the next frame; front faces clockwise.
    virtual void BeginFrame();
    // Fades during the registered intervals.
    void Animate(double progress, int code) override;

private:
    IEngine* m_engine;
};
