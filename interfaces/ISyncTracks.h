#pragma once
// Named tracks of keyed values for the show's continuous parameters (a camera's offset, the exposure, a
// colour), shaped by hand in a sync editor: each key sits on a row (rowsPerBeat rows to a beat of the music's
// tempo map) with a value and how the value goes on to the next key. A track is asked for by name once and
// read by its index every frame.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ITempoMap;

class ISyncTracks
{
public:
    virtual ~ISyncTracks() = default;

    // How a key's value goes on to the next key's, as the sync editors count them.
    enum Interpolation : int
    {
        Step = 0,   // stays until the next key
        Linear = 1, // straight to the next value
        Smooth = 2, // eased in and out (3t^2 - 2t^3)
        Ramp = 3,   // slowly at first (t^2)
    };
    struct Key
    {
        int row = 0;
        float value = 0.0f;
        int interpolation = Step;
    };

    // The index of the track of that name, made (without keys) when there is none yet. A track is never
    // removed, so its index holds for the service's lifetime. An empty name, or one holding a NUL, which the
    // sync editors cannot take, is refused with a message: -1, a track without keys to every reader.
    virtual int GetTrack(const std::string& name) = 0;
    // The index of the track of that name, or -1 when there is none.
    virtual int FindTrack(const std::string& name) const = 0;
    // The number of tracks and a track's name.
    virtual int GetTrackCount() const = 0;
    virtual const std::string& GetTrackName(int track) const = 0;
    // Sets a key (replacing one on the same row) or deletes the key on a row; false for a track, row or
    // interpolation that does not exist.
    virtual bool SetKey(int track, const Key& key) = 0;
    virtual bool DeleteKey(int track, int row) = 0;
    // Removes every key of a track (a sync editor sends them all again when the demo connects).
    virtual void ClearKeys(int track) = 0;
    // The keys of a track, by row.
    virtual const std::vector<Key>& GetKeys(int track) const = 0;
    // The row at a demo time (fractional), through the tempo map, and the demo time of a row.
    virtual double GetRow(double time) const = 0;
    virtual double GetTimeOfRow(double row) const = 0;
    // A track's value at a demo time: before its first key the first value, after its last key the last
    // value; nothing for a track without keys (the show then keeps its own value).
    virtual std::optional<double> GetValue(int track, double time) const = 0;
    // The track's value summed over demo time from 0 to `time` (a speed track gives the distance gone): the
    // value `unkeyed` throughout when the track has no keys.
    virtual double GetIntegral(int track, double time, double unkeyed) const = 0;
    // The bytes of a track's file, as the sync editors' player libraries read them.
    virtual std::string Encode(int track) const = 0;
    // Replaces a track's keys with those of a track file's bytes; on a damaged file the track stays as it was
    // and the reason is returned (empty on success).
    virtual std::string Decode(int track, std::string_view bytes) = 0;
    // The music's tempo map the rows count beats of (not owned; null: 120 beats a minute from 0 s).
    virtual void SetTempoMap(const ITempoMap* tempo) = 0;
};
