#include "engine/k_Timeline.h"

#include "engine/k_Log.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IEngine.h"

#include <cmath>

k_Timeline::k_Timeline(IEngine* engine) : m_engine(engine) {}

double k_Timeline::GetDeltaTime()
{
    return m_lastStep;
}

double k_Timeline::GetDemoDeltaTime()
{
    return m_lastDemoStep;
}

double k_Timeline::GetRealTime()
{
    return m_realTime;
}

double k_Timeline::GetTime()
{
    return m_demoTime;
}

void k_Timeline::SetSpeed(double speed)
{
    m_speed = speed;
}

double k_Timeline::GetSpeed()
{
    return m_speed;
}

void k_Timeline::Seek(double time)
{
    // A time that is not finite would be stored and poison every later step: refuse it here, where
    // it would be stored, and leave the clocks as they are.
    if (!std::isfinite(time))
    {
        k_Log(k_Log::Colour::Error) << "Timeline: ignored a seek to a time that is not finite";
        return;
    }
    m_demoTime = time;
    m_lastStep = 0.0;
    m_lastDemoStep = 0.0;
    if (!m_engine)
        return;
    if (IAnimationManager* manager = m_engine->GetAnimationManager())
        manager->Seek(time);
}

void k_Timeline::Advance(double step)
{
    // The step is taken as it is: never clamped, and a negative step moves both clocks back.
    m_realTime = m_realTime + step;
    const double before = m_demoTime;
    m_demoTime = m_speed * step + m_demoTime;
    m_lastStep = step;
    // What the demo clock really moved (the sum rounds), so that steps add up to the time travelled.
    m_lastDemoStep = m_demoTime - before;

    // Every scheduled call is made on the new times before any world updates (and so
    // before anything is drawn).
    if (!m_engine)
        return;
    if (IAnimationManager* manager = m_engine->GetAnimationManager())
        manager->Update();
    m_engine->UpdateWorlds();
}

// --- the music's beats ---

void k_Timeline::SetTempoMap(const ITempoMap* tempoMap)
{
    m_tempoMap = tempoMap;
}

double k_Timeline::GetBeat()
{
    return m_tempoMap ? m_tempoMap->GetBeat(m_demoTime) : 0.0;
}
