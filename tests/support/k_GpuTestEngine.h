#pragma once
// An engine for tests of GPU resources: the real file system (directory mode
// over a fresh temporary folder the test writes files into, or the built
// data.pak) and the real
// resource factory, with small stand-ins for the graphics device (drains and
// counts GL errors, holds an aspect ratio), the timeline (settable clocks)
// and the renderer (a settable current world). Needs a current GL context.
#include "engine/k_SyncTracks.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/ITimeline.h"

#include <filesystem>
#include <string>

class k_GpuTestEngine : public IEngine
{
public:
    struct Graphics : IGraphics
    {
        void Resize(int, int) override {}
        bool Initialize() override { return true; }
        bool CreateContext(k_DeviceContext) override { return true; }
        void DestroyContext() override {}
        int GetMaxTextureSize() override { return 16384; }
        int GetWidth() override { return 256; }
        int GetHeight() override { return 256; }
        float GetAspectRatio() override { return aspectRatio; }
        void SetAspectRatio(float value) override { aspectRatio = value; }
        // Drains every pending GL error and counts it.
        void CheckErrors() override;
        void DrawProgressBar(float) override {}

        float aspectRatio = 16.0f / 9.0f;
        int errors = 0;
        int checks = 0;
    };

    struct Timeline : ITimeline
    {
        double GetDeltaTime() override { return deltaTime; }
        double GetRealTime() override { return realTime; }
        double GetTime() override { return time; }
        void SetSpeed(double to) override { speed = to; }
        double GetSpeed() override { return speed; }
        void Advance(double step) override
        {
            deltaTime = step, demoDeltaTime = speed * step, time += demoDeltaTime, realTime += step;
        }
        void Seek(double to) override { deltaTime = 0.0, demoDeltaTime = 0.0, time = to; }
        void SetTempoMap(const ITempoMap*) override {}
        double GetBeat() override { return beat; }
        double GetDemoDeltaTime() override { return demoDeltaTime; }

        double beat = 0.0; // what shaders read as "demoBeat"
        double speed = 1.0;
        double deltaTime = 0.0;
        double demoDeltaTime = 0.0;
        double time = 0.0;     // the demo clock
        double realTime = 0.0; // the real clock, set apart from the demo clock where a test needs it
    };

    struct Renderer : IRenderer
    {
        void Initialize() override {}
        void RenderFrame(double) override {}
        void RenderWarmUpFrame(double, bool) override {}
        bool IsWarmingUp() override { return warmingUp; }
        bool RedrawsTargets() override { return true; }
        void SetAdaptive(bool) override {}
        bool IsAdaptive() override { return false; }
        void SetSubFrameCount(int) override {}
        int GetSubFrameCount() override { return 1; }
        void SetCurrentWorld(IWorld* world) override { currentWorld = world; }
        IWorld* GetCurrentWorld() override { return currentWorld; }

        IWorld* currentWorld = nullptr;
        bool warmingUp = false;
    };

    // With useDataPack the files come from data.pak beside the test program instead of the temporary folder.
    explicit k_GpuTestEngine(bool useDataPack = false);
    ~k_GpuTestEngine() override;

    // Writes a file (folders made as needed) where the file system finds it.
    void WriteFile(const std::string& name, const std::string& bytes);

    void Initialize() override {}
    void Update(double) override {}
    void Seek(double) override {}
    IGraphics* GetGraphics() override { return &graphics; }
    IRenderer* GetRenderer() override { return &renderer; }
    IResourceFactory* GetResourceFactory() override { return m_resourceFactory; }
    IFileSystem* GetFileSystem() override { return m_fileSystem; }
    IAnimationManager* GetAnimationManager() override { return nullptr; }
    ITimeline* GetTimeline() override { return &timeline; }
    ISyncTracks* GetSyncTracks() override { return &syncTracks; }
    k_SyncTracks syncTracks;
    void AddWorld(IWorld*) override {}
    std::vector<IWorld*> GetWorlds() override { return {}; }
    void UpdateWorlds() override {}
    void SetQuit(bool) override {}
    bool IsQuitRequested() override { return false; }
    void SetWindow(IWindow*) override {}
    IWindow* GetWindow() override { return nullptr; }

    Graphics graphics;
    Timeline timeline;
    Renderer renderer;

private:
    std::filesystem::path m_folder;
    IFileSystem* m_fileSystem = nullptr;
    IResourceFactory* m_resourceFactory = nullptr;
};
