#include "engine/k_SyncTracks.h"

#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/ITempoMap.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{
const std::vector<ISyncTracks::Key> k_NoKeys;
const std::string k_NoName;

void PutInt32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

uint32_t GetInt32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// The first key at or after a row.
std::vector<ISyncTracks::Key>::const_iterator LowerBound(const std::vector<ISyncTracks::Key>& keys, int row)
{
    return std::lower_bound(keys.begin(), keys.end(), row,
                            [](const ISyncTracks::Key& key, int r) { return key.row < r; });
}
} // namespace

k_SyncTracks::k_SyncTracks(const ITempoMap* tempo, int rowsPerBeat)
    : m_tempo(tempo), m_rowsPerBeat(std::max(1, rowsPerBeat))
{
}

// --- tracks and keys ---

int k_SyncTracks::GetTrack(const std::string& name)
{
    // The editors drop the connection on such a name (and every reconnect would pause and move the show).
    if (name.empty() || name.find('\0') != std::string::npos)
    {
        k_Log(k_Log::Colour::Error) << "Sync: a track needs a name without NUL characters (asked for \""
                                    << name.substr(0, name.find('\0')) << (name.empty() ? "" : "\\0...")
                                    << "\"); no track is made and the value stays the world's own";
        return -1;
    }
    const int found = FindTrack(name);
    if (found >= 0)
        return found;
    m_tracks.push_back({name, {}, {}, false});
    return static_cast<int>(m_tracks.size() - 1);
}

int k_SyncTracks::FindTrack(const std::string& name) const
{
    for (size_t i = 0; i < m_tracks.size(); ++i)
        if (m_tracks[i].name == name)
            return static_cast<int>(i);
    return -1;
}

const k_SyncTracks::Track* k_SyncTracks::Find(int track) const
{
    return track >= 0 && track < static_cast<int>(m_tracks.size()) ? &m_tracks[static_cast<size_t>(track)] : nullptr;
}

k_SyncTracks::Track* k_SyncTracks::Find(int track)
{
    return track >= 0 && track < static_cast<int>(m_tracks.size()) ? &m_tracks[static_cast<size_t>(track)] : nullptr;
}

void k_SyncTracks::SetTempoMap(const ITempoMap* tempo)
{
    m_tempo = tempo;
    for (Track& track : m_tracks)
        track.integralValid = false;
}

const std::string& k_SyncTracks::GetTrackName(int track) const
{
    const Track* found = Find(track);
    return found ? found->name : k_NoName;
}

const std::vector<ISyncTracks::Key>& k_SyncTracks::GetKeys(int track) const
{
    const Track* found = Find(track);
    return found ? found->keys : k_NoKeys;
}

bool k_SyncTracks::SetKey(int track, const Key& key)
{
    if (!Find(track) || key.row < 0 || key.row > MaxRow || key.interpolation < Step || key.interpolation > Ramp ||
        !std::isfinite(key.value))
        return false;
    Track& changed = m_tracks[static_cast<size_t>(track)];
    std::vector<Key>& keys = changed.keys;
    auto at = LowerBound(keys, key.row);
    if (at != keys.end() && at->row == key.row)
    {
        keys[static_cast<size_t>(at - keys.begin())] = key;
        changed.integralValid = false;
        return true;
    }
    if (keys.size() >= MaxKeys)
        return false;
    keys.insert(at, key);
    changed.integralValid = false;
    return true;
}

bool k_SyncTracks::DeleteKey(int track, int row)
{
    if (!Find(track))
        return false;
    Track& changed = m_tracks[static_cast<size_t>(track)];
    auto at = LowerBound(changed.keys, row);
    if (at == changed.keys.end() || at->row != row)
        return false;
    changed.keys.erase(at);
    changed.integralValid = false;
    return true;
}

void k_SyncTracks::ClearKeys(int track)
{
    if (Track* found = Find(track))
    {
        found->keys.clear();
        found->integralValid = false;
    }
}

// --- values ---

