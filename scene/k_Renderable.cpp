#include "scene/k_Renderable.h"

#include "engine/k_Log.h"
#include "interfaces/IRenderHook.h"
#include "interfaces/r_DrawStage.h"
#include "math/k_Quaternion.h"

#include <epoxy/gl.h>
#include <algorithm>

k_Renderable::k_Renderable(IEngine* engine) : m_engine(engine) {}

// --- transformation ---

void k_Renderable::SetRotation(const k_VectorUA& rotation)
{
    m_rotation = rotation;
}

void k_Renderable::SetScale(const k_VectorUA& scale)
{
    m_scale = scale;
}

void k_Renderable::SetPosition(const k_VectorUA& position)
{
    m_position = position;
}

void k_Renderable::SetMatrix(const float* matrix)
{
    if (matrix != nullptr)
        m_matrix = k_Matrix(matrix);
}

k_VectorUA k_Renderable::GetRotation()
{
    return m_rotation;
}

k_VectorUA k_Renderable::GetScale()
{
    return m_scale;
}

k_VectorUA k_Renderable::GetPosition()
{
    return m_position;
}

k_Matrix k_Renderable::GetMatrix()
{
    return m_matrix;
}

// --- hooks and children ---

void k_Renderable::AddRenderHook(IRenderHook* hook)
{
    m_renderHooks.push_back(hook);
}

void k_Renderable::RemoveRenderHook(IRenderHook* hook)
{
    auto found = std::find(m_renderHooks.begin(), m_renderHooks.end(), hook);
    if (found != m_renderHooks.end())
        m_renderHooks.erase(found);
}

std::vector<IRenderHook*>* k_Renderable::GetRenderHooks()
{
    return &m_renderHooks;
}

void k_Renderable::AddChild(IRenderable* child)
{
    if (child == nullptr)
        return;
    child->SetWorld(m_world);
    m_children.push_back(child);
}

void k_Renderable::RemoveChild(IRenderable* child)
{
    if (child == nullptr)
        return;
    child->SetWorld(nullptr);
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found != m_children.end())
        m_children.erase(found);
}

std::vector<IRenderable*> k_Renderable::GetChildren()
{
    return m_children;
}

// --- world and flags ---

void k_Renderable::SetWorld(IWorld* world)
{
    m_world = world;
}

IWorld* k_Renderable::GetWorld()
{
    return m_world;
}

void k_Renderable::SetShared(bool shared)
{
    m_shared = shared;
}

bool k_Renderable::IsShared()
{
    return m_shared;
}

void k_Renderable::SetVisible(bool visible)
{
    m_visible = visible;
}

bool k_Renderable::IsVisible()
{
    return m_visible;
}

// --- the walk ---

// Effective transformation: parent x T(position) x S(scale) x R(rotation) x M(matrix).
// Stage 0 runs in the parent's space; stage 2 and the hooks run even for an
// invisible node. Lists are walked by index so a hook or child that adds to
// them cannot invalidate the walk.
// A node that is its own descendant would recurse until the stack runs out;
// the inner occurrence is skipped instead (and reported once).
void k_Renderable::Render()
{
    if (m_rendering)
    {
        if (!m_reportedCycle)
            k_Log(k_Log::Colour::Error) << "Renderable: a node is its own descendant; the inner occurrence is skipped.";
        m_reportedCycle = true;
        return;
    }
    m_rendering = true;
    glPushMatrix();
    Draw(r_DrawStage::BeforeTransform);
    glTranslatef(m_position.x, m_position.y, m_position.z);
    glScalef(m_scale.x, m_scale.y, m_scale.z);
    const k_Matrix rotation = k_Quaternion::ToMatrix(m_rotation);
    glMultMatrixf(rotation.Data());
    glMultMatrixf(m_matrix.Data());
    for (size_t i = 0; i < m_renderHooks.size(); ++i)
        m_renderHooks[i]->BeginRender(this);
    if (m_visible)
    {
        Draw(r_DrawStage::Geometry);
        for (size_t i = 0; i < m_children.size(); ++i)
            if (m_children[i] != nullptr)
                m_children[i]->Render();
    }
    Draw(r_DrawStage::AfterChildren);
    for (size_t i = 0; i < m_renderHooks.size(); ++i)
        m_renderHooks[i]->EndRender(this);
    glPopMatrix();
    m_rendering = false;
}
