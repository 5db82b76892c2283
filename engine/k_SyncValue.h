#pragma once
// One named sync track as a world reads it: asked for by name once (at Build), read by index every frame,
// and standing back for the world's own value while the track has no keys.
#include <optional>
#include <string>

class IEngine;
class ISyncTracks;

class k_SyncValue
{
public:
    k_SyncValue() = default;
    // Asks the engine's sync tracks for the track (made without keys if new); an engine without sync tracks
    // leaves the value unkeyed.
    k_SyncValue(IEngine* engine, const std::string& name);

    // The track's value at the demo time, or nothing while it has no keys.
    std::optional<double> At(double time) const;
    // The track's value at the demo time, or `unkeyed` while it has no keys.
    double At(double time, double unkeyed) const { return At(time).value_or(unkeyed); }
    // The track summed over demo time from 0 (see ISyncTracks::GetIntegral).
    double Integral(double time, double unkeyed) const;
    // The value and the sum at the engine's demo time.
    double Now(double unkeyed) const;
    double IntegralNow(double unkeyed) const;

private:
    // The engine's demo time, or nothing when it has no timeline.
    std::optional<double> Time() const;

    IEngine* m_engine = nullptr;
    ISyncTracks* m_tracks = nullptr;
    int m_track = -1;
};
