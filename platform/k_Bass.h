#pragma once
// The audio layer: plays an OGG Vorbis tune from a block of memory. Its five
// calls keep the calling order and results the entry point relies on:
//   GetVersion -> Init -> StreamCreateFile -> ChannelPlay ... StreamFree.
// The tune is decoded straight from the caller's block (no copy, no file),
// which must stay alive and unchanged while the stream exists; playback runs
// on SDL's audio thread at the device's rate (44100 Hz as the program asks).
#include "interfaces/PlatformHandles.h"

#include <cstdint>

class k_Bass
{
public:
    // The layer's version; its high 16 bits name the series (0x0204).
    static constexpr uint32_t Version = 0x02040000u;

    // Returns Version.
    static uint32_t GetVersion();
    // Opens the output device (-1: the default one) at the frequency, paused; returns false when there is none.
    static bool Init(int device, uint32_t frequency, uint32_t flags, k_WindowHandle window, const void* classId);
    // Opens a stream on the OGG data at file + offset (length bytes, memory only); returns its handle, 0 on failure.
    static uint32_t StreamCreateFile(bool memory, const void* file, uint64_t offset, uint64_t length, uint32_t flags);
    // Starts playing the stream (from the start when restart is true); returns false for an unknown handle.
    static bool ChannelPlay(uint32_t handle, bool restart);
    // Stops and releases the stream; returns false for an unknown handle.
    static bool StreamFree(uint32_t handle);
    // --- beyond the five calls: what a tool that pauses and jumps in the show needs ---
    // Stops playing the stream where it is (ChannelPlay without restart goes on from there).
    static bool ChannelPause(uint32_t handle);
    // Moves the stream to the time in seconds from the tune's start (clamped to the tune).
    static bool ChannelSetPosition(uint32_t handle, double seconds);
    // Whether the stream is playing.
    static bool ChannelIsPlaying(uint32_t handle);
    // The time in the tune being heard now (seconds): the samples the device took from the stream, less the
    // device's buffer still to be played, plus the time since the device last took samples (at most one
    // buffer). Negative when the stream is not playing or unknown.
    static double ChannelGetPosition(uint32_t handle);
    // The device's buffer in seconds: how long a sample the stream gave waits before it is heard (0 without
    // a device).
    static double GetLatency();
    // The position arithmetic: after the device took consumedFrames in all (counted from the tune's start),
    // in buffers of bufferFrames at rate per second, the last one sinceFill seconds ago.
    static double HeardSeconds(double consumedFrames, int bufferFrames, int rate, double sinceFill);

    // Releases every stream and closes the device (the program never calls it; tests start afresh with it).
    static void Free();
};
