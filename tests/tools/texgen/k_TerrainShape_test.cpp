#include "tools/texgen/k_TerrainShape.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

// The landscape's height field as the show needs it: the camera never flies into land, there are
// shores, and the water plane's edge is hidden behind land.
namespace
{
const k_TerrainShape& Shape()
{
    static const k_TerrainShape shape;
    return shape;
}
} // namespace

// Through the scene as the show file places it, the show's own and one moved earlier and shortened.
TEST(k_TerrainShape, CameraTrackStaysOverOpenWaterThroughTheScene)
{
    const k_TerrainShape moved(10.0, 50.0);
    struct Case
    {
        const k_TerrainShape& shape;
        double start;
        double end;
    };
    for (const Case& c :
         {Case{Shape(), k_TerrainShape::k_SceneStart, k_TerrainShape::k_SceneEnd}, Case{moved, 10.0, 50.0}})
    {
        float shallowest = 1e9f;
        for (double t = c.start; t <= c.end; t += 0.05)
        {
            float x = 0.0f;
            float z = 0.0f;
            k_TerrainShape::CameraAt(t, x, z);
            // The ground below the camera and a little ahead of it on every side.
            for (float dx = -2.0f; dx <= 2.0f; dx += 1.0f)
                for (float dz = -2.0f; dz <= 2.0f; dz += 1.0f)
                    shallowest = std::min(shallowest, k_TerrainShape::k_Water - c.shape.HeightAt(x + dx, z + dz));
        }
        EXPECT_GT(shallowest, 1.5f) << "from " << c.start << " s: the ground comes within " << shallowest
                                    << " of the surface under the camera";
    }
}

TEST(k_TerrainShape, HasLandAndLakeBedAndAHiddenWaterEdge)
{
    int dry = 0;
    int wet = 0;
    int high = 0;
    for (int j = 0; j <= 192; ++j)
    {
        for (int i = 0; i <= 192; ++i)
        {
            const float h = Shape().Height(i, j);
            dry += h > k_TerrainShape::k_Water;
            wet += h < k_TerrainShape::k_Water - 1.0f;
            high += h > 30.0f;
        }
    }
    const int all = 193 * 193;
    EXPECT_GT(dry, all / 5);
    EXPECT_GT(wet, all / 5);
    EXPECT_GT(high, all / 50) << "no mountains";
    // Along the grid's border the land rises above the water, so the water plane never ends in the open.
    for (int k = 0; k <= 192; ++k)
    {
        EXPECT_GT(Shape().Height(k, 0), k_TerrainShape::k_Water + 2.0f) << k;
        EXPECT_GT(Shape().Height(k, 192), k_TerrainShape::k_Water + 2.0f) << k;
        EXPECT_GT(Shape().Height(0, k), k_TerrainShape::k_Water + 2.0f) << k;
        EXPECT_GT(Shape().Height(192, k), k_TerrainShape::k_Water + 2.0f) << k;
    }
}

TEST(k_TerrainShape, PictureKeepsHeightsToSixteenBitsAndNormalsPointingUpTheSlope)
{
    const std::vector<uint8_t> picture = Shape().Encode();
    ASSERT_EQ(picture.size(), static_cast<size_t>(k_TerrainShape::k_Size) * k_TerrainShape::k_Size * 4);
    float worst = 0.0f;
    int checked = 0;
    for (int j = 1; j < 192; j += 7)
    {
        for (int i = 1; i < 192; i += 5)
        {
            // The picture's rows run from the top; a texture's from the bottom.
            const size_t row = static_cast<size_t>(k_TerrainShape::k_Size - 1 - j);
            const uint8_t* texel = &picture[(row * k_TerrainShape::k_Size + i) * 4];
            worst = std::max(worst, std::fabs(k_TerrainShape::Decode(texel[0], texel[1]) - Shape().Height(i, j)));
            // The normal leans away from the higher neighbour.
            const float rise = Shape().Height(i + 1, j) - Shape().Height(i - 1, j);
            const float nx = texel[2] / 255.0f * 2.0f - 1.0f;
            if (std::fabs(rise) > 0.5f)
            {
                EXPECT_LT(nx * rise, 0.0f) << i << "," << j;
                ++checked;
            }
        }
    }
    EXPECT_LT(worst, 0.002f);
    EXPECT_GT(checked, 20);
}
