#pragma once
// A stand-in engine for tests of single services: it hands out whatever timeline and
// animation manager the test gives it, and counts its world update passes. Every other
// service is null.
#include "engine/k_SyncTracks.h"
#include "interfaces/IEngine.h"

#include <functional>

class k_FakeEngine : public IEngine
{
public:
    ITimeline* timeline = nullptr;
    IAnimationManager* animationManager = nullptr;
    int worldUpdates = 0;
    // Called from UpdateWorlds, when set.
    std::function<void()> onUpdateWorlds;

    void Initialize() override {}
    void Update(double) override {}
    void Seek(double) override {}
    IGraphics* GetGraphics() override { return nullptr; }
    IRenderer* GetRenderer() override { return nullptr; }
    IResourceFactory* GetResourceFactory() override { return nullptr; }
    IFileSystem* GetFileSystem() override { return nullptr; }
    IAnimationManager* GetAnimationManager() override { return animationManager; }
    ITimeline* GetTimeline() override { return timeline; }
    ISyncTracks* GetSyncTracks() override { return &syncTracks; }
    k_SyncTracks syncTracks;
    void AddWorld(IWorld*) override {}
    std::vector<IWorld*> GetWorlds() override { return {}; }
    void UpdateWorlds() override
    {
        ++worldUpdates;
        if (onUpdateWorlds)
            onUpdateWorlds();
    }
    void SetQuit(bool) override {}
    bool IsQuitRequested() override { return false; }
    void SetWindow(IWindow*) override {}
    IWindow* GetWindow() override { return nullptr; }
};
