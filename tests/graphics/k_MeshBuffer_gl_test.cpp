#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_MeshBuffer.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "scene/k_World.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{
// A 2D position and an RGBA byte colour: 12 bytes a vertex.
struct ColouredVertex
{
    float x, y;
    uint8_t r, g, b, a;
};
const std::vector<r_VertexElement> k_ColouredFormat = {r_VertexElement::Position2, r_VertexElement::Colour4UB};
const uint32_t k_QuadIndices[6] = {0, 1, 2, 0, 2, 3};

std::vector<ColouredVertex> Quad(float x0, float y0, float x1, float y1, uint8_t r, uint8_t g, uint8_t b)
{
    return {{x0, y0, r, g, b, 255}, {x1, y0, r, g, b, 255}, {x1, y1, r, g, b, 255}, {x0, y1, r, g, b, 255}};
}

class k_MeshBufferTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        k_SceneTestPlainState();
        engine.Renderer().SetCurrentWorld(&world);
    }
    void TearDown() override { glUseProgram(0); }

    // A real material with fixed-function passes for the given targets; culling off.
    std::unique_ptr<k_Material> MakeMaterial(std::vector<std::string> targets = {""}, IShaderProgram* program = nullptr)
    {
        auto material = std::make_unique<k_Material>(&engine, L"");
        for (const std::string& target : targets)
        {
            auto* pass = new k_MaterialPass;
            pass->target = target;
            pass->cullMode = 0;
            pass->program = program;
            material->AddPass(pass);
        }
        return material;
    }
    std::unique_ptr<k_ShaderProgram> MakeProgram(const char* vertexSource)
    {
        shaders.push_back(std::make_unique<k_Shader>(&engine, r_ShaderType::Vertex, L"test.vs", vertexSource));
        shaders.push_back(std::make_unique<k_Shader>(&engine, r_ShaderType::Pixel, L"test.ps",
                                                     "#version 120\nvoid main() { gl_FragColor = gl_Color; }\n"));
        return std::make_unique<k_ShaderProgram>(
            &engine, std::vector<IShader*>{shaders[shaders.size() - 2].get(), shaders.back().get()});
    }
    void Render(k_MeshBuffer& mesh)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        mesh.Render();
    }
    static std::vector<uint8_t> Pixel(int x, int y) { return k_GlTestContext::ReadPixels(x, y, 1, 1); }
    static std::vector<uint8_t> Rgb(int r, int g, int b) { return {uint8_t(r), uint8_t(g), uint8_t(b), 255}; }

    k_SceneTestEngine engine;
    k_World world{&engine, "w"};
    std::vector<std::unique_ptr<k_Shader>> shaders;
};
} // namespace

// --- layout ---

TEST_F(k_MeshBufferTest, OffsetsAndStrideFollowTheFormat)
{
    k_MeshBuffer mesh(&engine);
    EXPECT_EQ(mesh.GetPrimitiveTopology(), r_PrimitiveTopology::Triangle);
    std::vector<float> data(5 * 3);
    mesh.SetVertices(data.data(), 3, {r_VertexElement::Position3, r_VertexElement::TexCoord2}, GL_STATIC_DRAW, true);
    EXPECT_EQ(mesh.GetElementOffsets(), (std::vector<uint32_t>{0, 12}));
    EXPECT_EQ(mesh.GetStride(), 20u);
    EXPECT_NE(mesh.GetVertices(), static_cast<void*>(data.data())); // copied

    std::vector<r_VertexElement> every;
    for (uint32_t code = 0; code <= 15; ++code)
        every.push_back(static_cast<r_VertexElement>(code));
    std::vector<uint8_t> bytes(200);
    mesh.SetVertices(bytes.data(), 1, every, GL_STATIC_DRAW, false);
    // 8+12+16 + 12 + 3+4+12+16 + 8+12+16 + 12+16 + 16+16, and 1 for the unknown code 15.
    EXPECT_EQ(mesh.GetStride(), 180u);
    EXPECT_EQ(mesh.GetElementOffsets()[4], 48u);
    EXPECT_EQ(mesh.GetElementOffsets()[15], 179u);
    EXPECT_EQ(mesh.GetVertices(), static_cast<void*>(bytes.data())); // kept
    EXPECT_EQ(mesh.GetVertexFormat()->size(), 16u);
}

// --- display lists ---

