#pragma once
// The show "starwane": builds its five worlds and 34 timed captions behind
// the loading bar, clears the screen before each frame, and at the times it
// registers with the animation manager switches worlds on and off and drives
// the fade colour of the plasma overlay and the logo's alpha.
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"

#include <vector>

class IEngine;
class IWorld;
class k_AfterWorld;
class k_DriftWorld;
class k_PlasmaWorld;

class k_Demo : public IEvent, public IAnimateable
{
public:
    explicit k_Demo(IEngine* engine);
    // Destroys the captions, last created first; the worlds live on (the engine's list refers to them).
    ~k_Demo() override;
    k_Demo(const k_Demo&) = delete;
    k_Demo& operator=(const k_Demo&) = delete;

    // Scene switches: 1 landscape on; 3 plasma on, landscape off.
    void Trigger(int code) override;
    // Builds every world, caption and schedule of the show, advancing and presenting the loading bar.
    // A world, target or material that cannot be made ends it with a wide message naming it.
    virtual void Build();
    // Clears colour and depth (depth to 0) for the next frame; front faces clockwise.
    virtual void BeginFrame();
    // Fades: 1 from black, 2 to white, 3 from white, 4 logo in and picture to black.
    void Animate(double progress, int code) override;

    k_PlasmaWorld* GetPlasmaWorld() const { return m_plasmaWorld; }
    k_AfterWorld* GetAfterWorld() const { return m_afterWorld; }
    IWorld* GetTerrainWorld() const { return m_terrainWorld; }
    IWorld* GetHdrWorld() const { return m_hdrWorld; }
    k_DriftWorld* GetDriftWorld() const { return m_driftWorld; }
    // The captions in creation order (owned).
    const std::vector<IEvent*>& GetEvents() const { return m_events; }

    // Number of progress steps of Build before the bar is drawn full.
    static constexpr int k_ProgressSteps = 39;

private:
    void Progress(int step);
    void Progress(float fraction);
    void SetFadeColour(float r, float g, float b, float a);
    void SetLandscapeEnabled(bool enabled);

    IEngine* m_engine;
    std::vector<IEvent*> m_events;
    k_PlasmaWorld* m_plasmaWorld = nullptr;
    k_AfterWorld* m_afterWorld = nullptr;
    IWorld* m_terrainWorld = nullptr;
    IWorld* m_hdrWorld = nullptr;
    k_DriftWorld* m_driftWorld = nullptr;
};