double k_SyncTracks::GetRow(double time) const
{
    const double beat = m_tempo ? m_tempo->GetBeat(time) : time * 2.0;
    const double row = beat * m_rowsPerBeat;
    // A row's own time, turned back into a row, may land a hair below it (the tempo's seconds a beat are not
    // exact in binary): within a millionth of a row it is that row, so a key is read on its own row and not
    // floored onto the one before.
    const double whole = std::round(row);
    return std::fabs(row - whole) < RowTolerance ? whole : row;
}

std::optional<double> k_SyncTracks::GetValue(int track, double time) const
{
    return GetValueAtRow(track, GetRow(time));
}

// The key at or before the row (by whole rows) sets how the value goes on to the next one, as in the editors.
std::optional<double> k_SyncTracks::GetValueAtRow(int track, double row) const
{
    const Track* found = Find(track);
    if (!found || found->keys.empty() || !std::isfinite(row))
        return std::nullopt;
    const std::vector<Key>& keys = found->keys;
    const double whole = std::floor(row);
    const int at = whole < -1.0 ? -1 : whole > MaxRow ? MaxRow : static_cast<int>(whole);
    auto next = std::upper_bound(keys.begin(), keys.end(), at, [](int r, const Key& key) { return r < key.row; });
    if (next == keys.begin())
        return keys.front().value;
    if (next == keys.end())
        return keys.back().value;
    const Key& a = *(next - 1);
    const Key& b = *next;
    double t = (row - a.row) / static_cast<double>(b.row - a.row);
    switch (a.interpolation)
    {
    case Linear:
        break;
    case Smooth:
        t = t * t * (3.0 - 2.0 * t);
        break;
    case Ramp:
        t = t * t;
        break;
    default:
        return a.value;
    }
    return a.value + (static_cast<double>(b.value) - a.value) * t;
}

// --- integrals ---

double k_SyncTracks::GetTimeOfRow(double row) const
{
    const double beat = row / m_rowsPerBeat;
    return m_tempo ? m_tempo->GetTimeOfBeat(beat) : beat * 0.5;
}

// Between two whole rows the value is a polynomial of at most the third degree in the row and the tempo is
// constant (the tempo map changes tempo on a bar's downbeat, a whole row), so Simpson's rule over each row is
// exact.
void k_SyncTracks::TableIntegral(const Track& track) const
{
    const int first = track.keys.front().row;
    const int last = std::min(track.keys.back().row, first + MaxIntegralRows);
    const int index = static_cast<int>(&track - m_tracks.data());
    track.integral.assign(static_cast<size_t>(last - first) + 1, 0.0);
    double previousTime = GetTimeOfRow(first);
    for (int row = first; row < last; ++row)
    {
        const double time = GetTimeOfRow(row + 1.0);
        const double simpson = (*GetValueAtRow(index, row) + 4.0 * *GetValueAtRow(index, row + 0.5) +
                                *GetValueAtRow(index, std::nextafter(row + 1.0, 0.0))) /
                               6.0;
        track.integral[static_cast<size_t>(row - first) + 1] =
            track.integral[static_cast<size_t>(row - first)] + simpson * (time - previousTime);
        previousTime = time;
    }
    track.integralValid = true;
}

double k_SyncTracks::GetIntegral(int track, double time, double unkeyed) const
{
    const Track* found = Find(track);
    if (!found || found->keys.empty() || !std::isfinite(time))
        return unkeyed * time;
    if (!found->integralValid)
        TableIntegral(*found);
    const std::vector<Key>& keys = found->keys;
    const int first = keys.front().row;
    const int last = first + static_cast<int>(found->integral.size()) - 1;
    const double firstTime = GetTimeOfRow(first);
    // Before the first key the value is the first key's.
    const double before = keys.front().value * std::min(time, firstTime);
    if (time <= firstTime)
        return before;
    const double row = std::min(GetRow(time), static_cast<double>(last));
    const int whole = std::clamp(static_cast<int>(std::floor(row)), first, last);
    double sum = before + found->integral[static_cast<size_t>(whole - first)];
    if (whole < last)
    {
        // The part of the last row begun, by Simpson's rule over it.
        const double mid = (whole + row) * 0.5;
        sum += (*GetValueAtRow(track, whole) + 4.0 * *GetValueAtRow(track, mid) + *GetValueAtRow(track, row)) / 6.0 *
               (GetTimeOfRow(row) - GetTimeOfRow(whole));
    }
    // After the last tabled row the value holds.
    const double lastTime = GetTimeOfRow(last);
    if (time > lastTime)
        sum += *GetValueAtRow(track, last) * (time - lastTime);
    return sum;
}

