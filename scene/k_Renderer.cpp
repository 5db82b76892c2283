#include "scene/k_Renderer.h"

#include "engine/k_Log.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/ICamera.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/ILight.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IRewindable.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "interfaces/r_RenderStage.h"

#include <epoxy/gl.h>
#include <optional>
#include <vector>

k_Renderer::k_Renderer(IEngine* engine) : m_engine(engine) {}

void k_Renderer::Initialize() {}

// --- settings ---

void k_Renderer::SetAdaptive(bool adaptive)
{
    m_adaptive = adaptive;
}

bool k_Renderer::IsAdaptive()
{
    return m_adaptive;
}

void k_Renderer::SetSubFrameCount(int count)
{
    m_subFrameCount = count;
}

int k_Renderer::GetSubFrameCount()
{
    return m_subFrameCount;
}

void k_Renderer::SetCurrentWorld(IWorld* world)
{
    m_currentWorld = world;
}

IWorld* k_Renderer::GetCurrentWorld()
{
    return m_currentWorld;
}

// --- the frame ---

// An adaptive count never drops below 1: a slow frame with a count of 0 or 1
// would otherwise go negative and take as many fast frames to recover.
void k_Renderer::RenderFrame(double elapsedSeconds)
{
    int count = m_subFrameCount;
    if (m_adaptive)
    {
        count = elapsedSeconds > k_AdaptiveFrameTime ? count - 1 : count + 1;
        if (count < 1)
            count = 1;
        m_subFrameCount = count;
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    if (count > 1 && !HasAccumulationBuffer())
        count = 1;

    if (count <= 1)
    {
        Advance(elapsedSeconds);
        DrawWorlds();
        return;
    }

    // Each pass adds its picture weighted 1/count and the sum is returned as it
    // is. The accumulation buffer only holds values in [-1, 1] (Mesa keeps 16-bit
    // fixed point and wraps beyond), so adding whole pictures and scaling on the
    // way back would overflow wherever the passes add up to more than 1.
    const GLfloat weight = static_cast<GLfloat>(1.0 / count);
    glClear(GL_ACCUM_BUFFER_BIT);
    for (int i = 0; i < count; ++i)
    {
        Advance(elapsedSeconds / count);
        DrawWorlds();
        glAccum(GL_ACCUM, weight);
    }
    glAccum(GL_RETURN, 1.0f);
}

// Sub-frames need an accumulation buffer, which a context only has when it
// asks for one; without it the frame is drawn in one pass rather than
// raising GL errors and showing only the last sub-frame. The window's
// framebuffer does not change, so it is asked once.
bool k_Renderer::HasAccumulationBuffer()
{
    if (m_accumulationBits < 0)
    {
        GLint bits = 0;
        glGetIntegerv(GL_ACCUM_RED_BITS, &bits);
        m_accumulationBits = bits;
        if (bits == 0)
            k_Log(k_Log::Colour::Warning) << "Renderer: no accumulation buffer, sub-frames are drawn in one pass.";
    }
    return m_accumulationBits > 0;
}

void k_Renderer::Advance(double step)
{
    ITimeline* timeline = m_engine->GetTimeline();
    if (timeline != nullptr)
        timeline->Advance(step);
}

// The camera and lights of one world stay in effect for the next world
// unless that world sets its own (a world without lights switches lighting off).
void k_Renderer::ApplyView(IWorld* world)
{
    SetCurrentWorld(world);
    if (ICamera* camera = world->GetCamera())
        camera->Apply();

    const std::vector<ILight*> lights = world->GetLights();
    if (!lights.empty())
    {
        glEnable(GL_LIGHTING);
        for (size_t i = 0; i < lights.size(); ++i)
            if (lights[i] != nullptr)
                lights[i]->Apply(static_cast<int>(i));
    }
    else
    {
        glDisable(GL_LIGHTING);
    }
}

void k_Renderer::DrawWorlds()
{
    const std::vector<IWorld*> worlds = m_engine->GetWorlds();
    for (IWorld* world : worlds)
        if (world != nullptr && world->IsEnabled())
            DrawWorld(world);
}

void k_Renderer::RenderWarmUpFrame(double elapsedSeconds, bool redrawTargets)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    m_warmingUp = true;
    m_redrawTargets = redrawTargets;
    // Reset however the frame ends: a world that throws must not leave every later frame a warm-up.
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_warmingUp};
    Advance(elapsedSeconds);
    const std::vector<IWorld*> worlds = m_engine->GetWorlds();
    for (IWorld* world : worlds)
    {
        if (world == nullptr || !world->IsEnabled())
            continue;
        const bool stateful = dynamic_cast<IRewindable*>(world) != nullptr;
        if (stateful || (m_redrawTargets && world->GetRenderTarget() != nullptr))
            DrawWorld(world);
        else
            ApplyView(world); // what it set for the worlds after it (camera, lights) is set all the same
    }
}

void k_Renderer::DrawWorld(IWorld* world)
{
    std::optional<k_PassTimer> timer;
    if (k_PassTimer::IsEnabled())
        timer.emplace(world->GetName());
    ApplyView(world);

    world->OnRenderStage(r_RenderStage::BeforeTarget);

    IRenderTarget* target = world->GetRenderTarget();
    if (target != nullptr)
    {
        target->Bind(world->GetClearFlags());
    }
    else
    {
        IGraphics* graphics = m_engine->GetGraphics();
        if (graphics != nullptr)
            glViewport(0, 0, graphics->GetWidth(), graphics->GetHeight());
        world->Clear();
    }

    world->OnRenderStage(r_RenderStage::BeforeNodes);
    if (IWorld* linked = world->GetLinkedWorld())
        DrawNodes(linked, true);
    DrawNodes(world, false);
    world->OnRenderStage(r_RenderStage::AfterNodes);

    if (target != nullptr)
        target->Unbind();
    world->OnRenderStage(r_RenderStage::AfterTarget);
}

void k_Renderer::DrawNodes(IWorld* world, bool sharedOnly)
{
    const std::vector<IRenderable*> nodes = *world->GetRenderables();
    for (IRenderable* node : nodes)
        if (node != nullptr && (!sharedOnly || node->IsShared()))
            node->Render();
}