TEST_F(k_MeshBufferTest, ListsAreCompiledOnlyOnceVerticesIndicesAndMaterialAllExist)
{
    k_MeshBuffer mesh(&engine);
    const auto quad = Quad(-0.5f, -0.5f, 0.5f, 0.5f, 255, 0, 0);
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, true);
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    EXPECT_NE(mesh.GetVertexBuffer(), 0u);
    EXPECT_NE(mesh.GetIndexBuffer(), 0u);
    EXPECT_EQ(mesh.GetDisplayListCount(), 0u);
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 0, 0)); // no material: nothing drawn

    auto material = MakeMaterial({"", "w"});
    mesh.SetMaterial(material.get());
    EXPECT_EQ(mesh.GetDisplayListCount(), 2u);
    for (k_MaterialPass* pass : material->GetPasses())
        EXPECT_TRUE(glIsList(mesh.GetDisplayList(pass)));
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(255, 0, 0));
    EXPECT_EQ(Pixel(10, 10), Rgb(0, 0, 0));

    // A world the material has no pass for draws nothing.
    auto only = MakeMaterial({"water"});
    mesh.SetMaterial(only.get());
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 0, 0));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_MeshBufferTest, DrawnIndexCountIsClampedAndResetByNewIndices)
{
    k_MeshBuffer mesh(&engine);
    auto material = MakeMaterial();
    mesh.SetMaterial(material.get());
    const auto quad = Quad(-1, -1, 1, 1, 0, 255, 0);
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, false);
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, false);
    EXPECT_EQ(mesh.GetDrawnIndexCount(), 6u);

    mesh.SetDrawnIndexCount(100);
    EXPECT_EQ(mesh.GetDrawnIndexCount(), 6u);

    mesh.SetDrawnIndexCount(3); // the first triangle only: below the diagonal from (-1,-1) to (1,1)
    Render(mesh);
    EXPECT_EQ(Pixel(200, 50), Rgb(0, 255, 0));
    EXPECT_EQ(Pixel(50, 200), Rgb(0, 0, 0));

    mesh.SetDrawnIndexCount(0);
    EXPECT_EQ(mesh.GetDisplayListCount(), 1u);
    Render(mesh);
    EXPECT_EQ(Pixel(200, 50), Rgb(0, 0, 0));

    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, false);
    EXPECT_EQ(mesh.GetDrawnIndexCount(), 6u);
    Render(mesh);
    EXPECT_EQ(Pixel(50, 200), Rgb(0, 255, 0));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// An index past the last vertex would read outside the vertex buffer.
TEST_F(k_MeshBufferTest, IndexBeyondTheVerticesIsRefusedWithAMessage)
{
    k_MeshBuffer mesh(&engine);
    auto material = MakeMaterial();
    const auto quad = Quad(-1, -1, 1, 1, 255, 255, 255);
    const uint32_t bad[3] = {0, 1, 4};
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, true);
    mesh.SetIndices(bad, 3, GL_STATIC_DRAW, true);
    testing::internal::CaptureStdout();
    mesh.SetMaterial(material.get());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("MeshBuffer: an index lies beyond the 4 vertices"), std::string::npos);
    EXPECT_EQ(mesh.GetDisplayListCount(), 0u);
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 0, 0));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);

    // Written through a lock, a bad index reaches only the index buffer; it is caught all the same.
    k_MeshBuffer dynamic(&engine);
    dynamic.SetVertices(quad.data(), 4, k_ColouredFormat, GL_DYNAMIC_DRAW, true);
    dynamic.SetIndices(k_QuadIndices, 6, GL_DYNAMIC_DRAW, true);
    dynamic.SetMaterial(material.get());
    ASSERT_EQ(dynamic.GetDisplayListCount(), 1u);
    auto* indices = static_cast<uint32_t*>(dynamic.LockIndices(GL_WRITE_ONLY));
    ASSERT_NE(indices, nullptr);
    indices[2] = 200000000;
    testing::internal::CaptureStdout();
    dynamic.UnlockIndices();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("an index lies beyond"), std::string::npos);
    EXPECT_EQ(dynamic.GetDisplayListCount(), 0u);
    Render(dynamic);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 0, 0));
    // Good indices written through the next lock draw again.
    indices = static_cast<uint32_t*>(dynamic.LockIndices(GL_WRITE_ONLY));
    ASSERT_NE(indices, nullptr);
    std::memcpy(indices, k_QuadIndices, sizeof k_QuadIndices);
    dynamic.UnlockIndices();
    Render(dynamic);
    EXPECT_EQ(Pixel(128, 128), Rgb(255, 255, 255));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// The red line comes once for each change of the data, not with every rebuild of a broken mesh.
