#include "scene/k_World.h"

#include "interfaces/IRenderable.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <utility>

k_World::k_World(IEngine* engine, std::string name) : m_engine(engine), m_name(std::move(name)) {}

// --- scene hooks ---

std::string k_World::GetName()
{
    return m_name;
}

void k_World::Build() {}

void k_World::Update() {}

void k_World::OnRenderStage(int) {}

void k_World::Clear()
{
    glDepthMask(GL_TRUE);
    glClearColor(m_clearColour.x, m_clearColour.y, m_clearColour.z, m_clearColour.w);
    glClearDepth(m_clearDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// --- switches ---

void k_World::SetEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool k_World::IsEnabled()
{
    return m_enabled;
}

void k_World::SetUpdated(bool updated)
{
    m_updated = updated;
}

bool k_World::IsUpdated()
{
    return m_updated;
}

// --- nodes and lights ---

void k_World::AddRenderable(IRenderable* node)
{
    if (node == nullptr)
        return;
    node->SetWorld(this);
    m_renderables.push_back(node);
}

void k_World::RemoveRenderable(IRenderable* node)
{
    if (node == nullptr)
        return;
    node->SetWorld(nullptr);
    auto found = std::find(m_renderables.begin(), m_renderables.end(), node);
    if (found != m_renderables.end())
        m_renderables.erase(found);
}

std::vector<IRenderable*>* k_World::GetRenderables()
{
    return &m_renderables;
}

void k_World::AddLight(ILight* light)
{
    m_lights.push_back(light);
}

std::vector<ILight*> k_World::GetLights()
{
    return m_lights;
}

// --- camera, target, clear settings, link ---

void k_World::SetCamera(ICamera* camera)
{
    m_camera = camera;
}

ICamera* k_World::GetCamera()
{
    return m_camera;
}

void k_World::SetRenderTarget(IRenderTarget* target)
{
    m_renderTarget = target;
}

IRenderTarget* k_World::GetRenderTarget()
{
    return m_renderTarget;
}

void k_World::SetClearFlags(int flags)
{
    m_clearFlags = flags;
}

int k_World::GetClearFlags()
{
    return m_clearFlags;
}

void k_World::SetLinkedWorld(IWorld* world)
{
    m_linkedWorld = world;
}

IWorld* k_World::GetLinkedWorld()
{
    return m_linkedWorld;
}

void k_World::SetClearColour(const k_VectorUA& colour)
{
    m_clearColour = colour;
}

const k_VectorUA* k_World::GetClearColour()
{
    return &m_clearColour;
}

void k_World::SetClearDepth(float depth)
{
    m_clearDepth = depth;
}

float k_World::GetClearDepth()
{
    return m_clearDepth;
}
