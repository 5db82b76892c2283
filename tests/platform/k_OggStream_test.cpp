#include "platform/k_OggStream.h"
#include "support/k_TestOgg.h"
#include "support/k_UsageProbe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Opens the stream for a 44100 Hz stereo device, logging into log.
std::unique_ptr<k_OggStream> Open(const std::vector<unsigned char>& ogg, std::string& log)
{
    testing::internal::CaptureStdout();
    std::unique_ptr<k_OggStream> stream = k_OggStream::Open(ogg.data(), ogg.size(), AUDIO_S16SYS, 2, 44100);
    log = testing::internal::GetCapturedStdout();
    return stream;
}

// Every converted byte to the end.
size_t ReadAll(k_OggStream& stream)
{
    std::vector<char> chunk(4096);
    size_t total = 0;
    int got = 0;
    while ((got = stream.Read(chunk.data(), static_cast<int>(chunk.size()))) > 0)
        total += static_cast<size_t>(got);
    return total;
}
} // namespace

TEST(k_OggStreamTest, PlaysToItsEndAtTheDeviceRateAndAgainAfterRestart)
{
    for (const auto& [rate, channels] : {std::pair{22050, 1}, std::pair{48000, 6}, std::pair{44100, 2}})
    {
        SCOPED_TRACE(std::to_string(channels) + " channels at " + std::to_string(rate));
        const std::vector<unsigned char> ogg = k_TestOgg::Make(0.5, rate, channels);
        std::string log;
        std::unique_ptr<k_OggStream> stream = Open(ogg, log);
        ASSERT_NE(stream, nullptr) << log;
        const size_t bytes = ReadAll(*stream);
        // Half a second of 16-bit stereo at 44100 Hz, give or take the resampler's edges.
        EXPECT_NEAR(static_cast<double>(bytes), 0.5 * 44100 * 4, 0.02 * 44100 * 4);
        EXPECT_EQ(bytes % 4, 0u);
        EXPECT_TRUE(stream->IsAtEnd());
        stream->Restart();
        EXPECT_FALSE(stream->IsAtEnd());
        EXPECT_EQ(ReadAll(*stream), bytes);
    }
}

TEST(k_OggStreamTest, UnusualChannelCountsAndRatesAreRefusedCheaplyWithWhatTheStreamDeclares)
{
    struct Case
    {
        std::vector<unsigned char> ogg;
        const char* message;
    };
    const std::vector<unsigned char> stereo = k_TestOgg::Make(0.2, 44100, 2);
    const Case cases[] = {
        {k_TestOgg::Make(0.2, 44100, 12), "Unsupported OGG Vorbis stream: 12 channels at 44100 Hz"},
        {k_TestOgg::WithHeader(stereo, 2, 1), "Unsupported OGG Vorbis stream: 2 channels at 1 Hz"},
        {k_TestOgg::WithHeader(stereo, 2, 2000000000u), "2 channels at 2000000000 Hz"},
        {k_TestOgg::WithHeader(stereo, 2, 0x90000000u), "Unsupported OGG Vorbis stream: 2 channels at "},
        {std::vector<unsigned char>(stereo.begin(), stereo.begin() + 40), "not an OGG Vorbis stream"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        std::string log;
        std::unique_ptr<k_OggStream> stream;
        const k_UsageProbe::Usage usage = k_UsageProbe::Measure([&] { stream = Open(c.ogg, log); });
        EXPECT_EQ(stream, nullptr);
        EXPECT_NE(log.find(c.message), std::string::npos) << log;
        EXPECT_LT(usage.cpuSeconds, 0.5);
        EXPECT_LT(usage.peakResidentMb, 256.0);
    }
}

TEST(k_OggStreamTest, SeekPlaysTheRestFromThatTimeAndIsClampedToTheTune)
{
    const std::vector<unsigned char> ogg = k_TestOgg::Make(1.0, 44100, 2);
    std::string log;
    std::unique_ptr<k_OggStream> stream = Open(ogg, log);
    ASSERT_NE(stream, nullptr) << log;
    std::vector<char> chunk(4096);
    ASSERT_GT(stream->Read(chunk.data(), static_cast<int>(chunk.size())), 0);

    // From 0.75 s a quarter of a second remains, whatever was read or buffered before.
    ASSERT_TRUE(stream->Seek(0.75));
    EXPECT_NEAR(static_cast<double>(ReadAll(*stream)), 0.25 * 44100 * 4, 0.02 * 44100 * 4);
    EXPECT_TRUE(stream->IsAtEnd());
    // Back after the end: the stream plays again from there.
    ASSERT_TRUE(stream->Seek(0.5));
    EXPECT_FALSE(stream->IsAtEnd());
    EXPECT_NEAR(static_cast<double>(ReadAll(*stream)), 0.5 * 44100 * 4, 0.02 * 44100 * 4);
    // Past the end and before the start are the ends of the tune.
    ASSERT_TRUE(stream->Seek(5.0));
    EXPECT_LT(ReadAll(*stream), 0.02 * 44100 * 4);
    ASSERT_TRUE(stream->Seek(-3.0));
    EXPECT_NEAR(static_cast<double>(ReadAll(*stream)), 1.0 * 44100 * 4, 0.02 * 44100 * 4);
    // Times whose sample number no integer holds are the end too; not a number is the start.
    for (double far : {1e300, HUGE_VAL})
    {
        ASSERT_TRUE(stream->Seek(far)) << far;
        EXPECT_LT(ReadAll(*stream), 0.02 * 44100 * 4);
    }
    ASSERT_TRUE(stream->Seek(std::nan("")));
    EXPECT_NEAR(static_cast<double>(ReadAll(*stream)), 1.0 * 44100 * 4, 0.02 * 44100 * 4);
}
