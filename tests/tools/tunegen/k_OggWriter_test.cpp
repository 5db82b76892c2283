#include "tools/tunegen/k_OggWriter.h"
#include "tools/tunegen/k_StereoBuffer.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vorbis/vorbisfile.h>

// The encoded file holds exactly the frames it was given, at 44.1 kHz in stereo, with the two channels apart.
TEST(k_OggWriter, FileDecodesToTheSameLengthAndChannels)
{
    const std::size_t frames = 44100 + 1234; // not a whole number of encoder blocks
    k_StereoBuffer buffer(frames);
    for (std::size_t i = 0; i < frames; ++i)
    {
        buffer.Left()[i] = 0.5f * std::sin(static_cast<float>(i) * 0.0627f); // about 440 Hz
        buffer.Right()[i] = 0.0f;
    }
    const std::string path = (std::filesystem::temp_directory_path() / "orvelant-oggwriter-test.ogg").string();
    k_OggWriter::Write(path, buffer, 0.4f);

    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
    EXPECT_EQ(ov_info(&file, -1)->rate, 44100);
    EXPECT_EQ(ov_info(&file, -1)->channels, 2);
    EXPECT_EQ(ov_pcm_total(&file, -1), static_cast<ogg_int64_t>(frames));
    double left = 0.0, right = 0.0;
    int section = 0;
    float** pcm = nullptr;
    long got;
    while ((got = ov_read_float(&file, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < got; ++i)
        {
            left += static_cast<double>(pcm[0][i]) * pcm[0][i];
            right += static_cast<double>(pcm[1][i]) * pcm[1][i];
        }
    ov_clear(&file);
    std::remove(path.c_str());
    EXPECT_NEAR(std::sqrt(left / frames), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_LT(right, left * 1e-4);
}

TEST(k_OggWriter, UnwritablePathThrowsAMessage)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / "orvelant-no-such-folder" / "x" / "tune.ogg").string();
    EXPECT_THROW(k_OggWriter::Write(path, k_StereoBuffer(100), 0.4f), const wchar_t*);
}
