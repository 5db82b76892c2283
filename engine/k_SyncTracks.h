#pragma once
// The engine's sync tracks (see ISyncTracks), on the music's tempo map, and the track files the sync editors
// and their player libraries read and write: one file a track, named after a base and the track
// ("sync_camera-3Ax.track": characters other than letters, digits, '.', '_' and '/' as '-' and two hex digits),
// holding the key count, then each key's row, value and interpolation (32-bit integer, 32-bit float, one byte,
// little-endian).
#include "interfaces/ISyncTracks.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IFileSystem;
class ITempoMap;

class k_SyncTracks : public ISyncTracks
{
public:
    // Rows from demo time through the tempo map (not owned; null: 120 beats a minute from 0 s).
    explicit k_SyncTracks(const ITempoMap* tempo = nullptr, int rowsPerBeat = 8);

    // Most keys a track may hold, and the rows they may sit on (a day of music at 1,000 rows a second).
    static constexpr std::size_t MaxKeys = 1u << 20;
    static constexpr int MaxRow = 100'000'000;
    // The rows between a track's first and last key that its integral is tabled for (an hour at 1,000 rows a
    // second); past them the value counts as the last key's.
    static constexpr int MaxIntegralRows = 1 << 22;
    // How near a whole row a time's row must come to count as that row.
    static constexpr double RowTolerance = 1e-6;

    int GetTrack(const std::string& name) override;
    int FindTrack(const std::string& name) const override;
    int GetTrackCount() const override { return static_cast<int>(m_tracks.size()); }
    const std::string& GetTrackName(int track) const override;
    bool SetKey(int track, const Key& key) override;
    bool DeleteKey(int track, int row) override;
    void ClearKeys(int track) override;
    const std::vector<Key>& GetKeys(int track) const override;
    double GetRow(double time) const override;
    double GetTimeOfRow(double row) const override;
    std::optional<double> GetValue(int track, double time) const override;
    double GetIntegral(int track, double time, double unkeyed) const override;
    // The value at a row, as GetValue.
    std::optional<double> GetValueAtRow(int track, double row) const;

    void SetTempoMap(const ITempoMap* tempo) override;
    int GetRowsPerBeat() const { return m_rowsPerBeat; }

    // --- track files ---
    // The file name of a track under a base ("sync" and "camera:x" give "sync_camera-3Ax.track").
    static std::string FileName(const std::string& base, const std::string& track);
    std::string Encode(int track) const override;
    std::string Decode(int track, std::string_view bytes) override;
    // Reads every track's keys from its file under the base in the file system (the pack, or a folder the
    // studio serves first); a track without a file keeps its keys, or loses them with missingClears (a file
    // deleted since). A damaged file leaves its track as it was and is named, with what is wrong with it, in
    // the messages returned.
    static std::vector<std::string> ReadFiles(ISyncTracks& tracks, IFileSystem& files, const std::string& base,
                                              bool missingClears = false);

private:
    struct Track
    {
        std::string name;
        std::vector<Key> keys;
        // The integral from the first key's row to the start of each row after it, made when first asked
        // for after the keys or the tempo map changed.
        mutable std::vector<double> integral;
        mutable bool integralValid = false;
    };
    const Track* Find(int track) const;
    Track* Find(int track);
    void TableIntegral(const Track& track) const;

    const ITempoMap* m_tempo;
    int m_rowsPerBeat;
    std::vector<Track> m_tracks;
};
