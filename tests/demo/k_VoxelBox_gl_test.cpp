#include "demo/k_MarchingCubesTable.h"
#include "demo/k_VoxelBox.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{
class VoxelBoxTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>(true);
        k_SceneTestPlainState();
    }

    k_VoxelBox* Box(int w, int h, int d)
    {
        testing::internal::CaptureStdout();
        auto* box = dynamic_cast<k_VoxelBox*>(engine->GetResourceFactory()->CreateVoxelBox(w, h, d));
        log = testing::internal::GetCapturedStdout();
        return box;
    }

    // The field as the GPU holds it.
    static std::vector<float> Field(k_VoxelBox* box, size_t count)
    {
        std::vector<float> field(count);
        glBindTexture(GL_TEXTURE_3D, box->GetFieldTexture());
        glGetTexImage(GL_TEXTURE_3D, 0, GL_ALPHA, GL_FLOAT, field.data());
        glBindTexture(GL_TEXTURE_3D, 0);
        return field;
    }

    // Lit pixels of the window after drawing the box seen straight on, 2.5 units across.
    static int Coverage(k_VoxelBox* box)
    {
        k_SceneTestPlainState();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1.25, 1.25, -1.25, 1.25, -5, 5);
        glMatrixMode(GL_MODELVIEW);
        box->Render();
        glUseProgram(0);
        const std::vector<uint8_t> pixels = k_GlTestContext::ReadPixels(0, 0, 256, 256);
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += (pixels[i] | pixels[i + 1] | pixels[i + 2]) > 8 ? 1 : 0;
        return lit;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    std::string log;
};
} // namespace

