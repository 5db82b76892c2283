// Per-frame costs of the engine features the show does not use, on this
// machine's GL (Mesa llvmpipe under Xvfb): a 10,000-billboard batch rewritten
// and recompiled each frame, a 64^3 voxel box's field upload and
// marching-cubes draw, and the matrices of a 64-bone skeleton.
#include "demo/k_BillboardBatch.h"
#include "demo/k_VoxelBox.h"
#include "interfaces/IBillboard.h"
#include "interfaces/IBone.h"
#include "interfaces/ICamera.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderCallback.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITransformationAnimation.h"
#include "scene/k_World.h"
#include "support/k_GlTestContext.h"
#include "support/k_GpuTestEngine.h"

#include <epoxy/gl.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace
{
// The engine over the built data.pak (the voxel box's shaders live there).
k_GpuTestEngine* TheEngine()
{
    if (!k_GlTestContext::Ensure())
        return nullptr;
    static std::unique_ptr<k_GpuTestEngine> engine = std::make_unique<k_GpuTestEngine>(true);
    return engine.get();
}

// The factory's log lines would drown the figures.
struct Quiet
{
    Quiet() { std::cout.setstate(std::ios::failbit), std::wcout.setstate(std::ios::failbit); }
    ~Quiet() { std::cout.clear(), std::wcout.clear(); }
};
} // namespace

// One frame of a 10,000-billboard batch: map the vertices, write 40,000 corners, recompile, draw.
static void BM_BillboardBatch10000PerFrame(benchmark::State& state)
{
    k_GpuTestEngine* engine = TheEngine();
    if (engine == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    Quiet quiet;
    IResourceFactory* factory = engine->GetResourceFactory();
    k_World world(engine, "bench");
    ICamera* camera = factory->CreateCamera();
    camera->SetPosition({0, 3, 12, 1});
    world.SetCamera(camera);
    auto* batch = dynamic_cast<k_BillboardBatch*>(
        factory->CreateBillboardBatch(16, factory->CreateMaterial(L"sparks", L"Examples/Sparks.mat")));
    world.AddRenderable(batch);
    for (int i = 0; i < 10000; ++i)
    {
        auto* node = dynamic_cast<IRenderable*>(factory->CreateBillboard());
        node->SetPosition({std::sin(i * 0.37f) * 5, std::cos(i * 0.11f) * 2, std::cos(i * 0.29f) * 5, 1});
        node->SetScale({0.05f, 0.05f, 0.05f, 1});
        batch->AddChild(node);
    }
    glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    for (auto _ : state)
    {
        camera->Apply();
        batch->Render();
        glFinish();
    }
    state.counters["capacity"] = batch->GetCapacity();
}
BENCHMARK(BM_BillboardBatch10000PerFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 64^3 voxel box: the field's Lock, copy and Unlock (the upload), and one draw of the surface.
static void BM_VoxelBox64Unlock(benchmark::State& state)
{
    k_GpuTestEngine* engine = TheEngine();
    if (engine == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    Quiet quiet;
    IVoxelBox* box = engine->GetResourceFactory()->CreateVoxelBox(64, 64, 64);
    std::vector<float> field(64 * 64 * 64);
    for (size_t i = 0; i < field.size(); ++i)
        field[i] = std::sin(static_cast<float>(i) * 0.001f);
    for (auto _ : state)
    {
        float* locked = box->Lock();
        std::memcpy(locked, field.data(), field.size() * sizeof(float));
        box->Unlock();
        glFinish();
    }
}
BENCHMARK(BM_VoxelBox64Unlock)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_VoxelBox64Draw(benchmark::State& state)
{
    k_GpuTestEngine* engine = TheEngine();
    if (engine == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    Quiet quiet;
    // The initial field's surface, seen whole.
    auto* box = dynamic_cast<k_VoxelBox*>(engine->GetResourceFactory()->CreateVoxelBox(64, 64, 64));
    box->SetIsolevel(0.0f);
    glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.5, 1.5, -1.5, 1.5, -5, 5);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    for (auto _ : state)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        box->Render();
        glFinish();
    }
    glDisable(GL_DEPTH_TEST);
    glUseProgram(0);
}
BENCHMARK(BM_VoxelBox64Draw)->Unit(benchmark::kMillisecond)->UseRealTime();

// The "bones" callback for a chain of 64 animated bones: every bone evaluated at a new time, then the
// 64 matrices uploaded to a program's "bonematrix".
static void BM_Skeleton64BonesPerFrame(benchmark::State& state)
{
    k_GpuTestEngine* engine = TheEngine();
    if (engine == nullptr)
    {
        state.SkipWithError("no GL context (run under xvfb-run)");
        return;
    }
    Quiet quiet;
    IResourceFactory* factory = engine->GetResourceFactory();
    IShader* vertex = factory->CreateShaderFromSource(L"bench:skin", r_ShaderType::Vertex, L"skin",
                                                      "#version 120\nuniform mat4 bonematrix[64];\n"
                                                      "void main() { gl_Position = gl_Vertex * bonematrix[63]; }\n");
    IShaderProgram* program = factory->CreateShaderProgram({vertex});
    IBone* parent = nullptr;
    IBone* root = nullptr;
    for (int i = 0; i < 64; ++i)
    {
        IBone* bone = factory->CreateBone(L"b", i, {0, static_cast<float>(i), 0, 1}, {1, 1, 1, 0}, {0, 0, 0, 0});
        ITransformationAnimation* animation =
            factory->CreateTransformationAnimation(L"bench.bone" + std::to_wstring(i));
        for (int k = 0; k <= 40; ++k)
        {
            TransformationKey key;
            key.channel = 1;
            key.time = static_cast<float>(k) * 0.25f;
            key.value = {10.0f * std::sin(k * 0.3f + i), 0, 20.0f * std::cos(k * 0.2f + i), 0};
            animation->AddKey(key);
        }
        TransformationKey place;
        place.value = {0, i == 0 ? 0.0f : 1.0f, 0, 1};
        animation->AddKey(place);
        bone->SetAnimation(animation);
        bone->SetParent(parent);
        parent = bone;
        root = root == nullptr ? bone : root;
    }
    IShaderCallback* bones = factory->FindShaderCallback(L"bones");
    for (auto _ : state)
    {
        engine->timeline.Advance(1.0 / 60.0);
        bones->Apply(program, root->GetHandle());
    }
    glFinish();
    state.counters["matrices"] = root->GetMatrixCount();
}
BENCHMARK(BM_Skeleton64BonesPerFrame)->Unit(benchmark::kMicrosecond);
