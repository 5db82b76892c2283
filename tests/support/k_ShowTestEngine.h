#pragma once
// An engine for tests of the show and its worlds: the real renderer, resource
// factory, timeline and animation manager over the test GL context, the files
// of the built data.pak with any file a test puts in place (or hides), a
// graphics device that records the loading bar's fractions, and a window that
// records each Present. Needs a current GL context.
#include "engine/k_SyncTracks.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFileSystem.h"
#include "support/k_RecordingShell.h"
#include "support/k_SceneTestEngine.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class k_FileSystem;

class k_ShowTestEngine : public IEngine
{
public:
    struct Graphics : k_SceneTestGraphics
    {
        void DrawProgressBar(float fraction) override { progress.push_back(fraction); }
        std::vector<float> progress;
    };

    // The pack's files, with the test's own files in front of them.
    class Files : public IFileSystem
    {
    public:
        explicit Files(IEngine* engine);
        ~Files() override;
        void UseDirectory(const std::wstring&) override {}
        void OpenDataPack(const std::wstring&) override {}
        IFile* OpenFile(const std::wstring& name) override;

        // Serves these bytes under the name (std::nullopt: the file is missing).
        std::map<std::wstring, std::optional<std::string>> overrides;

    private:
        IEngine* m_engine;
        k_FileSystem* m_pack;
    };

    k_ShowTestEngine();
    ~k_ShowTestEngine() override;

    void Initialize() override {}
    void Update(double elapsedSeconds) override;
    // As the engine's: the worlds that can be rewound, then the timeline.
    void Seek(double time) override;
    IGraphics* GetGraphics() override { return &graphics; }
    IRenderer* GetRenderer() override { return m_renderer; }
    IResourceFactory* GetResourceFactory() override { return m_factory; }
    IFileSystem* GetFileSystem() override { return &files; }
    IAnimationManager* GetAnimationManager() override { return m_animationManager; }
    ITimeline* GetTimeline() override { return m_timeline; }
    ISyncTracks* GetSyncTracks() override { return &syncTracks; }
    k_SyncTracks syncTracks;
    void AddWorld(IWorld* world) override;
    std::vector<IWorld*> GetWorlds() override { return m_worlds; }
    void UpdateWorlds() override;
    void SetQuit(bool) override {}
    bool IsQuitRequested() override { return false; }
    void SetWindow(IWindow*) override {}
    IWindow* GetWindow() override { return &window; }

    // Moves the clocks (scheduled calls and world updates, nothing drawn) in steps of at most step seconds until
    // the demo time is time.
    void AdvanceTo(double time, double step = 1.0 / 32.0);
    // A small opaque white RGBA PNG of the size, for captions and the logo.
    static std::string WhitePng(int width, int height);

    k_Trace trace;
    Graphics graphics;
    Files files;
    k_RecordingWindow window;

private:
    IRenderer* m_renderer;
    IResourceFactory* m_factory;
    ITimeline* m_timeline;
    IAnimationManager* m_animationManager;
    std::vector<IWorld*> m_worlds;
};
