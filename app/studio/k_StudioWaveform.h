#pragma once
// The tune's waveform for the studio's timeline strip: the decoded samples
// reduced to the lowest and highest level of each column of a picture, and
// that picture (RGBA, top row first) the strip shows a slice of. Made once;
// plain arithmetic, no GL.
#include <cstddef>
#include <cstdint>
#include <vector>

class k_StudioWaveform
{
public:
    // The tune's samples: 16-bit, channels interleaved.
    struct Sound
    {
        std::vector<int16_t> samples;
        int channels = 0;
        int rate = 0;
    };

    k_StudioWaveform() = default;
    // Reduces the sound to columns (each column's channels mixed, its lowest and highest level in -1..1);
    // an empty or malformed sound gives no columns.
    k_StudioWaveform(const Sound& sound, int columns);

    bool IsEmpty() const { return m_low.empty(); }
    int GetColumns() const { return static_cast<int>(m_low.size()); }
    // The tune's length in seconds (the columns cover it evenly).
    double GetSeconds() const { return m_seconds; }
    float GetLow(int column) const { return m_low[static_cast<size_t>(column)]; }
    float GetHigh(int column) const { return m_high[static_cast<size_t>(column)]; }

    // The same waveform in fewer columns (at most `columns`), each the lowest and highest level of the ones it
    // takes in: the strip shows the whole show with it, where sampling the wide picture costs far more.
    k_StudioWaveform Narrowed(int columns) const;

    // The picture: GetColumns() wide, height tall, each column filled in colour (RGBA bytes packed as
    // R | G << 8 | B << 16 | A << 24) from its highest to its lowest level, transparent elsewhere.
    std::vector<uint32_t> Picture(int height, uint32_t colour) const;

private:
    std::vector<float> m_low;
    std::vector<float> m_high;
    double m_seconds = 0.0;
};
