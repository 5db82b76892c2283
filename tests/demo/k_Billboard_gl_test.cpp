#include "demo/k_Billboard.h"
#include "demo/k_BillboardBatch.h"
#include "graphics/k_MeshBuffer.h"
#include "interfaces/ICamera.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_SceneTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <memory>
#include <png.h>
#include <vector>

namespace
{
class BillboardTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        engine = std::make_unique<k_GpuTestEngine>();
        factory = engine->GetResourceFactory();
        engine->WriteFile("Test/Plain.mat", "material {\n  culling none\n}\n");
        engine->WriteFile("Test/wide.png",
                          k_TestImages::Png(256, 128, PNG_COLOR_TYPE_RGB, 8, std::vector<uint8_t>(256 * 128 * 3, 255)));
        testing::internal::CaptureStdout();
        material = factory->CreateMaterial(L"plain", L"Test/Plain.mat");
        wide = factory->CreateTexture(L"wide", L"Test/wide.png");
        testing::internal::GetCapturedStdout();
        ASSERT_NE(material, nullptr);
        ASSERT_NE(wide, nullptr);
        camera = factory->CreateCamera();
        world.SetCamera(camera);
        k_SceneTestPlainState();
    }

    // A billboard node of the factory at the position with the scale.
    IRenderable* Billboard(k_VectorUA position, k_VectorUA scale, int mode = IBillboard::Fixed)
    {
        IBillboard* billboard = factory->CreateBillboard();
        billboard->SetMode(mode);
        auto* node = dynamic_cast<IRenderable*>(billboard);
        node->SetPosition(position);
        node->SetScale(scale);
        return node;
    }

    k_BillboardBatch* Batch(int capacity)
    {
        return dynamic_cast<k_BillboardBatch*>(factory->CreateBillboardBatch(capacity, material));
    }

    // The first count vertices of the batch's mesh as the GPU holds them (x, y, z, s, t each).
    static std::vector<float> Vertices(k_BillboardBatch* batch, int count)
    {
        auto* mesh = dynamic_cast<k_MeshBuffer*>(batch->GetMesh());
        std::vector<float> data(static_cast<size_t>(count) * 5);
        glBindBuffer(GL_ARRAY_BUFFER, mesh->GetVertexBuffer());
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return data;
    }

    std::unique_ptr<k_GpuTestEngine> engine;
    IResourceFactory* factory = nullptr;
    IMaterial* material = nullptr;
    ITexture* wide = nullptr;
    ICamera* camera = nullptr;
    k_World world{nullptr, "billboards"};
};

// Whether the pixel at (x, y) of the window is lit (any channel above half).
bool Lit(const std::vector<uint8_t>& pixels, int x, int y)
{
    const uint8_t* p = &pixels[(static_cast<size_t>(y) * k_GlTestContext::k_Width + x) * 4];
    return p[0] > 128 || p[1] > 128 || p[2] > 128;
}
} // namespace

TEST_F(BillboardTest, BatchDoublesItsCapacityWhenFull)
{
    k_BillboardBatch* batch = Batch(4);
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(batch->GetCapacity(), 4u);
    for (int i = 1; i <= 8; ++i)
    {
        batch->AddChild(Billboard({0, 0, 0, 1}, {1, 1, 1, 1}));
        const unsigned int expected = i < 4 ? 4u : i < 8 ? 8u : 16u;
        EXPECT_EQ(batch->GetCapacity(), expected) << "after billboard " << i;
        EXPECT_EQ(batch->GetMesh()->GetVertexCount(), 4 * expected);
        EXPECT_EQ(batch->GetMesh()->GetDrawnIndexCount(), 4u * i);
    }
    // Billboards join the batch, not its children; other nodes are ordinary children.
    EXPECT_TRUE(batch->GetChildren().empty());
    batch->AddChild(factory->CreateEmptyRenderable());
    EXPECT_EQ(batch->GetChildren().size(), 1u);
    EXPECT_EQ(dynamic_cast<k_BillboardBatch*>(factory->CreateBillboardBatch(0, material))->GetCapacity(), 1u);
}

TEST_F(BillboardTest, BatchCornersFollowTheCameraAndCylindricalOnesStayUpright)
{
    camera->SetPosition({0, 0, 5, 1});
    camera->SetTarget({0, 0, 0, 1});
    ASSERT_NEAR(camera->GetRight().x, 1.0f, 1e-3f);
    ASSERT_NEAR(camera->GetUp().y, 1.0f, 1e-3f);
    k_BillboardBatch* batch = Batch(4);
    world.AddRenderable(batch);
    batch->AddChild(Billboard({2, 0, 0, 1}, {1, 1, 1, 1}));
    batch->AddChild(Billboard({0, 5, 0, 1}, {1, 3, 1, 1}, IBillboard::Cylindrical));
    batch->Render();

    const std::vector<float> v = Vertices(batch, 8);
    const float expected[4][5] = {{3, 1, 0, 1, 1}, {1, 1, 0, 0, 1}, {1, -1, 0, 0, 0}, {3, -1, 0, 1, 0}};
    for (int corner = 0; corner < 4; ++corner)
        for (int k = 0; k < 5; ++k)
            EXPECT_NEAR(v[corner * 5 + k], expected[corner][k], 2e-3f) << "corner " << corner << " element " << k;

    // Tilt the camera: the cylindrical quad still spans y - 1 to y + 1 whatever its y scale.
    camera->SetPosition({0, 9, 5, 1});
    batch->Render();
    const std::vector<float> tilted = Vertices(batch, 8);
    for (int corner = 4; corner < 8; ++corner)
        EXPECT_NEAR(tilted[corner * 5 + 1], corner < 6 ? 6.0f : 4.0f, 1e-5f) << "corner " << corner;
}

