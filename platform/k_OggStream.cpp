#include "platform/k_OggStream.h"

#include "engine/k_Log.h"

std::unique_ptr<k_OggStream> k_OggStream::Open(const void* data, size_t size, SDL_AudioFormat format, int channels,
                                               int rate)
{
    std::unique_ptr<k_OggStream> stream(new k_OggStream);
    if (!stream->m_vorbis.Open(data, size))
        return nullptr;
    stream->m_converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(stream->m_vorbis.GetChannels()),
                                             stream->m_vorbis.GetRate(), format, static_cast<Uint8>(channels), rate);
    if (!stream->m_converter)
    {
        k_Log(k_Log::Colour::Error) << "BASS :: " << SDL_GetError();
        return nullptr;
    }
    return stream;
}

k_OggStream::~k_OggStream()
{
    if (m_converter)
        SDL_FreeAudioStream(m_converter);
}
void k_OggStream::Fill(int bytes)
{
    char buffer[4096];
    while (!m_decodedAll && SDL_AudioStreamAvailable(m_converter) < bytes)
    {
        int section = 0;
        long got =
            ov_read(m_vorbis.Get(), buffer, sizeof buffer, SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0, 2, 1, &section);
        if (got == OV_HOLE)
            continue; // a gap in the data: skip it and go on
        if (got > 0 && section != m_section)
        {
            // A chained stream: each link has its own header. One that does not match the first would be
            // converted as if it did, so the tune ends there.
            const vorbis_info* info = ov_info(m_vorbis.Get(), section);
            m_section = section;
            if (!info || info->channels != m_vorbis.GetChannels() || info->rate != m_vorbis.GetRate())
            {
                k_Log(k_Log::Colour::Error) << "BASS :: The tune changes its channels or rate midway; it ends there";
                got = 0;
            }
        }
        if (got <= 0)
        {
            m_decodedAll = true;
            SDL_AudioStreamFlush(m_converter);
            break;
        }
        SDL_AudioStreamPut(m_converter, buffer, static_cast<int>(got));
    }
}

int k_OggStream::Read(void* out, int bytes)
{
    Fill(bytes);
    const int got = SDL_AudioStreamGet(m_converter, out, bytes);
    return got > 0 ? got : 0;
}

bool k_OggStream::IsAtEnd()
{
    return m_decodedAll && SDL_AudioStreamAvailable(m_converter) == 0;
}

void k_OggStream::Restart()
{
    ov_raw_seek(m_vorbis.Get(), 0);
    SDL_AudioStreamClear(m_converter);
    m_decodedAll = false;
}

double k_OggStream::Tell()
{
    const ogg_int64_t sample = ov_pcm_tell(m_vorbis.Get());
    return sample > 0 && m_vorbis.GetRate() > 0 ? static_cast<double>(sample) / m_vorbis.GetRate() : 0.0;
}

bool k_OggStream::Seek(double seconds)
{
    const ogg_int64_t total = ov_pcm_total(m_vorbis.Get(), -1);
    // Clamped while still a double: a time far past the tune (or infinite) does not fit the sample count's
    // integer, and converting it would be undefined. Before the start, or not a number, is the start.
    double wanted = seconds > 0.0 ? seconds * m_vorbis.GetRate() : 0.0;
    if (total >= 0 && wanted > static_cast<double>(total))
        wanted = static_cast<double>(total);
    const ogg_int64_t sample = wanted < 9.0e18 ? static_cast<ogg_int64_t>(wanted) : ogg_int64_t{9000000000000000000};
    if (ov_pcm_seek(m_vorbis.Get(), sample) != 0)
        return false;
    SDL_AudioStreamClear(m_converter);
    m_decodedAll = false;
    return true;
}
