#pragma once
// An OGG Vorbis file read by vorbisfile straight from a block of memory (no
// copy, no file): the audio layer plays it, the capture decodes it whole for
// its video. The block must outlive the object, which never moves (vorbisfile
// keeps a pointer to its read cursor).
#include <cstddef>
#include <cstdint>
#include <vector>
#include <vorbis/vorbisfile.h>

class k_VorbisMemoryFile
{
public:
    // vorbisfile's read cursor over the block.
    struct Source
    {
        const unsigned char* data = nullptr;
        size_t size = 0;
        size_t position = 0;
    };

    k_VorbisMemoryFile() = default;
    ~k_VorbisMemoryFile();
    k_VorbisMemoryFile(const k_VorbisMemoryFile&) = delete;
    k_VorbisMemoryFile& operator=(const k_VorbisMemoryFile&) = delete;

    // Streams of more channels, or a rate outside this range, are refused when opened: no tune of ours has
    // them, and a damaged header could otherwise make a converter expand every second of sound into minutes.
    static constexpr int k_MaxChannels = 8;
    static constexpr long k_MinRate = 8000;
    static constexpr long k_MaxRate = 192000;
    // The most samples DecodeAll makes room for ahead, from the length the stream states (an hour of
    // stereo at 48 kHz); a longer stated length is decoded without it.
    static constexpr uint64_t k_MaxReserve = 3600ull * 48000ull * 2ull;

    // Opens the block; returns false, after a red log line saying why, when it is not OGG Vorbis or its
    // channels or rate are outside the limits.
    bool Open(const void* data, size_t size);
    // The open file, for vorbisfile's calls.
    OggVorbis_File* Get() { return &m_file; }
    int GetChannels() const { return m_channels; }
    int GetRate() const { return m_rate; }
    // Decodes the whole file from its start into 16-bit samples in native byte order, channels interleaved;
    // returns false when the data breaks off with an error.
    bool DecodeAll(std::vector<int16_t>& samples);

private:
    Source m_source;
    OggVorbis_File m_file{};
    int m_channels = 0;
    int m_rate = 0;
};
