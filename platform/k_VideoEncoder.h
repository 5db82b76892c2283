#pragma once
// Encodes frames into a video through the ffmpeg program: raw RGB frames go
// down a pipe, the sound comes from a file of raw 16-bit samples, and ffmpeg
// muxes H.264 (yuv420p) with AAC into MP4, or with FLAC into Matroska for a
// file named *.mkv: FLAC keeps the sound's exact length, so such videos of
// adjacent ranges join without a gap (AAC pads each to whole frames). The
// video is written under a temporary name beside its file and renamed only
// when ffmpeg has finished well; a failed or abandoned encoding leaves
// nothing behind.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class k_VideoEncoder
{
public:
    // The sound: 16-bit native-order samples, channels interleaved.
    struct Sound
    {
        const int16_t* samples = nullptr;
        size_t count = 0; // samples in all channels
        int channels = 2;
        int rate = 44100;
    };

    explicit k_VideoEncoder(std::string path);
    // Stops an encoding that was not finished and removes its files.
    ~k_VideoEncoder();
    k_VideoEncoder(const k_VideoEncoder&) = delete;
    k_VideoEncoder& operator=(const k_VideoEncoder&) = delete;

    // Proves the video's folder can be written (creates the temporary file); false with the reason in error.
    bool Prepare(std::string& error);
    // Starts ffmpeg for frames of the size at the frame rate; the sound is copied. False with the reason.
    bool Start(int width, int height, int fps, const Sound& sound, std::string& error);
    // True for a file name ending in ".mkv" (any case): Matroska with FLAC sound.
    static bool IsMatroska(const std::string& path);
    // Sends one frame: width * height RGB triples, top row first. False when ffmpeg is gone.
    bool WriteFrame(const uint8_t* rows, std::string& error);
    // Ends the input, waits for ffmpeg and puts the video under its name. False with the reason.
    bool Finish(std::string& error);
    // Stops ffmpeg and removes the temporary files.
    void Abort();

    // The part of a tune that goes with `frames` frames from frame firstFrame at fps frames a second: sample
    // 0 of the tune is frame 0's time, and silence fills what the tune lacks. Each frame boundary falls on
    // one sample whichever range it ends or starts, so the slices of adjacent ranges join sample for sample.
    // samples: channels interleaved; cut in place, so a tune moved in is not held twice.
    static std::vector<int16_t> Slice(std::vector<int16_t> samples, int channels, int rate, int64_t firstFrame,
                                      int64_t frames, int fps);

private:
    void RemoveTemporaries();

    std::string m_path;
    std::string m_temporary;
    std::string m_soundFile;
    size_t m_frameBytes = 0;
    int m_pipe = -1;
    pid_t m_child = -1;
};
