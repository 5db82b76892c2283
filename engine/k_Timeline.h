#pragma once
// The engine's clock (see ITimeline): real time, demo time scaled by the speed, and the last
// step. Advance drives the animation manager's pass and then the engine's world updates.
#include "interfaces/ITimeline.h"

class IEngine;

class k_Timeline : public ITimeline
{
public:
    // Both clocks at 0, speed 1, last step 0. The engine is not owned.
    explicit k_Timeline(IEngine* engine);
    ~k_Timeline() override = default;

    double GetDeltaTime() override;
    double GetRealTime() override;
    double GetTime() override;
    void SetSpeed(double speed) override;
    double GetSpeed() override;
    void Advance(double step) override;
    void Seek(double time) override;
    void SetTempoMap(const ITempoMap* tempoMap) override;
    double GetBeat() override;
    double GetDemoDeltaTime() override;

private:
    IEngine* m_engine;
    double m_realTime = 0.0;
    double m_demoTime = 0.0;
    double m_speed = 1.0;
    double m_lastStep = 0.0;
    double m_lastDemoStep = 0.0;
    const ITempoMap* m_tempoMap = nullptr;
};
