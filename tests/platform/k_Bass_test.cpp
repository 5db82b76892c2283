#include "platform/k_Bass.h"
#include "support/k_TestOgg.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

class k_BassTest : public ::testing::Test
{
protected:
    void SetUp() override { k_Bass::Free(); }
    void TearDown() override { k_Bass::Free(); }
};

// The five calls in the program's order, played through SDL's disk driver so that what was heard can be read back:
// a mono 22050 Hz tune comes out as stereo 44100 Hz of the same tone.
TEST_F(k_BassTest, PlaysAnOggTuneFromMemory)
{
    const std::filesystem::path played = std::filesystem::temp_directory_path() / "orvelant_bass_test.raw";
    std::filesystem::remove(played);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);

    EXPECT_EQ(k_Bass::GetVersion() >> 16, 0x0204u);
    ASSERT_TRUE(k_Bass::Init(-1, 44100, 0, nullptr, nullptr));

    const std::vector<unsigned char> tune = k_TestOgg::Make(2.0, 22050, 1, 441.0);
    ASSERT_FALSE(tune.empty());
    const uint32_t stream = k_Bass::StreamCreateFile(true, tune.data(), 0, tune.size(), 0);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(k_Bass::ChannelPlay(stream + 1, false));
    EXPECT_TRUE(k_Bass::ChannelPlay(stream, false));
    // The disk driver writes in real time, after any silent buffers it started with: wait (30 s at most) until a
    // quarter of a second of sound is in the file.
    auto soundFrames = [&played] {
        std::ifstream in(played, std::ios::binary);
        int16_t sample[2] = {0, 0};
        size_t frames = 0;
        bool heard = false;
        while (in.read(reinterpret_cast<char*>(sample), sizeof sample))
        {
            heard = heard || sample[0] != 0;
            frames += heard ? 1 : 0;
        }
        return frames;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (soundFrames() <= 44100 / 4 && std::chrono::steady_clock::now() < deadline)
        SDL_Delay(20);
    EXPECT_TRUE(k_Bass::StreamFree(stream));
    EXPECT_FALSE(k_Bass::StreamFree(stream));

    std::ifstream in(played, std::ios::binary);
    std::vector<int16_t> samples;
    int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample);
    ASSERT_GT(samples.size(), 44100u / 4 * 2) << "at least a quarter of a second was played";
    // Stereo: both channels carry the tone; its peak is about half of full scale.
    int peak = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
    {
        EXPECT_NEAR(samples[i], samples[i + 1], 2);
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    EXPECT_GT(peak, 12000);
    EXPECT_LT(peak, 20000);
    // 441 Hz at 44100 Hz: a period of 100 frames, so about 2 rising zero crossings per 200 frames.
    // (Counted from the first sound: the device may start with a silent buffer.)
    size_t first = 0;
    while (first < samples.size() / 2 && samples[2 * first] == 0)
        ++first;
    int crossings = 0;
    const size_t frames = std::min<size_t>(samples.size() / 2 - first, 44100 / 4);
    for (size_t f = first + 1; f < first + frames; ++f)
        if (samples[2 * (f - 1)] < 0 && samples[2 * f] >= 0)
            ++crossings;
    EXPECT_NEAR(crossings, static_cast<int>(frames) / 100, 2);
    std::filesystem::remove(played);
}

TEST_F(k_BassTest, RefusesWhatItCannotPlay)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::vector<unsigned char> tune = k_TestOgg::Make(0.5, 44100, 2);
    EXPECT_EQ(k_Bass::StreamCreateFile(true, tune.data(), 0, tune.size(), 0), 0u) << "no device yet";
    EXPECT_FALSE(k_Bass::ChannelPlay(1, false));
    ASSERT_TRUE(k_Bass::Init(-1, 44100, 0, nullptr, nullptr));

    const std::vector<unsigned char> garbage(4096, 0x5A);
    EXPECT_EQ(k_Bass::StreamCreateFile(true, garbage.data(), 0, garbage.size(), 0), 0u);
    EXPECT_EQ(k_Bass::StreamCreateFile(true, tune.data(), 0, tune.size() / 50, 0), 0u) << "cut inside the headers";
    EXPECT_EQ(k_Bass::StreamCreateFile(false, "ov-starwane.ogg", 0, 0, 0), 0u) << "memory blocks only";
    EXPECT_EQ(k_Bass::StreamCreateFile(true, nullptr, 0, 100, 0), 0u);

    // An offset into a larger block is honoured.
    std::vector<unsigned char> padded(16 + tune.size(), 0);
    std::copy(tune.begin(), tune.end(), padded.begin() + 16);
    const uint32_t stream = k_Bass::StreamCreateFile(true, padded.data(), 16, tune.size(), 0);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(k_Bass::ChannelPlay(stream, true));
    EXPECT_TRUE(k_Bass::StreamFree(stream));
}

