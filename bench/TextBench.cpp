// Costs of extruded text on this machine's GL (Mesa llvmpipe under Xvfb):
// building a font not seen before (fontconfig look-up, 256 glyph outlines
// flattened, tessellated and compiled into display lists: load time), and
// drawing a 24-character line with its cached lists (the per-frame cost).
#include "demo/k_Text.h"
#include "interfaces/IMaterial.h"
#include "support/k_GlTestContext.h"
#include "support/k_SceneTestEngine.h"

#include <epoxy/gl.h>
#include <benchmark/benchmark.h>
#include <memory>

namespace
{
class PlainMaterial : public IMaterial
{
public:
    bool Apply() override { return true; }
    void AddPass(k_MaterialPass*) override {}
    std::vector<k_MaterialPass*>& GetPasses() override { return m_passes; }
    k_MaterialPass* FindPass(IWorld*) override { return nullptr; }

private:
    std::vector<k_MaterialPass*> m_passes;
};
} // namespace

static void BM_BuildFontOf256Glyphs(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    k_SceneTestEngine engine;
    float depth = 0.1f;
    for (auto _ : state)
    {
        // A new depth each time, so the cache never has the font yet.
        k_Text text(&engine, "starwane", L"DejaVu Sans", 200, depth, 0);
        depth += 0.001f;
        benchmark::DoNotOptimize(text.GetListBase());
    }
    glFinish();
}
BENCHMARK(BM_BuildFontOf256Glyphs)->Unit(benchmark::kMillisecond);

static void BM_DrawTwentyFourLetters(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    k_SceneTestEngine engine;
    PlainMaterial material;
    k_Text text(&engine, "what time is it, corin?!", L"DejaVu Sans", 200, 0.2f, 0);
    text.SetMaterial(&material);
    text.SetScale({0.08f, 0.08f, 0.08f, 1.0f});
    text.SetPosition({-0.95f, 0.0f, 0.0f, 1.0f});
    for (auto _ : state)
    {
        text.Render();
        glFinish();
    }
}
BENCHMARK(BM_DrawTwentyFourLetters)->Unit(benchmark::kMicrosecond);
