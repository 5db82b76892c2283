#include "app/studio/k_StudioWaveform.h"

#include <gtest/gtest.h>

TEST(k_StudioWaveformTest, ColumnsHoldTheMixedLowestAndHighestLevels)
{
    k_StudioWaveform::Sound sound;
    sound.channels = 2;
    sound.rate = 4;
    // Four frames a column: a loud column, a quiet one; the channels are mixed.
    sound.samples = {16384, 16384, -16384, -16384, 0, 0, 8192,  -8192, //
                     0,     0,     1638,   1638,   0, 0, -1638, -1638};
    const k_StudioWaveform waveform(sound, 2);
    ASSERT_EQ(waveform.GetColumns(), 2);
    EXPECT_DOUBLE_EQ(waveform.GetSeconds(), 2.0);
    EXPECT_FLOAT_EQ(waveform.GetHigh(0), 0.5f);
    EXPECT_FLOAT_EQ(waveform.GetLow(0), -0.5f);
    EXPECT_NEAR(waveform.GetHigh(1), 0.05f, 1e-4f);
    EXPECT_NEAR(waveform.GetLow(1), -0.05f, 1e-4f);
    // More columns than frames: a column a frame.
    EXPECT_EQ(k_StudioWaveform(sound, 100).GetColumns(), 8);
}

// Narrowed, each column spans the lowest and highest of the columns it takes in, over the same seconds.
TEST(k_StudioWaveformTest, ANarrowedWaveformKeepsThePeaksOfTheColumnsItJoins)
{
    k_StudioWaveform::Sound sound;
    sound.channels = 1;
    sound.rate = 10;
    // Ten columns of one frame each, one loud peak in the 8th and a dip in the 3rd.
    sound.samples = {100, 200, -16384, 300, 0, 0, 50, 32767, 10, -10};
    const k_StudioWaveform wide(sound, 10);
    ASSERT_EQ(wide.GetColumns(), 10);
    const k_StudioWaveform narrow = wide.Narrowed(4);
    ASSERT_EQ(narrow.GetColumns(), 4);
    EXPECT_DOUBLE_EQ(narrow.GetSeconds(), wide.GetSeconds());
    // Columns 0-2, 3-4, 5-7, 8-9 (column * 4 / 10).
    EXPECT_FLOAT_EQ(narrow.GetLow(0), -0.5f);
    EXPECT_NEAR(narrow.GetHigh(2), 1.0f, 1e-4f);
    EXPECT_NEAR(narrow.GetHigh(1), 300.0f / 32768.0f, 1e-6f);
    EXPECT_NEAR(narrow.GetLow(3), -10.0f / 32768.0f, 1e-6f);
    for (int column = 0; column < 4; ++column)
        EXPECT_LE(narrow.GetLow(column), narrow.GetHigh(column)) << column;
    // Never more columns than there were, and nothing from nothing.
    EXPECT_EQ(wide.Narrowed(50).GetColumns(), 10);
    EXPECT_TRUE(k_StudioWaveform().Narrowed(4).IsEmpty());
}

TEST(k_StudioWaveformTest, ThePictureFillsEachColumnBetweenItsLevels)
{
    k_StudioWaveform::Sound sound;
    sound.channels = 1;
    sound.rate = 2;
    sound.samples = {32767, -32768, 0, 0};
    const k_StudioWaveform waveform(sound, 2);
    const std::vector<uint32_t> picture = waveform.Picture(9, 0xff00ff00u);
    ASSERT_EQ(picture.size(), 18u);
    for (int y = 0; y < 9; ++y)
    {
        EXPECT_EQ(picture[static_cast<size_t>(y) * 2], 0xff00ff00u) << y;                   // full scale: every row
        EXPECT_EQ(picture[static_cast<size_t>(y) * 2 + 1], y == 4 ? 0xff00ff00u : 0u) << y; // silence: the middle
    }
}

TEST(k_StudioWaveformTest, NoSoundGivesNoColumns)
{
    EXPECT_TRUE(k_StudioWaveform(k_StudioWaveform::Sound{}, 100).IsEmpty());
    k_StudioWaveform::Sound odd;
    odd.channels = 3;
    odd.rate = 0;
    odd.samples = {1, 2, 3};
    EXPECT_TRUE(k_StudioWaveform(odd, 100).IsEmpty());
    EXPECT_TRUE(k_StudioWaveform().Picture(10, 1u).empty());
}
