#pragma once
// Stand-ins for the program's top-level objects (engine, window, show) that
// write what is done to them into one shared trace, so tests of the start-up
// sequence and of the main loop can check the order of the calls.
#include "demo/k_Show.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IWindow.h"

#include <string>
#include <vector>

// What was done, in order: "initialize", "update <seconds>", "create", "present", "build", "begin", "~demo", ...
using k_Trace = std::vector<std::string>;

// A renderer that writes its warm-up frames into the trace ("warm-up <seconds>", then " targets" when the
// worlds drawing into targets are drawn too); frames drawn whole go through the engine's Update.
class k_RecordingRenderer : public IRenderer
{
public:
    explicit k_RecordingRenderer(k_Trace& trace) : m_trace(trace) {}

    void Initialize() override {}
    void RenderFrame(double) override {}
    void RenderWarmUpFrame(double seconds, bool redrawTargets) override
    {
        m_trace.push_back("warm-up " + std::to_string(seconds) + (redrawTargets ? " targets" : ""));
    }
    bool IsWarmingUp() override { return false; }
    bool RedrawsTargets() override { return true; }
    void SetAdaptive(bool) override {}
    bool IsAdaptive() override { return false; }
    void SetSubFrameCount(int) override {}
    int GetSubFrameCount() override { return 1; }
    void SetCurrentWorld(IWorld*) override {}
    IWorld* GetCurrentWorld() override { return nullptr; }

private:
    k_Trace& m_trace;
};

class k_RecordingEngine : public IEngine
{
public:
    explicit k_RecordingEngine(k_Trace& trace) : m_trace(trace) {}
    ~k_RecordingEngine() override { m_trace.push_back("~engine"); }

    void Initialize() override { m_trace.push_back("initialize"); }
    void Update(double seconds) override
    {
        m_trace.push_back("update " + std::to_string(seconds));
        if (quitAfterUpdates > 0 && --quitAfterUpdates == 0)
            quit = true;
    }
    void Seek(double time) override { m_trace.push_back("seek " + std::to_string(time)); }
    IGraphics* GetGraphics() override { return graphics; }
    IRenderer* GetRenderer() override { return renderer; }
    IResourceFactory* GetResourceFactory() override { return nullptr; }
    IFileSystem* GetFileSystem() override { return fileSystem; }
    IAnimationManager* GetAnimationManager() override { return nullptr; }
    ITimeline* GetTimeline() override { return nullptr; }
    ISyncTracks* GetSyncTracks() override { return nullptr; }
    void AddWorld(IWorld*) override {}
    std::vector<IWorld*> GetWorlds() override { return {}; }
    void UpdateWorlds() override {}
    void SetQuit(bool value) override { quit = value; }
    bool IsQuitRequested() override { return quit; }
    void SetWindow(IWindow*) override {}
    IWindow* GetWindow() override { return nullptr; }

    IGraphics* graphics = nullptr;
    IFileSystem* fileSystem = nullptr;
    // None unless a test gives one.
    IRenderer* renderer = nullptr;
    bool quit = false;
    // Sets the quit request after this many updates (0: never).
    int quitAfterUpdates = 0;

private:
    k_Trace& m_trace;
};

class k_RecordingWindow : public IWindow
{
public:
    explicit k_RecordingWindow(k_Trace& trace) : m_trace(trace) {}
    ~k_RecordingWindow() override { m_trace.push_back("~window"); }

    void Create() override { m_trace.push_back("create"); }
    int64_t HandleMessage(uint32_t, uint32_t, uint32_t) override { return 0; }
    bool Present() override
    {
        m_trace.push_back("present");
        return true;
    }
    void SetActive(bool value) override { active = value; }
    bool IsActive() override { return active; }
    void SetFullscreen(bool) override {}
    bool IsFullscreen() override { return false; }
    void SetDeviceContext(k_DeviceContext) override {}
    k_DeviceContext GetDeviceContext() override { return nullptr; }
    void SetTitle(const std::wstring&) override {}
    std::wstring GetTitle() override { return {}; }
    k_WindowHandle GetHandle() override { return handle; }

    bool active = true;
    k_WindowHandle handle = nullptr;

private:
    k_Trace& m_trace;
};

class k_RecordingDemo : public k_Show
{
public:
    k_RecordingDemo(IEngine* engine, k_Trace& trace) : k_Show(engine, {{}, {}}), m_trace(trace) {}
    ~k_RecordingDemo() override { m_trace.push_back("~demo"); }

    void Build() override { m_trace.push_back("build"); }
    void BeginFrame() override { m_trace.push_back("begin"); }

private:
    k_Trace& m_trace;
};