TEST_F(k_MeshBufferTest, IndexOutOfRangeIsSaidOncePerDataChange)
{
    auto material = MakeMaterial(), other = MakeMaterial();
    const auto quad = Quad(-1, -1, 1, 1, 255, 255, 255);
    const uint32_t bad[6] = {0, 1, 2, 0, 2, 9};
    k_MeshBuffer mesh(&engine);
    auto lines = [](const std::string& log) {
        int count = 0;
        for (size_t at = log.find("an index lies beyond"); at != std::string::npos;
             at = log.find("an index lies beyond", at + 1))
            ++count;
        return count;
    };
    testing::internal::CaptureStdout();
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_DYNAMIC_DRAW, true);
    mesh.SetIndices(bad, 6, GL_DYNAMIC_DRAW, true);
    mesh.SetMaterial(material.get());
    EXPECT_EQ(lines(testing::internal::GetCapturedStdout()), 1);

    // Rebuilds without new index data: a material, a drawn count, vertices written through a lock.
    testing::internal::CaptureStdout();
    mesh.SetMaterial(other.get());
    mesh.SetDrawnIndexCount(3);
    for (int frame = 0; frame < 3; ++frame)
    {
        ASSERT_NE(mesh.LockVertices(GL_WRITE_ONLY), nullptr);
        mesh.UnlockVertices();
        Render(mesh);
    }
    EXPECT_EQ(lines(testing::internal::GetCapturedStdout()), 0);
    EXPECT_EQ(mesh.GetDisplayListCount(), 0u);

    // New indices, still broken: said again, once.
    testing::internal::CaptureStdout();
    auto* indices = static_cast<uint32_t*>(mesh.LockIndices(GL_WRITE_ONLY));
    ASSERT_NE(indices, nullptr);
    indices[0] = 4;
    mesh.UnlockIndices();
    mesh.SetMaterial(material.get());
    mesh.SetIndices(bad, 6, GL_DYNAMIC_DRAW, true);
    EXPECT_EQ(lines(testing::internal::GetCapturedStdout()), 2);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// Meshes draw at stage 1 only: blended additively, a draw at another stage would brighten the picture.
TEST_F(k_MeshBufferTest, DrawsOnlyAtStageOne)
{
    k_MeshBuffer mesh(&engine);
    auto material = MakeMaterial();
    material->GetPasses()[0]->alphaBlend = true;
    material->GetPasses()[0]->srcBlend = GL_ONE;
    material->GetPasses()[0]->dstBlend = GL_ONE;
    const auto quad = Quad(-1, -1, 1, 1, 40, 0, 0);
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, true);
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    mesh.SetMaterial(material.get());
    Render(mesh); // stages 0, 1 and 2
    EXPECT_EQ(Pixel(128, 128), Rgb(40, 0, 0));
    for (int stage : {0, 2, 3})
        mesh.Draw(stage);
    EXPECT_EQ(Pixel(128, 128), Rgb(40, 0, 0));
    mesh.Draw(1);
    EXPECT_EQ(Pixel(128, 128), Rgb(80, 0, 0)); // a second stage-1 draw does add up
    glDisable(GL_BLEND);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// A usage the driver rejects leaves a buffer without storage, which a list must not be compiled from.
TEST_F(k_MeshBufferTest, BufferTheDriverRejectsIsReportedAndNotDrawn)
{
    k_MeshBuffer mesh(&engine);
    auto material = MakeMaterial();
    const auto quad = Quad(-1, -1, 1, 1, 255, 255, 255);
    testing::internal::CaptureStdout();
    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, 0, true);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("MeshBuffer: the vertex buffer could not be made"), std::string::npos);
    EXPECT_EQ(mesh.GetVertexBuffer(), 0u);
    testing::internal::CaptureStdout(); // each later setter tries the upload again
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    mesh.SetMaterial(material.get());
    testing::internal::GetCapturedStdout();
    EXPECT_GT(k_SceneTestDrainErrors(), 0); // the driver's own GL_INVALID_ENUM
    EXPECT_EQ(mesh.GetDisplayListCount(), 0u);
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 0, 0));

    mesh.SetVertices(quad.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, true);
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(255, 255, 255));
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// --- texture units and generic attributes ---

// Texture coordinates go to units 0, 1, ... in format order; normals and colours do not take a unit.
TEST_F(k_MeshBufferTest, TextureCoordinateElementsTakeConsecutiveUnits)
{
    struct Vertex
    {
        float x, y;
        float nx, ny, nz;
        float s0, t0;
        uint8_t r, g, b, a;
        float s1, t1;
    };
    const std::vector<Vertex> vertices = {{-1, -1, 0, 0, 1, 1, 0, 9, 9, 9, 9, 0, 1},
                                          {1, -1, 0, 0, 1, 1, 0, 9, 9, 9, 9, 0, 1},
                                          {1, 1, 0, 0, 1, 1, 0, 9, 9, 9, 9, 0, 1},
                                          {-1, 1, 0, 0, 1, 1, 0, 9, 9, 9, 9, 0, 1}};
    auto program =
        MakeProgram("#version 120\n"
                    "void main() {\n"
                    "  gl_Position = gl_Vertex;\n"
                    "  gl_FrontColor = vec4(gl_MultiTexCoord0.s, gl_MultiTexCoord1.t, gl_MultiTexCoord0.t, 1.0);\n"
                    "}\n");
    auto material = MakeMaterial({""}, program.get());
    k_MeshBuffer mesh(&engine);
    mesh.SetVertices(vertices.data(), 4,
                     {r_VertexElement::Position2, r_VertexElement::Normal3, r_VertexElement::TexCoord2,
                      r_VertexElement::Colour4UB, r_VertexElement::TexCoord2},
                     GL_STATIC_DRAW, true);
    EXPECT_EQ(mesh.GetStride(), sizeof(Vertex));
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    mesh.SetMaterial(material.get());
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(255, 255, 0)); // swapped units would give (0, 0, 255)
    GLint active = 0;
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

