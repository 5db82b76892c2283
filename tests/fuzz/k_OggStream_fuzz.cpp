// The audio layer's stream over a block of memory, decoded and converted to
// the device format to its end, then restarted once: any bytes either are
// refused when opened or play to an end.
#include "fuzz/k_FuzzCheck.h"
#include "platform/k_OggStream.h"

#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> block(data, data + size); // the stream must not read past its block
    std::unique_ptr<k_OggStream> stream = k_OggStream::Open(block.data(), block.size(), AUDIO_S16SYS, 2, 44100);
    if (!stream)
        return 0;
    constexpr int k_Chunk = 8192;
    std::vector<uint8_t> out(k_Chunk);
    for (;;)
    {
        const int got = stream->Read(out.data(), k_Chunk);
        ORV_FUZZ_REQUIRE(got >= 0 && got <= k_Chunk);
        ORV_FUZZ_REQUIRE(got % 4 == 0); // whole stereo 16-bit frames
        if (got < k_Chunk)
            break;
    }
    ORV_FUZZ_REQUIRE(stream->IsAtEnd());
    // It can be played again from the start.
    stream->Restart();
    const int again = stream->Read(out.data(), k_Chunk);
    ORV_FUZZ_REQUIRE(again >= 0 && again <= k_Chunk);
    return 0;
}
