#include "platform/k_Bass.h"

#include "engine/k_Log.h"
#include "platform/k_OggStream.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace
{
// --- streams and the device ---

struct Stream
{
    std::unique_ptr<k_OggStream> tune;
    bool playing = false;
    // Device frames taken from the stream, counted from the tune's start (a seek sets it), and when the
    // device last took some (SDL's performance counter).
    double consumedFrames = 0.0;
    Uint64 lastFill = 0;
};

SDL_AudioDeviceID g_device = 0;
SDL_AudioSpec g_spec{};
// What the audio thread touches lives until the process ends and is never destroyed: the device is not
// closed at exit (as with the closed library), so its thread may still run while static objects die.
struct Mixer
{
    std::map<uint32_t, std::unique_ptr<Stream>> streams; // guarded by the device lock
    std::vector<int16_t> chunk;                          // audio thread only
    std::vector<int32_t> mix;                            // audio thread only
};
Mixer& g_mixer = *new Mixer;
auto& g_streams = g_mixer.streams;
auto& g_chunk = g_mixer.chunk;
auto& g_mix = g_mixer.mix;
uint32_t g_nextHandle = 1;

// Runs on SDL's audio thread: mixes every playing stream into the device buffer.
void FillDevice(void*, Uint8* output, int length)
{
    const size_t samples = static_cast<size_t>(length) / sizeof(int16_t);
    g_mix.assign(samples, 0);
    g_chunk.resize(samples);
    for (auto& [handle, stream] : g_streams)
    {
        if (!stream->playing)
            continue;
        const int got = stream->tune->Read(g_chunk.data(), length);
        stream->consumedFrames += static_cast<double>(got) / (sizeof(int16_t) * g_spec.channels);
        stream->lastFill = SDL_GetPerformanceCounter();
        for (size_t i = 0; i < static_cast<size_t>(got) / sizeof(int16_t); ++i)
            g_mix[i] += g_chunk[i];
        if (got < length && stream->tune->IsAtEnd())
            stream->playing = false; // the tune has ended
    }
    auto* out = reinterpret_cast<int16_t*>(output);
    for (size_t i = 0; i < samples; ++i)
        out[i] = static_cast<int16_t>(std::clamp(g_mix[i], -32768, 32767));
}

// Without a device the program stops; the viewer learns on standard error how to watch without sound.
void SuggestSilence()
{
    std::fprintf(stderr, "No audio device could be opened. To play without sound, start the program with "
                         "SDL_AUDIODRIVER=dummy in its environment (for example: SDL_AUDIODRIVER=dummy starwane).\n");
    std::fflush(stderr);
}
} // namespace

// --- the five calls ---

uint32_t k_Bass::GetVersion()
{
    return Version;
}

bool k_Bass::Init(int device, uint32_t frequency, uint32_t /*flags*/, k_WindowHandle /*window*/,
                  const void* /*classId*/)
{
    if (g_device != 0)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        k_Log(k_Log::Colour::Error) << "BASS :: " << SDL_GetError();
        SuggestSilence();
        return false;
    }
    const char* name = nullptr;
    if (device >= 0)
        name = SDL_GetAudioDeviceName(device, 0);
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(frequency);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 2048;
    wanted.callback = FillDevice;
    g_device = SDL_OpenAudioDevice(name, 0, &wanted, &g_spec, 0);
    if (g_device == 0)
    {
        k_Log(k_Log::Colour::Error) << "BASS :: " << SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SuggestSilence();
        return false;
    }
    return true;
}

uint32_t k_Bass::StreamCreateFile(bool memory, const void* file, uint64_t offset, uint64_t length, uint32_t /*flags*/)
{
    // Only memory blocks are played: the program never hands over a file name.
    if (g_device == 0 || !memory || !file || length == 0)
        return 0;
    auto stream = std::make_unique<Stream>();
    stream->tune = k_OggStream::Open(static_cast<const unsigned char*>(file) + offset, static_cast<size_t>(length),
                                     g_spec.format, g_spec.channels, g_spec.freq);
    if (!stream->tune)
        return 0;
    SDL_LockAudioDevice(g_device);
    const uint32_t handle = g_nextHandle++;
    g_streams[handle] = std::move(stream);
    SDL_UnlockAudioDevice(g_device);
    return handle;
}

bool k_Bass::ChannelPlay(uint32_t handle, bool restart)
{
    if (g_device == 0)
        return false;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    const bool known = found != g_streams.end();
    if (known)
    {
        Stream& stream = *found->second;
        if (restart)
        {
            stream.tune->Restart();
            stream.consumedFrames = 0.0;
        }
        if (!stream.playing)
            stream.lastFill = SDL_GetPerformanceCounter();
        stream.playing = true;
    }
    SDL_UnlockAudioDevice(g_device);
    if (known)
        SDL_PauseAudioDevice(g_device, 0);
    return known;
}

bool k_Bass::StreamFree(uint32_t handle)
{
    if (g_device == 0)
        return false;
    std::unique_ptr<Stream> released;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    if (found != g_streams.end())
    {
        released = std::move(found->second);
        g_streams.erase(found);
    }
    SDL_UnlockAudioDevice(g_device);
    return released != nullptr;
}

bool k_Bass::ChannelPause(uint32_t handle)
{
    if (g_device == 0)
        return false;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    const bool known = found != g_streams.end();
    if (known)
        found->second->playing = false;
    SDL_UnlockAudioDevice(g_device);
    return known;
}

bool k_Bass::ChannelSetPosition(uint32_t handle, double seconds)
{
    if (g_device == 0)
        return false;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    const bool sought = found != g_streams.end() && found->second->tune->Seek(seconds);
    if (sought)
    {
        // What the device holds already is still heard first: the new place starts a buffer later.
        found->second->consumedFrames = found->second->tune->Tell() * g_spec.freq;
        found->second->lastFill = SDL_GetPerformanceCounter();
    }
    SDL_UnlockAudioDevice(g_device);
    return sought;
}

double k_Bass::HeardSeconds(double consumedFrames, int bufferFrames, int rate, double sinceFill)
{
    if (rate <= 0)
        return 0.0;
    const double buffer = static_cast<double>(bufferFrames) / rate;
    const double heard = (consumedFrames - bufferFrames) / rate + std::clamp(sinceFill, 0.0, buffer);
    return std::max(0.0, heard);
}

double k_Bass::ChannelGetPosition(uint32_t handle)
{
    if (g_device == 0)
        return -1.0;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    double heard = -1.0;
    if (found != g_streams.end() && found->second->playing)
    {
        const double since = static_cast<double>(SDL_GetPerformanceCounter() - found->second->lastFill) /
                             static_cast<double>(SDL_GetPerformanceFrequency());
        heard = HeardSeconds(found->second->consumedFrames, g_spec.samples, g_spec.freq, since);
    }
    SDL_UnlockAudioDevice(g_device);
    return heard;
}

double k_Bass::GetLatency()
{
    return g_device != 0 && g_spec.freq > 0 ? static_cast<double>(g_spec.samples) / g_spec.freq : 0.0;
}

bool k_Bass::ChannelIsPlaying(uint32_t handle)
{
    if (g_device == 0)
        return false;
    SDL_LockAudioDevice(g_device);
    auto found = g_streams.find(handle);
    const bool playing = found != g_streams.end() && found->second->playing;
    SDL_UnlockAudioDevice(g_device);
    return playing;
}

void k_Bass::Free()
{
    if (g_device == 0)
        return;
    SDL_CloseAudioDevice(g_device); // waits for the audio thread to leave the callback
    g_device = 0;
    g_streams.clear();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
