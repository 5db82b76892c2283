#pragma once
// A short OGG Vorbis tone made on the spot, for tests that need a tune
// without a committed audio file.
#include <cstdint>
#include <vector>

class k_TestOgg
{
public:
    // A sine tone of the given length, rate and channel count, encoded as OGG Vorbis in memory.
    static std::vector<unsigned char> Make(double seconds, int rate, int channels, double frequency = 440.0);
    // The stream with the channel count and rate of its identification header replaced (page checksum kept
    // valid), as a damaged or hostile file would declare them.
    static std::vector<unsigned char> WithHeader(std::vector<unsigned char> ogg, int channels, uint32_t rate);
};
