#include "engine/k_Engine.h"

#include "engine/k_FileSystem.h"
#include "engine/k_Log.h"
#include "interfaces/ITimeline.h"

// --- construction and destruction ---

k_Engine::k_Engine()
{
    // Creation order: graphics device, renderer, resource factory, file system,
    // timeline, animation manager. Each service is given this engine.
    // The graphics device (k_OpenGl) is created here by its owner (shell).
    // The renderer (k_Renderer) is created here by its owner (scene).
    // The resource factory (k_ResourceFactory) is created here by its owner (gpu).
    m_fileSystem = new k_FileSystem(this);
    // The timeline (k_Timeline) is created here by its owner (clocks).
    // The animation manager (k_AnimationManager) is created here by its owner (clocks).
}

k_Engine::~k_Engine()
{
    // Release order: graphics device (its GL context first), renderer, resource
    // factory, file system, timeline, animation manager; each field is nulled.
    // Owners of the services not created yet add their release in this order.
    delete m_fileSystem;
    m_fileSystem = nullptr;
    m_worlds.clear();
    m_worlds.shrink_to_fit();
}

// --- start-up and the frame ---

void k_Engine::Initialize()
{
    k_Log() << "Initializing engine...";
    // A pack that does not open is only logged; start-up goes on.
    m_fileSystem->OpenDataPack(L"data.pak");
    // Resource factory Initialize, then renderer Initialize, SetSubFrameCount(0)
    // and SetAdaptive(false): wired in by their owners.
}

void k_Engine::Update(double elapsedSeconds)
{
    // The renderer's RenderFrame (scene) takes over here: it advances the
    // timeline first and then draws. Until the renderer exists, advance only.
    if (m_timeline)
        m_timeline->Advance(elapsedSeconds);
}

// --- worlds ---

void k_Engine::AddWorld(IWorld* world)
{
    m_worlds.push_back(world);
    // The world's Build is called here once IWorld is defined (scene).
}

void k_Engine::UpdateWorlds()
{
    // Calls Update on each world whose IsUpdated is true, in list order, once
    // IWorld is defined (scene).
}