TEST_F(k_BassTest, InitFailsWithoutAnAudioDevice)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(k_Bass::Init(-1, 44100, 0, nullptr, nullptr));
}

// Pause and position, as a tool that jumps in the show uses them: a stream moved near its end plays out and
// stops by itself; a paused one does not play out.
TEST_F(k_BassTest, APausedStreamHoldsAndAMovedOnePlaysFromThere)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(k_Bass::Init(-1, 44100, 0, nullptr, nullptr));
    const std::vector<unsigned char> tune = k_TestOgg::Make(2.0, 44100, 2);
    const uint32_t stream = k_Bass::StreamCreateFile(true, tune.data(), 0, tune.size(), 0);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(k_Bass::ChannelPause(stream + 1));
    EXPECT_FALSE(k_Bass::ChannelSetPosition(stream + 1, 1.0));
    EXPECT_FALSE(k_Bass::ChannelIsPlaying(stream));

    ASSERT_TRUE(k_Bass::ChannelSetPosition(stream, 1.99));
    ASSERT_TRUE(k_Bass::ChannelPause(stream));
    EXPECT_FALSE(k_Bass::ChannelIsPlaying(stream));
    ASSERT_TRUE(k_Bass::ChannelPlay(stream, false));
    EXPECT_TRUE(k_Bass::ChannelIsPlaying(stream));
    // The last hundredth of a second plays out within a few device buffers (waits for it, up to 10 s).
    for (int i = 0; i < 1000 && k_Bass::ChannelIsPlaying(stream); ++i)
        SDL_Delay(10);
    EXPECT_FALSE(k_Bass::ChannelIsPlaying(stream));

    // Moved back, it plays again.
    ASSERT_TRUE(k_Bass::ChannelSetPosition(stream, 0.0));
    ASSERT_TRUE(k_Bass::ChannelPlay(stream, false));
    EXPECT_TRUE(k_Bass::ChannelIsPlaying(stream));
    ASSERT_TRUE(k_Bass::ChannelPause(stream));
    EXPECT_FALSE(k_Bass::ChannelIsPlaying(stream));
    EXPECT_TRUE(k_Bass::StreamFree(stream));
}

TEST_F(k_BassTest, ThePositionHeardIsWhatTheDeviceTookLessItsBuffer)
{
    // 10 s of frames taken in buffers of 2048 at 44100 Hz: the last buffer is still to be heard, and is heard
    // as time passes after it was taken, never more than it.
    const double buffer = 2048.0 / 44100.0;
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(441000.0, 2048, 44100, 0.0), 10.0 - buffer);
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(441000.0, 2048, 44100, 0.01), 10.0 - buffer + 0.01);
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(441000.0, 2048, 44100, 5.0), 10.0);
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(441000.0, 2048, 44100, -1.0), 10.0 - buffer);
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(100.0, 2048, 44100, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(k_Bass::HeardSeconds(100.0, 2048, 0, 0.0), 0.0);

    // On a device (SDL's dummy driver takes the samples in real time).
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(k_Bass::GetLatency(), 0.0);
    ASSERT_TRUE(k_Bass::Init(-1, 44100, 0, nullptr, nullptr));
    const double latency = k_Bass::GetLatency();
    EXPECT_GT(latency, 0.0);
    EXPECT_LT(latency, 0.2);
    const std::vector<unsigned char> tune = k_TestOgg::Make(3.0, 44100, 2);
    const uint32_t stream = k_Bass::StreamCreateFile(true, tune.data(), 0, tune.size(), 0);
    ASSERT_NE(stream, 0u);
    EXPECT_LT(k_Bass::ChannelGetPosition(stream), 0.0); // not playing
    EXPECT_LT(k_Bass::ChannelGetPosition(stream + 1), 0.0);

    ASSERT_TRUE(k_Bass::ChannelSetPosition(stream, 1.0));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(k_Bass::ChannelPlay(stream, false));
    const double heard = k_Bass::ChannelGetPosition(stream);
    const double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // At most a buffer behind the place sought, and not ahead of the time that passed.
    EXPECT_GE(heard, 1.0 - latency - 1e-9);
    EXPECT_LE(heard, 1.0 + since + latency);
    // The position moves on as the device plays (waits for it, up to 10 s).
    for (int i = 0; i < 1000 && k_Bass::ChannelGetPosition(stream) < 1.2; ++i)
        SDL_Delay(10);
    EXPECT_GE(k_Bass::ChannelGetPosition(stream), 1.2);
    ASSERT_TRUE(k_Bass::ChannelPause(stream));
    EXPECT_LT(k_Bass::ChannelGetPosition(stream), 0.0);
    EXPECT_TRUE(k_Bass::StreamFree(stream));
}