TEST_F(VoxelBoxTest, InitialFieldTablesAndSize)
{
    k_VoxelBox* box = Box(32, 32, 32);
    ASSERT_NE(box, nullptr) << log;
    int w = 0, h = 0, d = 0;
    box->GetSize(w, h, d);
    EXPECT_EQ(w * 10000 + h * 100 + d, 323232);
    const std::vector<float> field = Field(box, 32 * 32 * 32);
    EXPECT_EQ(field[16 + 32 * (16 + 32 * 16)], -1.0f);
    EXPECT_EQ(field[0], -5.0f);
    // Sample (31, 0, 0): g = 31/16 - 1, h = l = -1.
    const double g = 31.0 / 16.0 - 1.0;
    EXPECT_FLOAT_EQ(field[31], static_cast<float>(16 * g + 4 * g * g + 8 - 1));

    std::vector<int> table(k_MarchingCubesTable::Rows * k_MarchingCubesTable::Columns, 99);
    glBindTexture(GL_TEXTURE_2D, box->GetTableTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA_INTEGER_EXT, GL_INT, table.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const auto& expected = k_MarchingCubesTable::Get();
    EXPECT_TRUE(std::equal(table.begin(), table.end(), expected.begin()));
    EXPECT_EQ(box->GetProgram()->GetUniformInt("triTableTex"), 7);
    EXPECT_EQ(box->GetProgram()->GetUniformVector4("vertDecals[6]")[1], 2.0f / 32);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VoxelBoxTest, LockAndUnlockAlternateStrictly)
{
    k_VoxelBox* box = Box(4, 4, 4);
    ASSERT_NE(box, nullptr) << log;
    float* field = box->Lock();
    auto message = [](auto call) -> std::wstring {
        try
        {
            call();
        }
        catch (const wchar_t* text)
        {
            return text;
        }
        return L"";
    };
    EXPECT_EQ(message([&] { box->Lock(); }), L"Voxel Box is already locked!");
    // The first array is still the one out: filling and unlocking it works.
    for (int i = 0; i < 64; ++i)
        field[i] = 7.0f;
    box->Unlock();
    EXPECT_EQ(Field(box, 64)[63], 7.0f);
    EXPECT_EQ(message([&] { box->Unlock(); }), L"Voxel Box is already unlocked!");
}

TEST_F(VoxelBoxTest, SizesOutsideTheTexturesLimitsAreRefused)
{
    EXPECT_EQ(Box(0, 8, 8), nullptr);
    EXPECT_NE(log.find("Voxel Box: each size must lie between 1"), std::string::npos) << log;
    EXPECT_EQ(Box(8, -1, 8), nullptr);
    EXPECT_EQ(Box(1 << 20, 1 << 20, 1), nullptr);
}

TEST_F(VoxelBoxTest, IsoLevelResizesTheSurfaceWithoutAnUpload)
{
    // Distance from the centre: the surface at level r is a sphere of radius r.
    constexpr int n = 32;
    k_VoxelBox* box = Box(n, n, n);
    ASSERT_NE(box, nullptr) << log;
    float* field = box->Lock();
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
            {
                const double gx = 2.0 * x / n - 1, gy = 2.0 * y / n - 1, gz = 2.0 * z / n - 1;
                field[x + n * (y + n * z)] = static_cast<float>(std::sqrt(gx * gx + gy * gy + gz * gz));
            }
    box->Unlock();

    // One unit is 256 / 2.5 pixels; the disc's area is pi r^2 in those.
    const double unit = 256.0 / 2.5;
    for (float radius : {0.4f, 0.75f})
    {
        box->SetIsolevel(radius);
        const double expected = M_PI * radius * radius * unit * unit;
        EXPECT_NEAR(Coverage(box), expected, expected * 0.06) << "radius " << radius;
    }
    EXPECT_EQ(engine->graphics.errors, 0);
}

TEST_F(VoxelBoxTest, TheFactoryReleasesTheBoxsTexturesAtTheEnd)
{
    k_VoxelBox* box = Box(8, 8, 8);
    ASSERT_NE(box, nullptr) << log;
    const GLuint field = box->GetFieldTexture(), table = box->GetTableTexture();
    EXPECT_TRUE(glIsTexture(field) && glIsTexture(table));
    engine.reset();
    EXPECT_FALSE(glIsTexture(field));
    EXPECT_FALSE(glIsTexture(table));
}

// Two boxes share one linked program but not their grid's uniforms: drawn side by side in one frame, in either
// order, each looks exactly as it does alone.
TEST_F(VoxelBoxTest, BoxesOfDifferentSizesDrawnInOneFrameEachLookAsAlone)
{
    k_VoxelBox* coarse = Box(4, 4, 4);
    ASSERT_NE(coarse, nullptr) << log;
    k_VoxelBox* fine = Box(24, 24, 24);
    ASSERT_NE(fine, nullptr) << log;
    constexpr int half = k_GlTestContext::k_Width / 2;
    auto frame = [](std::initializer_list<std::pair<k_VoxelBox*, int>> draws) {
        k_SceneTestPlainState();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1.25, 1.25, -1.25, 1.25, -5, 5);
        glMatrixMode(GL_MODELVIEW);
        for (const auto& [box, x] : draws)
        {
            glViewport(x, 0, half, half);
            box->Render();
        }
        glUseProgram(0);
    };
    auto lit = [](const std::vector<uint8_t>& pixels) {
        int count = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            count += (pixels[i] | pixels[i + 1] | pixels[i + 2]) > 8 ? 1 : 0;
        return count;
    };

    frame({{fine, half}});
    const std::vector<uint8_t> fineAlone = k_GlTestContext::ReadPixels(half, 0, half, half);
    frame({{coarse, 0}});
    const std::vector<uint8_t> coarseAlone = k_GlTestContext::ReadPixels(0, 0, half, half);
    ASSERT_GT(lit(fineAlone), 1000);
    ASSERT_GT(lit(coarseAlone), 1000);
    ASSERT_NE(fineAlone, coarseAlone);

    frame({{coarse, 0}, {fine, half}});
    EXPECT_EQ(k_GlTestContext::ReadPixels(0, 0, half, half), coarseAlone);
    EXPECT_EQ(k_GlTestContext::ReadPixels(half, 0, half, half), fineAlone);
    frame({{fine, half}, {coarse, 0}});
    EXPECT_EQ(k_GlTestContext::ReadPixels(0, 0, half, half), coarseAlone);
    EXPECT_EQ(k_GlTestContext::ReadPixels(half, 0, half, half), fineAlone);
    EXPECT_EQ(engine->graphics.errors, 0);
}
