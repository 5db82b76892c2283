#include "support/k_ShowTestEngine.h"

#include "animation/k_AnimationManager.h"
#include "engine/k_File.h"
#include "engine/k_FileSystem.h"
#include "engine/k_Timeline.h"
#include "graphics/k_ResourceFactory.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IRewindable.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "scene/k_Renderer.h"
#include "support/k_TestImages.h"

#include <algorithm>
#include <cstring>

// --- files ---

k_ShowTestEngine::Files::Files(IEngine* engine) : m_engine(engine), m_pack(new k_FileSystem(engine))
{
    m_pack->OpenDataPack(L"data.pak");
}

k_ShowTestEngine::Files::~Files()
{
    delete m_pack;
}

IFile* k_ShowTestEngine::Files::OpenFile(const std::wstring& name)
{
    auto found = overrides.find(name);
    if (found == overrides.end())
        return m_pack->OpenFile(name);
    if (!found->second)
        return nullptr;
    const std::string& bytes = *found->second;
    auto data = std::make_unique<unsigned char[]>(bytes.size() + 1);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    return new k_File(m_engine, std::move(data), static_cast<std::int32_t>(bytes.size()));
}

// --- engine ---

k_ShowTestEngine::k_ShowTestEngine()
    : files(this), window(trace), m_renderer(new k_Renderer(this)), m_factory(new k_ResourceFactory(this)),
      m_timeline(new k_Timeline(this)), m_animationManager(new k_AnimationManager(this))
{
    k_SceneTestDrainErrors();
}

k_ShowTestEngine::~k_ShowTestEngine()
{
    // The worlds belong to whoever made them (the show never releases its own).
    delete m_factory;
    delete m_renderer;
    delete m_timeline;
    delete m_animationManager;
}

void k_ShowTestEngine::Update(double elapsedSeconds)
{
    m_renderer->RenderFrame(elapsedSeconds);
}

void k_ShowTestEngine::Seek(double time)
{
    for (IWorld* world : m_worlds)
        if (auto* rewindable = dynamic_cast<IRewindable*>(world))
            rewindable->Rewind();
    m_timeline->Seek(time);
}

void k_ShowTestEngine::AddWorld(IWorld* world)
{
    m_worlds.push_back(world);
    world->Build();
}

void k_ShowTestEngine::UpdateWorlds()
{
    for (IWorld* world : m_worlds)
        if (world->IsUpdated())
            world->Update();
}

void k_ShowTestEngine::AdvanceTo(double time, double step)
{
    while (m_timeline->GetTime() < time)
        m_timeline->Advance(std::min(step, time - m_timeline->GetTime()));
}

std::string k_ShowTestEngine::WhitePng(int width, int height)
{
    return k_TestImages::Png(width, height, 6, 8, std::vector<uint8_t>(static_cast<size_t>(width * height * 4), 255));
}