// --- track files ---

std::string k_SyncTracks::FileName(const std::string& base, const std::string& track)
{
    static const char k_Hex[] = "0123456789ABCDEF";
    std::string name = base + "_";
    for (const char c : track)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '.' || c == '_' || c == '/')
            name += c;
        else
            name += {'-', k_Hex[byte >> 4], k_Hex[byte & 0xFu]};
    }
    return name + ".track";
}

std::string k_SyncTracks::Encode(int track) const
{
    const std::vector<Key>& keys = GetKeys(track);
    std::string bytes;
    bytes.reserve(4 + keys.size() * 9);
    PutInt32(bytes, static_cast<uint32_t>(keys.size()));
    for (const Key& key : keys)
    {
        uint32_t value = 0;
        std::memcpy(&value, &key.value, sizeof value);
        PutInt32(bytes, static_cast<uint32_t>(key.row));
        PutInt32(bytes, value);
        bytes.push_back(static_cast<char>(key.interpolation));
    }
    return bytes;
}

std::string k_SyncTracks::Decode(int track, std::string_view bytes)
{
    if (!Find(track))
        return "no such track";
    if (bytes.size() < 4)
        return "the file is shorter than its key count";
    const uint32_t count = GetInt32(bytes, 0);
    if (count > MaxKeys)
        return "the file claims " + std::to_string(count) + " keys; a track holds at most " + std::to_string(MaxKeys);
    if (bytes.size() != 4 + static_cast<size_t>(count) * 9)
        return "the file holds " + std::to_string(bytes.size()) + " bytes where " + std::to_string(count) +
               " keys take " + std::to_string(4 + static_cast<size_t>(count) * 9);
    std::vector<Key> keys;
    keys.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
    {
        const size_t at = 4 + static_cast<size_t>(i) * 9;
        Key key;
        key.row = static_cast<int32_t>(GetInt32(bytes, at));
        const uint32_t value = GetInt32(bytes, at + 4);
        std::memcpy(&key.value, &value, sizeof key.value);
        key.interpolation = static_cast<unsigned char>(bytes[at + 8]);
        const std::string which = "key " + std::to_string(i + 1) + " of " + std::to_string(count);
        if (key.row < 0 || key.row > MaxRow)
            return which + " sits on row " + std::to_string(key.row) + ", outside 0 to " + std::to_string(MaxRow);
        if (!keys.empty() && key.row <= keys.back().row)
            return which + " is not after the key before it";
        if (!std::isfinite(key.value))
            return which + " has a value that is not a finite number";
        if (key.interpolation > Ramp)
            return which + " has the interpolation " + std::to_string(key.interpolation) + "; expected 0 to 3";
        keys.push_back(key);
    }
    m_tracks[static_cast<size_t>(track)].keys = std::move(keys);
    m_tracks[static_cast<size_t>(track)].integralValid = false;
    return std::string();
}

std::vector<std::string> k_SyncTracks::ReadFiles(ISyncTracks& tracks, IFileSystem& files, const std::string& base,
                                                 bool missingClears)
{
    std::vector<std::string> errors;
    for (int track = 0; track < tracks.GetTrackCount(); ++track)
    {
        const std::string name = FileName(base, tracks.GetTrackName(track));
        std::unique_ptr<IFile> file(files.OpenFile(k_Utf8::FromUtf8(name)));
        if (!file)
        {
            if (missingClears)
                tracks.ClearKeys(track);
            continue;
        }
        const std::string fault = tracks.Decode(track, std::string_view(reinterpret_cast<const char*>(file->GetData()),
                                                                        static_cast<size_t>(file->GetSize())));
        if (!fault.empty())
            errors.push_back(name + ": " + fault);
    }
    return errors;
}
