// Scene and rendering costs on this machine's GL (Mesa llvmpipe under Xvfb):
// building the terrain-sized mesh once, drawing it through its display list
// each frame at 1280 x 720, and binding and clearing a 512 x 512 float target.
#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_MeshBuffer.h"
#include "graphics/k_RenderTarget.h"
#include "scene/k_Camera.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace
{
// --- the terrain grid: 192 x 192 quads of four unshared vertices, position and texture coordinate ---

constexpr uint32_t k_TerrainVertexCount = 192 * 192 * 4;

struct TerrainData
{
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
};

const TerrainData& Terrain()
{
    static const TerrainData data = [] {
        TerrainData d;
        d.vertices.reserve(k_TerrainVertexCount * 5);
        auto add = [&d](int x, int z, int s, int t) {
            d.vertices.insert(d.vertices.end(), {static_cast<float>(x), 1.0f, static_cast<float>(z),
                                                 static_cast<float>(s / 129.0), static_cast<float>(t / 129.0)});
        };
        for (int a = -96; a < 96; ++a)
            for (int j = -96; j < 96; ++j)
            {
                add(j + 1, a, j + 193, a + 192);
                add(j + 1, a + 1, j + 193, a + 193);
                add(j, a + 1, j + 192, a + 193);
                add(j, a, j + 192, a + 192);
            }
        for (uint32_t i = 0; i < k_TerrainVertexCount; ++i)
            d.indices.push_back(i);
        return d;
    }();
    return data;
}

const std::vector<r_VertexElement> k_TerrainFormat = {r_VertexElement::Position3, r_VertexElement::TexCoord2};

// One GL context, engine and fixed-function material for the whole run.
struct Scene
{
    Scene() : world(&engine, "Terrain"), material(&engine, L"")
    {
        auto* pass = new k_MaterialPass;
        pass->cullMode = 0;
        material.AddPass(pass);
        engine.Renderer().SetCurrentWorld(&world);
        engine.Graphics().SetAspectRatio(16.0f / 9.0f);
    }
    k_SceneTestEngine engine;
    k_World world;
    k_Material material;
};

Scene* TheScene()
{
    if (!k_GlTestContext::Ensure())
        return nullptr;
    static Scene scene;
    return &scene;
}

std::unique_ptr<k_MeshBuffer> BuildTerrain(Scene& scene)
{
    const TerrainData& data = Terrain();
    auto mesh = std::make_unique<k_MeshBuffer>(&scene.engine);
    mesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    mesh->SetMaterial(&scene.material);
    mesh->SetVertices(data.vertices.data(), k_TerrainVertexCount, k_TerrainFormat, GL_STATIC_DRAW, true);
    mesh->SetIndices(data.indices.data(), k_TerrainVertexCount, GL_STATIC_DRAW, true);
    return mesh;
}
} // namespace

// --- benchmarks ---

// Copy, upload to two buffer objects and compile one display list (done once at load time).
static void BM_TerrainMeshBuild(benchmark::State& state)
{
    Scene* scene = TheScene();
    if (scene == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    Terrain();
    for (auto _ : state)
    {
        auto mesh = BuildTerrain(*scene);
        glFinish();
        benchmark::DoNotOptimize(mesh->GetDisplayListCount());
    }
}
BENCHMARK(BM_TerrainMeshBuild)->Unit(benchmark::kMillisecond);

// One frame: clear a 1280 x 720 target, camera, one glCallList of the terrain, wait for the driver.
static void BM_TerrainDrawFrame1280x720(benchmark::State& state)
{
    Scene* scene = TheScene();
    if (scene == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    auto mesh = BuildTerrain(*scene);
    k_RenderTarget frame(&scene->engine, 1280, 720);
    frame.AddColorTexture(2);
    k_Camera camera(&scene->engine);
    camera.SetPosition(k_VectorUA(0, 60, 120, 0));
    camera.SetTarget(k_VectorUA(0, 0, 0, 0));
    glEnable(GL_DEPTH_TEST);
    for (auto _ : state)
    {
        camera.Apply();
        frame.Bind(IRenderTarget::k_ClearEverything);
        mesh->Render();
        frame.Unbind();
        glFinish();
    }
    glDisable(GL_DEPTH_TEST);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TerrainDrawFrame1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

// Bind with flags 259 (all attachments, clear colour and depth) and unbind a 512 x 512 RGBA float target.
static void BM_FloatTargetBindClear512(benchmark::State& state)
{
    Scene* scene = TheScene();
    if (scene == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    k_RenderTarget target(&scene->engine, 512, 512);
    target.AddColorTexture(3);
    for (auto _ : state)
    {
        target.Bind(IRenderTarget::k_ClearEverything);
        target.Unbind();
        glFinish();
    }
}
BENCHMARK(BM_FloatTargetBindClear512)->Unit(benchmark::kMicrosecond)->UseRealTime();