TEST_F(BillboardTest, BatchOutsideAWorldWithACameraSaysSoAndDrawsNothing)
{
    k_BillboardBatch* batch = Batch(2);
    batch->AddChild(Billboard({0, 0, 0, 1}, {1, 1, 1, 1}));
    testing::internal::CaptureStdout();
    batch->Render();
    batch->Render();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "Billboard batch: it belongs to no world with a camera; nothing is drawn.\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BillboardTest, StandaloneBillboardTakesItsWidthFromTheTexture)
{
    // 4 units across the 256-pixel window: one unit is 64 pixels.
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    IRenderable* node = Billboard({0, 0, 0, 1}, {1, 1, 1, 1}, IBillboard::Spherical);
    dynamic_cast<IBillboard*>(node)->SetTexture(wide);
    // A turned parent frame: a spherical billboard faces the viewer all the same.
    glRotatef(70.0f, 0.3f, 1.0f, 0.2f);
    node->Render();
    const std::vector<uint8_t> pixels = k_GlTestContext::ReadPixels(0, 0, 256, 256);
    EXPECT_TRUE(Lit(pixels, 128, 128));
    EXPECT_TRUE(Lit(pixels, 66, 98));    // just inside (-1, -0.5)
    EXPECT_TRUE(Lit(pixels, 189, 157));  // just inside (1, 0.5)
    EXPECT_FALSE(Lit(pixels, 61, 128));  // left of x = -1
    EXPECT_FALSE(Lit(pixels, 195, 128)); // right of x = 1
    EXPECT_FALSE(Lit(pixels, 128, 164)); // above y = 0.5
    EXPECT_FALSE(Lit(pixels, 128, 92));  // below y = -0.5
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The picture stands upright and unmirrored: a texture of four coloured quarters shows each in its place.
TEST_F(BillboardTest, StandaloneBillboardShowsItsPictureTheRightWayRound)
{
    // Top left red, top right green, bottom left blue, bottom right white (rows from the top, as in the file).
    std::vector<uint8_t> quarters(256 * 128 * 3);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
        {
            uint8_t* p = &quarters[(static_cast<size_t>(y) * 256 + x) * 3];
            const bool top = y < 64;
            const bool left = x < 128;
            p[0] = (top && left) || (!top && !left) ? 255 : 0;
            p[1] = (top && !left) || (!top && !left) ? 255 : 0;
            p[2] = !top ? 255 : 0;
        }
    engine->WriteFile("Test/quarters.png", k_TestImages::Png(256, 128, PNG_COLOR_TYPE_RGB, 8, quarters));
    testing::internal::CaptureStdout();
    ITexture* texture = factory->CreateTexture(L"quarters", L"Test/quarters.png");
    testing::internal::GetCapturedStdout();
    ASSERT_NE(texture, nullptr);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    IRenderable* node = Billboard({0, 0, 0, 1}, {1, 1, 1, 1}, IBillboard::Spherical);
    dynamic_cast<IBillboard*>(node)->SetTexture(texture);
    glRotatef(70.0f, 0.3f, 1.0f, 0.2f);
    node->Render();
    // Half a unit left or right of the middle and a quarter up or down: 32 and 16 pixels.
    auto colour = [](int x, int y) {
        const std::vector<uint8_t> p = k_GlTestContext::ReadPixels(x, y, 1, 1);
        return std::vector<int>{p[0] > 128, p[1] > 128, p[2] > 128};
    };
    EXPECT_EQ(colour(96, 144), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(colour(160, 144), (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(colour(96, 112), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(colour(160, 112), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BillboardTest, CylindricalBillboardKeepsItsParentsVerticalAxis)
{
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    IRenderable* node = Billboard({0, 0, 0, 1}, {1, 1, 1, 1}, IBillboard::Cylindrical);
    dynamic_cast<IBillboard*>(node)->SetTexture(wide);
    // Tipping the parent 60 degrees about x shortens the upright quad to half its height on screen.
    glRotatef(60.0f, 1, 0, 0);
    node->Render();
    const std::vector<uint8_t> pixels = k_GlTestContext::ReadPixels(0, 0, 256, 256);
    EXPECT_TRUE(Lit(pixels, 128, 128));
    EXPECT_TRUE(Lit(pixels, 128, 113));
    EXPECT_FALSE(Lit(pixels, 128, 148)); // 0.25 units up is where it ends, not 0.5
    EXPECT_TRUE(Lit(pixels, 70, 128));   // the full width stays
}
