#include "engine/k_Engine.h"

#include "animation/k_AnimationManager.h"
#include "engine/k_FileSystem.h"
#include "engine/k_Log.h"
#include "engine/k_Timeline.h"
#include "graphics/k_OpenGl.h"
#include "graphics/k_PassTimer.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IRewindable.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "scene/k_Renderer.h"

#include <cmath>
#include <optional>

// --- construction and destruction ---

k_Engine::ServiceMakers k_Engine::DefaultServiceMakers()
{
    ServiceMakers makers;
    makers.graphics = [](IEngine* engine) -> IGraphics* { return new k_OpenGl(engine); };
    makers.renderer = [](IEngine* engine) -> IRenderer* { return new k_Renderer(engine); };
    makers.resourceFactory = [](IEngine* engine) -> IResourceFactory* { return new k_ResourceFactory(engine); };
    makers.fileSystem = [](IEngine* engine) -> IFileSystem* { return new k_FileSystem(engine); };
    makers.timeline = [](IEngine* engine) -> ITimeline* { return new k_Timeline(engine); };
    makers.animationManager = [](IEngine* engine) -> IAnimationManager* { return new k_AnimationManager(engine); };
    return makers;
}

k_Engine::k_Engine() : k_Engine(DefaultServiceMakers()) {}

k_Engine::k_Engine(const ServiceMakers& makers)
{
    // Creation order: graphics device, renderer, resource factory, file system,
    // timeline, animation manager; each service is given this engine.
    m_graphics = makers.graphics(this);
    m_renderer = makers.renderer(this);
    m_resourceFactory = makers.resourceFactory(this);
    m_fileSystem = makers.fileSystem(this);
    m_timeline = makers.timeline(this);
    m_animationManager = makers.animationManager(this);
}

k_Engine::~k_Engine()
{
    // Release order: graphics device (its GL context first), renderer, resource
    // factory (with every resource it made), file system (closing the pack),
    // timeline, animation manager. The worlds belong to the demo.
    if (m_graphics)
        m_graphics->DestroyContext();
    delete m_graphics;
    m_graphics = nullptr;
    delete m_renderer;
    m_renderer = nullptr;
    delete m_resourceFactory;
    m_resourceFactory = nullptr;
    delete m_fileSystem;
    m_fileSystem = nullptr;
    delete m_timeline;
    m_timeline = nullptr;
    delete m_animationManager;
    m_animationManager = nullptr;
    std::vector<IWorld*>().swap(m_worlds);
}

// --- start-up and the frame ---

void k_Engine::Initialize()
{
    k_Log() << "Initializing engine...";
    // A pack that does not open is only logged; start-up goes on.
    m_fileSystem->OpenDataPack(L"data.pak");
    if (m_resourceFactory)
        m_resourceFactory->Initialize();
    if (m_renderer)
    {
        // One pass per frame: no sub-frames, no adaptation to the frame rate.
        m_renderer->Initialize();
        m_renderer->SetSubFrameCount(0);
        m_renderer->SetAdaptive(false);
    }
    // The graphics device is initialised by the window when it makes the GL context.
}

void k_Engine::Update(double elapsedSeconds)
{
    // The renderer advances the timeline (scheduled work, world updates) and
    // then draws. Without a renderer there is nothing to draw: only advance.
    if (m_renderer)
        m_renderer->RenderFrame(elapsedSeconds);
    else if (m_timeline)
        m_timeline->Advance(elapsedSeconds);
}

void k_Engine::Seek(double time)
{
    // Refused before anything is rewound: a seek that cannot land must leave the worlds as they are.
    if (!std::isfinite(time))
    {
        k_Log(k_Log::Colour::Error) << "Engine: ignored a seek to a time that is not finite";
        return;
    }
    for (IWorld* world : m_worlds)
        if (auto* rewindable = dynamic_cast<IRewindable*>(world))
            rewindable->Rewind();
    if (m_timeline)
        m_timeline->Seek(time);
}

// --- worlds ---

void k_Engine::AddWorld(IWorld* world)
{
    if (!world)
        return; // nothing to draw; a null entry would break every later walk
    m_worlds.push_back(world);
    world->Build();
}

void k_Engine::UpdateWorlds()
{
    // By index: a world's update may add a world, which moves the list's storage. A world added
    // during the walk is updated from the next frame on.
    const size_t count = m_worlds.size();
    for (size_t i = 0; i < count && i < m_worlds.size(); ++i)
        if (m_worlds[i]->IsUpdated())
        {
            std::optional<k_PassTimer> timer;
            if (k_PassTimer::IsEnabled())
                timer.emplace("update " + m_worlds[i]->GetName());
            m_worlds[i]->Update();
        }
}
