// Costs of materials on this machine's GL (Mesa llvmpipe under Xvfb): applying
// one pass with a program, three textures and every built-in uniform (the
// per-draw cost, caches warm), and loading a material script with two inline
// shaders, once with compiling them (a script not seen before) and once with
// the shaders already cached (the same script under a new material name).
#include "graphics/k_MaterialPass.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "scene/k_Camera.h"
#include "scene/k_Light.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"
#include "support/k_TestImages.h"

#include <epoxy/gl.h>
#include <benchmark/benchmark.h>
#include <iostream>
#include <memory>
#include <png.h>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const char* k_Script = "vertexshader vs {{\n"
                       "#version 120\n"
                       "varying vec2 uv;\n"
                       "void main() { uv = gl_MultiTexCoord0.xy; gl_Position = ftransform(); }\n"
                       "}}\n"
                       "pixelshader ps {{\n"
                       "#version 120\n"
                       "uniform sampler2D texture0, texture1, texture2;\n"
                       "uniform vec4 texture0Ddxy, texture1Ddxy, texture2Ddxy;\n"
                       "uniform int numOfLights;\n"
                       "uniform float demoTime, aspectRatio;\n"
                       "uniform vec3 eyePosition, eyeDirection;\n"
                       "uniform mat4 viewMatrix, viewMatrixInverse;\n"
                       "varying vec2 uv;\n"
                       "void main() {\n"
                       "  vec4 c = texture2D(texture0, uv * texture0Ddxy.zw) + texture2D(texture1, uv)"
                       " + texture2D(texture2, uv * texture2Ddxy.xy);\n"
                       "  c += vec4(float(numOfLights) * demoTime * aspectRatio) + texture1Ddxy;\n"
                       "  c.xyz += eyePosition + eyeDirection + (viewMatrix * viewMatrixInverse[0]).xyz;\n"
                       "  gl_FragColor = c;\n"
                       "}\n"
                       "}}\n"
                       "material {\n"
                       "  useshader vs\n"
                       "  useshader ps\n"
                       "  loadtexture 0 Bench/a.png repeat\n"
                       "  loadtexture 1 Bench/b.png clamp\n"
                       "  loadtexture 2 Bench/c.png mirror\n"
                       "  alphablend true\n"
                       "  srcblendmode srcalpha\n"
                       "  destblendmode oneminussrcalpha\n"
                       "  diffuse (1, 1, 1, 1)\n"
                       "}\n";

// Runs the loader's work with its progress lines kept off the benchmark's output.
template <typename Work> auto Quietly(Work work)
{
    std::ostringstream sink;
    std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
    auto result = work();
    std::cout.rdbuf(saved);
    return result;
}

std::unique_ptr<k_GpuTestEngine> MakeEngine()
{
    auto engine = std::make_unique<k_GpuTestEngine>();
    const std::vector<uint8_t> grey(64 * 64 * 3, 128);
    for (const char* name : {"Bench/a.png", "Bench/b.png", "Bench/c.png"})
        engine->WriteFile(name, k_TestImages::Png(64, 64, PNG_COLOR_TYPE_RGB, 8, grey));
    engine->WriteFile("Bench/Material.mat", k_Script);
    return engine;
}
} // namespace

// --- per draw ---

static void BM_ApplyPassWithProgramAndThreeTextures(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    auto engine = MakeEngine();
    IMaterial* material =
        Quietly([&] { return engine->GetResourceFactory()->CreateMaterial(L"m", L"Bench/Material.mat"); });
    if (!material || material->GetPasses().empty() || !material->GetPasses()[0]->program)
    {
        state.SkipWithError("material did not load");
        return;
    }
    // A world with two lights and a camera, as a scene draws it: every built-in uniform is uploaded.
    k_World world(engine.get(), "bench");
    k_Light first(engine.get());
    k_Light second(engine.get());
    world.AddLight(&first);
    world.AddLight(&second);
    k_Camera camera(engine.get());
    camera.SetPosition({0.0f, 3.0f, 10.0f, 1.0f});
    camera.SetTarget({0.0f, 0.0f, 0.0f, 1.0f});
    camera.Apply();
    world.SetCamera(&camera);
    engine->renderer.currentWorld = &world;
    material->Apply(); // warms the location caches
    for (auto _ : state)
    {
        engine->timeline.time += 0.001;
        material->Apply();
    }
    glFinish();
    state.counters["errors"] = engine->graphics.errors;
    engine->renderer.currentWorld = nullptr;
    glUseProgram(0);
}
BENCHMARK(BM_ApplyPassWithProgramAndThreeTextures);

// --- loading ---

static void BM_LoadScriptCompilingTwoInlineShaders(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    auto engine = MakeEngine();
    int round = 0;
    for (auto _ : state)
    {
        // A script not seen before: its inline shader keys are new, so both shaders compile.
        state.PauseTiming();
        const std::string name = "Bench/Fresh" + std::to_string(round++) + ".mat";
        engine->WriteFile(name, k_Script);
        const std::wstring wide(name.begin(), name.end());
        state.ResumeTiming();
        IMaterial* material = Quietly([&] { return engine->GetResourceFactory()->CreateMaterial(wide, wide); });
        benchmark::DoNotOptimize(material);
    }
    state.counters["errors"] = engine->graphics.errors;
}
BENCHMARK(BM_LoadScriptCompilingTwoInlineShaders)->Unit(benchmark::kMillisecond);

static void BM_LoadScriptWithCachedShaders(benchmark::State& state)
{
    if (!k_GlTestContext::Ensure())
    {
        state.SkipWithError("no OpenGL context");
        return;
    }
    auto engine = MakeEngine();
    int round = 0;
    for (auto _ : state)
    {
        // The same script under a new material name: reading, parsing, cached shaders and textures, one link.
        const std::wstring name = L"again" + std::to_wstring(round++);
        IMaterial* material =
            Quietly([&] { return engine->GetResourceFactory()->CreateMaterial(name, L"Bench/Material.mat"); });
        benchmark::DoNotOptimize(material);
    }
    state.counters["errors"] = engine->graphics.errors;
}
BENCHMARK(BM_LoadScriptWithCachedShaders)->Unit(benchmark::kMillisecond);
