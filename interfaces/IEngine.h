#pragma once
// The root of the demo system: creates and owns every engine service, keeps
// the list of worlds the renderer draws, and is the per-frame entry point.
// Services keep the engine as a non-owning pointer and reach each other
// only through it.
#include <vector>

class IGraphics;
class IWindow;
class IRenderer;
class IResourceFactory;
class IFileSystem;
class IAnimationManager;
class ITimeline;
class ISyncTracks;
class IWorld;

class IEngine
{
public:
    // Releases the services (graphics context first); the worlds are not destroyed.
    virtual ~IEngine() = default;

    // One-time start-up: opens "data.pak", initialises the resource factory and the renderer.
    virtual void Initialize() = 0;
    // Advances the clocks by the elapsed seconds and draws one frame (through the renderer).
    virtual void Update(double elapsedSeconds) = 0;
    // Brings the show to demo time `time` without drawing: every world that is an IRewindable (state kept
    // from frame to frame) is rewound, then the timeline seeks, which rewinds and replays the schedule.
    // Frame-to-frame state reaches its look at time only by drawing frames before it (a warm-up). A time
    // that is not finite is refused (logged) before anything is rewound.
    virtual void Seek(double time) = 0;

    // The graphics device (owned by the engine).
    virtual IGraphics* GetGraphics() = 0;
    // The renderer that draws the world list each frame (owned by the engine).
    virtual IRenderer* GetRenderer() = 0;
    // The resource factory, which owns every resource and scene object it makes.
    virtual IResourceFactory* GetResourceFactory() = 0;
    // The file system over data.pak (owned by the engine).
    virtual IFileSystem* GetFileSystem() = 0;
    // The scheduler of timed events and animations (owned by the engine).
    virtual IAnimationManager* GetAnimationManager() = 0;
    // The real and demo clocks (owned by the engine).
    virtual ITimeline* GetTimeline() = 0;
    // The show's sync tracks: keyed values a sync editor shapes (owned by the engine).
    virtual ISyncTracks* GetSyncTracks() = 0;

    // Appends the world (not owned) to the draw list, then calls its Build.
    virtual void AddWorld(IWorld* world) = 0;
    // A copy of the world list, so it may change while the caller iterates.
    virtual std::vector<IWorld*> GetWorlds() = 0;
    // Calls Update on every world whose IsUpdated is true, in list order.
    virtual void UpdateWorlds() = 0;

    // Stores the quit request.
    virtual void SetQuit(bool quit) = 0;
    // The stored quit request; the main loop checks it before every frame.
    virtual bool IsQuitRequested() = 0;

    // The application window (not owned), set by the window once its GL context exists.
    virtual void SetWindow(IWindow* window) = 0;
    // The window stored by SetWindow, or null before it.
    virtual IWindow* GetWindow() = 0;
};
