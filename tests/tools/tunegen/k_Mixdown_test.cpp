#include "tools/tunegen/k_Mixdown.h"
#include "tools/tunegen/k_Song.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

// The same score always gives the same samples: no clock, no unseeded randomness, no state left behind by an
// earlier render. The stretch around the drop has every kind of instrument and effect in it.
TEST(k_Mixdown, RenderingTwiceGivesIdenticalSamples)
{
    const k_Song song(k_Song::LoadShowFile(ORV_SHOW_FILE));
    const k_StereoBuffer first = k_Mixdown::Render(song, 72.0, 80.0);
    const k_StereoBuffer second = k_Mixdown::Render(k_Song(k_Song::LoadShowFile(ORV_SHOW_FILE)), 72.0, 80.0);
    ASSERT_EQ(first.Frames(), static_cast<std::size_t>(8 * 44100));
    ASSERT_EQ(second.Frames(), first.Frames());
    EXPECT_EQ(std::memcmp(first.Left(), second.Left(), first.Frames() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(first.Right(), second.Right(), first.Frames() * sizeof(float)), 0);

    float peak = 0.0f;
    double difference = 0.0;
    for (std::size_t i = 0; i < first.Frames(); ++i)
    {
        peak = std::max({peak, std::fabs(first.Left()[i]), std::fabs(first.Right()[i])});
        difference += std::fabs(first.Left()[i] - first.Right()[i]);
    }
    EXPECT_GT(peak, 0.3f) << "the stretch is not silent";
    EXPECT_LE(peak, k_Mixdown::k_Ceiling + 1e-6f);
    EXPECT_GT(difference / first.Frames(), 1e-3) << "the mix is stereo, not two copies of one channel";
}

TEST(k_Mixdown, StretchesOutsideTheSongAreEmptyNotErrors)
{
    const k_Song song(k_Song::LoadShowFile(ORV_SHOW_FILE));
    EXPECT_EQ(k_Mixdown::Render(song, 300.0, 310.0).Frames(), 0u);
    EXPECT_EQ(k_Mixdown::Render(song, 10.0, 5.0).Frames(), 0u);
    const k_StereoBuffer tail = k_Mixdown::Render(song, 199.0, 250.0);
    EXPECT_EQ(tail.Frames(), static_cast<std::size_t>(44100));
    for (std::size_t i = 0; i < tail.Frames(); ++i)
        ASSERT_EQ(tail.Left()[i], 0.0f);
}
