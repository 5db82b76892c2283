#pragma once
// The root object of the demo system: creates and owns every engine service,
// keeps the list of worlds the renderer draws (references only; the demo owns
// the worlds), the quit request and the application window.
#include "engine/k_SyncTracks.h"
#include "interfaces/IEngine.h"

#include <functional>
#include <vector>

class k_Engine : public IEngine
{
public:
    // How each service is made from the engine; the default makers build the real services.
    // Tests hand in their own to watch the order of creation and release.
    struct ServiceMakers
    {
        std::function<IGraphics*(IEngine*)> graphics;
        std::function<IRenderer*(IEngine*)> renderer;
        std::function<IResourceFactory*(IEngine*)> resourceFactory;
        std::function<IFileSystem*(IEngine*)> fileSystem;
        std::function<ITimeline*(IEngine*)> timeline;
        std::function<IAnimationManager*(IEngine*)> animationManager;
    };
    static ServiceMakers DefaultServiceMakers();

    // Creates the services in their fixed order, each given this engine.
    k_Engine();
    explicit k_Engine(const ServiceMakers& makers);
    // Releases the services in their fixed order; the worlds are not destroyed.
    ~k_Engine() override;
    k_Engine(const k_Engine&) = delete;
    k_Engine& operator=(const k_Engine&) = delete;

    void Initialize() override;
    void Update(double elapsedSeconds) override;
    void Seek(double time) override;

    IGraphics* GetGraphics() override { return m_graphics; }
    IRenderer* GetRenderer() override { return m_renderer; }
    IResourceFactory* GetResourceFactory() override { return m_resourceFactory; }
    IFileSystem* GetFileSystem() override { return m_fileSystem; }
    IAnimationManager* GetAnimationManager() override { return m_animationManager; }
    ITimeline* GetTimeline() override { return m_timeline; }
    ISyncTracks* GetSyncTracks() override { return &m_syncTracks; }

    void AddWorld(IWorld* world) override;
    std::vector<IWorld*> GetWorlds() override { return m_worlds; }
    void UpdateWorlds() override;

    void SetQuit(bool quit) override { m_quitRequested = quit; }
    bool IsQuitRequested() override { return m_quitRequested; }

    void SetWindow(IWindow* window) override { m_window = window; }
    IWindow* GetWindow() override { return m_window; }

private:
    IGraphics* m_graphics = nullptr;
    IWindow* m_window = nullptr;
    IRenderer* m_renderer = nullptr;
    IResourceFactory* m_resourceFactory = nullptr;
    IFileSystem* m_fileSystem = nullptr;
    IAnimationManager* m_animationManager = nullptr;
    ITimeline* m_timeline = nullptr;
    k_SyncTracks m_syncTracks;
    std::vector<IWorld*> m_worlds;
    bool m_quitRequested = false;
};
