#pragma once
// Named tracks of keyed values for the show's continuous parameters (a camera's offset, the exposure, a
// colour), shaped by hand in a sync editor: each key sits on a row (rowsPerBeat rows to a beat of the music's
// tempo map) with a value and how the value goes on to the next key. A track is asked for by name once and
// read by its index every frame.
#include <optional>
#include <string>
#include <vector>

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

    // The index of the track of that name, made (without keys) when there is none yet.
    virtual int GetTrack(const std::string& name) = 0;
    // The number of tracks and a track's name.
    virtual int GetTrackCount() const = 0;
    virtual const std::string& GetTrackName(int track) const = 0;
    // Sets a key (replacing one on the same row) or deletes the key on a row; false for a track, row or
    // interpolation that does not exist.
    virtual bool SetKey(int track, const Key& key) = 0;
    virtual bool DeleteKey(int track, int row) = 0;
    // The keys of a track, by row.
    virtual const std::vector<Key>& GetKeys(int track) const = 0;
    // The row at a demo time (fractional), through the tempo map.
    virtual double GetRow(double time) const = 0;
    // A track's value at a demo time: before its first key the first value, after its last key the last
    // value; nothing for a track without keys (the show then keeps its own value).
    virtual std::optional<double> GetValue(int track, double time) const = 0;
};
