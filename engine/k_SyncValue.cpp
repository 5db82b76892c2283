#include "engine/k_SyncValue.h"

#include "interfaces/IEngine.h"
#include "interfaces/ISyncTracks.h"
#include "interfaces/ITimeline.h"

k_SyncValue::k_SyncValue(IEngine* engine, const std::string& name)
    : m_engine(engine), m_tracks(engine != nullptr ? engine->GetSyncTracks() : nullptr)
{
    if (m_tracks != nullptr)
        m_track = m_tracks->GetTrack(name);
}

std::optional<double> k_SyncValue::At(double time) const
{
    if (m_tracks == nullptr)
        return std::nullopt;
    return m_tracks->GetValue(m_track, time);
}

double k_SyncValue::Integral(double time, double unkeyed) const
{
    if (m_tracks == nullptr)
        return unkeyed * time;
    return m_tracks->GetIntegral(m_track, time, unkeyed);
}

std::optional<double> k_SyncValue::Time() const
{
    ITimeline* timeline = m_engine != nullptr ? m_engine->GetTimeline() : nullptr;
    if (timeline == nullptr)
        return std::nullopt;
    return timeline->GetTime();
}

double k_SyncValue::Now(double unkeyed) const
{
    const std::optional<double> time = Time();
    return time ? At(*time, unkeyed) : unkeyed;
}

double k_SyncValue::IntegralNow(double unkeyed) const
{
    const std::optional<double> time = Time();
    return time ? Integral(*time, unkeyed) : 0.0;
}
