#include "platform/k_VideoEncoder.h"
#include "platform/k_VorbisMemoryFile.h"
#include "support/k_TestOgg.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <utility>

namespace
{
// A fresh folder for one test, removed afterwards.
struct Folder
{
    Folder() : path(std::filesystem::temp_directory_path() / ("video-test-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    size_t Count() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path), {})); }
    std::filesystem::path path;
};
} // namespace

// The sound for a stretch of frames starts at the stretch's own time, sample 0 being time 0.
TEST(VideoEncoder, SliceStartsAtTheFramesTimeAndFillsWithSilence)
{
    // Two channels at 10 Hz: sample pair k holds (k, -k).
    std::vector<int16_t> tune;
    for (int16_t k = 0; k < 30; ++k)
        tune.insert(tune.end(), {k, static_cast<int16_t>(-k)});
    const std::vector<int16_t> middle = k_VideoEncoder::Slice(tune, 2, 10, 10, 5, 10);
    EXPECT_EQ(middle, (std::vector<int16_t>{10, -10, 11, -11, 12, -12, 13, -13, 14, -14}));
    const std::vector<int16_t> end = k_VideoEncoder::Slice(tune, 2, 10, 28, 4, 10);
    EXPECT_EQ(end, (std::vector<int16_t>{28, -28, 29, -29, 0, 0, 0, 0}));
    EXPECT_EQ(k_VideoEncoder::Slice(tune, 2, 10, 50, 2, 10), (std::vector<int16_t>{0, 0, 0, 0}));

    // A tune moved in is cut where it lies, not copied: a whole show's sound is not held twice.
    const int16_t* block = tune.data();
    const std::vector<int16_t> whole = k_VideoEncoder::Slice(std::move(tune), 2, 10, 5, 20, 10);
    EXPECT_EQ(whole.data(), block);
    ASSERT_EQ(whole.size(), 40u);
    EXPECT_EQ(whole.front(), 5);
    EXPECT_EQ(whole.back(), -24);
}

// Ranges split anywhere join sample for sample at every frame rate, also where a frame boundary falls half-way
// between two samples (44100 Hz at 24, 48, 120 and 240 fps).
TEST(VideoEncoder, SlicesOfAdjacentRangesJoinIntoTheWholeRangesSlice)
{
    std::vector<int16_t> tune(44100 * 12);
    for (size_t i = 0; i < tune.size(); ++i)
        tune[i] = static_cast<int16_t>(i % 30011);
    for (int fps : {24, 25, 30, 48, 60, 120, 240})
        for (int64_t first : {int64_t{0}, int64_t{7}, int64_t{fps * 29 / 100}})
        {
            const int64_t whole = fps * 10;
            const std::vector<int16_t> all = k_VideoEncoder::Slice(tune, 1, 44100, first, whole, fps);
            for (int64_t cut = first + 1; cut < first + whole; cut += 13)
            {
                std::vector<int16_t> joined = k_VideoEncoder::Slice(tune, 1, 44100, first, cut - first, fps);
                const std::vector<int16_t> second =
                    k_VideoEncoder::Slice(tune, 1, 44100, cut, first + whole - cut, fps);
                joined.insert(joined.end(), second.begin(), second.end());
                ASSERT_EQ(joined, all) << fps << " fps, frames " << first << " - " << cut << " - " << first + whole;
            }
        }
}

// The whole tune comes out of the memory block at its rate and channel count; other bytes are refused.
TEST(VideoEncoder, TuneDecodesWholeFromMemory)
{
    const std::vector<unsigned char> ogg = k_TestOgg::Make(0.5, 22050, 2);
    k_VorbisMemoryFile vorbis;
    ASSERT_TRUE(vorbis.Open(ogg.data(), ogg.size()));
    EXPECT_EQ(vorbis.GetChannels(), 2);
    EXPECT_EQ(vorbis.GetRate(), 22050);
    std::vector<int16_t> samples;
    ASSERT_TRUE(vorbis.DecodeAll(samples));
    EXPECT_EQ(samples.size(), 2u * 11025u);
    // Room for the whole tune was made once, from its stated length, not by growing step by step.
    EXPECT_EQ(samples.capacity(), samples.size());
    int loud = 0;
    for (const int16_t sample : samples)
        loud += sample > 3000 || sample < -3000;
    EXPECT_GT(loud, 1000) << "a tone, not silence";

    const std::vector<unsigned char> junk(1000, 0x55);
    k_VorbisMemoryFile notOgg;
    EXPECT_FALSE(notOgg.Open(junk.data(), junk.size()));
}

// A finished encoding leaves the video alone under its name; an abandoned or failed one leaves nothing.
TEST(VideoEncoder, OnlyAFinishedVideoIsLeft)
{
    Folder folder;
    const std::string path = (folder.path / "clip.mp4").string();
    const std::vector<uint8_t> frame(32 * 18 * 3, 128);
    const std::vector<int16_t> sound(2 * 44100 / 10, 0);
    const k_VideoEncoder::Sound silence{sound.data(), sound.size(), 2, 44100};
    std::string error;
    {
        k_VideoEncoder encoder(path);
        ASSERT_TRUE(encoder.Prepare(error)) << error;
        ASSERT_TRUE(encoder.Start(32, 18, 30, silence, error)) << error;
        ASSERT_TRUE(encoder.WriteFrame(frame.data(), error)) << error;
        ASSERT_TRUE(encoder.WriteFrame(frame.data(), error)) << error;
        ASSERT_TRUE(encoder.WriteFrame(frame.data(), error)) << error;
        EXPECT_EQ(folder.Count(), 2u) << "the temporary video and its sound";
        ASSERT_TRUE(encoder.Finish(error)) << error;
    }
    EXPECT_EQ(folder.Count(), 1u);
    EXPECT_GT(std::filesystem::file_size(path), 0u);
    std::filesystem::remove(path);

    {
        k_VideoEncoder encoder(path);
        ASSERT_TRUE(encoder.Prepare(error));
        ASSERT_TRUE(encoder.Start(32, 18, 30, silence, error));
        ASSERT_TRUE(encoder.WriteFrame(frame.data(), error));
        // Gone without Finish (an error elsewhere ended the run).
    }
    EXPECT_EQ(folder.Count(), 0u);

    {
        // ffmpeg refuses the frames (an empty picture) and stops: the failure is reported.
        k_VideoEncoder encoder(path);
        ASSERT_TRUE(encoder.Prepare(error));
        ASSERT_TRUE(encoder.Start(0, 18, 30, silence, error));
        encoder.WriteFrame(frame.data(), error);
        EXPECT_FALSE(encoder.Finish(error));
        EXPECT_NE(error.find("ffmpeg could not make the video"), std::string::npos) << error;
    }
    EXPECT_EQ(folder.Count(), 0u);

    k_VideoEncoder nowhere((folder.path / "missing" / "clip.mp4").string());
    EXPECT_FALSE(nowhere.Prepare(error));
    EXPECT_NE(error.find("cannot write the video"), std::string::npos) << error;
}
