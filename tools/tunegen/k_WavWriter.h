#pragma once
// Writes a stereo buffer as a 16-bit PCM WAV file, for listening to the tune
// and looking at it with other tools.
#include <string>

class k_StereoBuffer;

class k_WavWriter
{
public:
    // Writes the buffer to `path`; samples beyond full scale are clamped. Throws a wide message on failure.
    static void Write(const std::string& path, const k_StereoBuffer& buffer);
};
