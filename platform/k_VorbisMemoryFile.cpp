#include "platform/k_VorbisMemoryFile.h"

#include "engine/k_Log.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace
{
size_t ReadMemory(void* destination, size_t size, size_t count, void* source)
{
    auto* memory = static_cast<k_VorbisMemoryFile::Source*>(source);
    if (size == 0)
        return 0;
    const size_t wanted = std::min(count, (memory->size - memory->position) / size);
    std::memcpy(destination, memory->data + memory->position, wanted * size);
    memory->position += wanted * size;
    return wanted;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* memory = static_cast<k_VorbisMemoryFile::Source*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(memory->position);
    else if (whence == SEEK_END)
        base = static_cast<ogg_int64_t>(memory->size);
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(memory->size))
        return -1;
    memory->position = static_cast<size_t>(target);
    return 0;
}

long TellMemory(void* source)
{
    return static_cast<long>(static_cast<k_VorbisMemoryFile::Source*>(source)->position);
}
} // namespace

k_VorbisMemoryFile::~k_VorbisMemoryFile()
{
    // Also safe after a failed open: vorbisfile has cleared the struct then.
    ov_clear(&m_file);
}

bool k_VorbisMemoryFile::Open(const void* data, size_t size)
{
    m_source = Source{static_cast<const unsigned char*>(data), size, 0};
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    if (!data || ov_open_callbacks(&m_source, &m_file, nullptr, 0, callbacks) != 0)
    {
        k_Log(k_Log::Colour::Error) << "OGG Vorbis :: The data is not an OGG Vorbis stream";
        return false;
    }
    const vorbis_info* info = ov_info(&m_file, -1);
    if (!info || info->channels < 1 || info->channels > k_MaxChannels || info->rate < k_MinRate ||
        info->rate > k_MaxRate)
    {
        k_Log(k_Log::Colour::Error) << "OGG Vorbis :: Unsupported OGG Vorbis stream: " << (info ? info->channels : 0)
                                    << " channels at " << (info ? info->rate : 0L) << " Hz (1 to " << k_MaxChannels
                                    << " channels at " << k_MinRate << " to " << k_MaxRate << " Hz are played)";
        return false;
    }
    m_channels = info->channels;
    m_rate = static_cast<int>(info->rate);
    return true;
}

bool k_VorbisMemoryFile::DecodeAll(std::vector<int16_t>& samples)
{
    samples.clear();
    if (ov_raw_seek(&m_file, 0) != 0)
        return false;
    // Room for the whole tune at once, when the stream says how long it is: grown step by step, a 35 MB
    // tune would be held twice while the vector moves. The length is only trusted up to k_MaxReserve.
    const ogg_int64_t frames = ov_pcm_total(&m_file, -1);
    if (frames > 0 && static_cast<uint64_t>(frames) * static_cast<uint64_t>(m_channels) <= k_MaxReserve)
        samples.reserve(static_cast<size_t>(frames) * static_cast<size_t>(m_channels));
    char buffer[16384];
    int section = 0;
    const int bigEndian = std::endian::native == std::endian::big ? 1 : 0;
    while (true)
    {
        const long got = ov_read(&m_file, buffer, sizeof buffer, bigEndian, 2, 1, &section);
        if (got == 0)
            return true;
        if (got == OV_HOLE)
            continue; // a gap in the data: decoding goes on after it
        if (got < 0)
            return false;
        const size_t count = static_cast<size_t>(got) / sizeof(int16_t);
        const size_t at = samples.size();
        samples.resize(at + count);
        std::memcpy(samples.data() + at, buffer, count * sizeof(int16_t));
    }
}