TEST_F(k_MeshBufferTest, TangentsReachTheProgramAndPassesWithoutItSkipThem)
{
    struct Vertex
    {
        float x, y;
        float tx, ty, tz;
    };
    const std::vector<Vertex> vertices = {{-1, -1, 0, 1, 1}, {1, -1, 0, 1, 1}, {1, 1, 0, 1, 1}, {-1, 1, 0, 1, 1}};
    auto program = MakeProgram("#version 120\n"
                               "attribute vec3 Tangent;\n"
                               "void main() { gl_Position = gl_Vertex; gl_FrontColor = vec4(Tangent, 1.0); }\n");
    ASSERT_GE(program->GetAttributeLocation("Tangent"), 0);
    auto shaded = MakeMaterial({""}, program.get());
    auto fixed = MakeMaterial({""});
    k_MeshBuffer mesh(&engine);
    mesh.SetVertices(vertices.data(), 4, {r_VertexElement::Position2, r_VertexElement::Tangent3}, GL_STATIC_DRAW, true);
    mesh.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    mesh.SetMaterial(shaded.get());
    Render(mesh);
    EXPECT_EQ(Pixel(128, 128), Rgb(0, 255, 255));
    mesh.SetMaterial(fixed.get()); // no program: the tangent array is left out
    glUseProgram(0);
    Render(mesh);
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}

// --- dynamic buffers ---

TEST_F(k_MeshBufferTest, DynamicMeshUpdatedThroughALockDrawsTheNewData)
{
    k_MeshBuffer mesh(&engine), still(&engine);
    EXPECT_EQ(still.LockVertices(GL_WRITE_ONLY), nullptr); // no data at all
    const auto left = Quad(-1, -1, 0, 1, 255, 0, 0);
    still.SetVertices(left.data(), 4, k_ColouredFormat, GL_STATIC_DRAW, true);
    still.SetIndices(k_QuadIndices, 6, GL_STATIC_DRAW, true);
    EXPECT_EQ(still.LockVertices(GL_WRITE_ONLY), nullptr); // static buffers
    EXPECT_EQ(still.LockIndices(GL_WRITE_ONLY), nullptr);
    still.UnlockVertices(); // nothing locked: nothing happens

    auto material = MakeMaterial();
    mesh.SetVertices(left.data(), 4, k_ColouredFormat, GL_DYNAMIC_DRAW, true);
    mesh.SetIndices(k_QuadIndices, 6, GL_DYNAMIC_DRAW, true);
    mesh.SetMaterial(material.get());
    Render(mesh);
    EXPECT_EQ(Pixel(64, 128), Rgb(255, 0, 0));
    EXPECT_EQ(Pixel(192, 128), Rgb(0, 0, 0));

    void* vertices = mesh.LockVertices(GL_WRITE_ONLY);
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(mesh.LockVertices(GL_WRITE_ONLY), nullptr); // already locked
    const auto right = Quad(0, -1, 1, 1, 0, 255, 0);
    std::memcpy(vertices, right.data(), sizeof(ColouredVertex) * 4);
    mesh.UnlockVertices();
    Render(mesh);
    EXPECT_EQ(Pixel(64, 128), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(192, 128), Rgb(0, 255, 0));
    // The client-side copy keeps what was set.
    EXPECT_EQ(static_cast<ColouredVertex*>(mesh.GetVertices())[0].r, 255);

    auto* indices = static_cast<uint32_t*>(mesh.LockIndices(GL_WRITE_ONLY));
    ASSERT_NE(indices, nullptr);
    const uint32_t firstTriangleTwice[6] = {0, 1, 2, 0, 1, 2};
    std::memcpy(indices, firstTriangleTwice, sizeof firstTriangleTwice);
    mesh.UnlockIndices();
    Render(mesh);
    EXPECT_EQ(Pixel(240, 20), Rgb(0, 255, 0));
    EXPECT_EQ(Pixel(140, 240), Rgb(0, 0, 0)); // the second triangle is gone
    EXPECT_EQ(k_SceneTestDrainErrors(), 0);
}
