#pragma once
// The tune of the audio layer: an OGG Vorbis file decoded straight from a
// block of memory and converted to the output device's rate, channels and
// sample format. The audio layer keeps one per stream and pulls from it on
// SDL's audio thread; it needs no audio device itself.
#include "platform/k_VorbisMemoryFile.h"

#include <SDL.h>
#include <cstddef>
#include <memory>

class k_OggStream
{
public:
    // The stream over size bytes at data, which must stay alive and unchanged while it exists, converted to
    // the given format; null (after a red log line saying why) when the data is not a stream it can play
    // (see k_VorbisMemoryFile for the channels and rates it refuses).
    static std::unique_ptr<k_OggStream> Open(const void* data, size_t size, SDL_AudioFormat format, int channels,
                                             int rate);
    ~k_OggStream();
    k_OggStream(const k_OggStream&) = delete;
    k_OggStream& operator=(const k_OggStream&) = delete;

    // Moves up to bytes converted bytes into out, decoding as needed; returns how many (fewer only at the end).
    int Read(void* out, int bytes);
    // True once everything has been decoded and read.
    bool IsAtEnd();
    // Goes back to the first sample.
    void Restart();
    // Goes to the sample at the time in seconds (clamped to the tune); the next Read starts there. False when the
    // data cannot be sought (the stream then stays where it was).
    bool Seek(double seconds);
    // The time in seconds of the next sample decoded (right after Restart or Seek: where it went).
    double Tell();

private:
    k_OggStream() = default;
    // Decodes until the converter holds bytes or the tune has ended.
    void Fill(int bytes);

    k_VorbisMemoryFile m_vorbis;
    SDL_AudioStream* m_converter = nullptr;
    bool m_decodedAll = false;
    // The link of a chained stream that ov_read decoded last.
    int m_section = 0;
};
