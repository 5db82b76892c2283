#include "demo/k_DriftWorld.h"

#include "demo/k_UnitQuad.h"
#include "graphics/k_DeltaTimeShaderCallback.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "interfaces/r_RenderStage.h"

#include <algorithm>
#include <cmath>

k_DriftWorld::k_DriftWorld(IEngine* engine) : k_World(engine, "Drift") {}

// --- building ---

void k_DriftWorld::Build()
{
    if (!m_renderTarget)
        throw L"k_DriftWorld: Unable to work without a rendertarget.";
    IResourceFactory* factory = m_engine->GetResourceFactory();

    auto* callback = new k_DeltaTimeShaderCallback(m_engine);
    if (!factory->RegisterShaderCallback(callback))
        delete callback;
    if (!m_camera)
        SetCamera(factory->CreateCamera());

    m_showMaterial = factory->CreateMaterial(L"Drift/ShowDrift.mat", L"Drift/ShowDrift.mat");
    m_processMaterial = factory->CreateMaterial(L"Drift/ProcessDrift.mat", L"Drift/ProcessDrift.mat");
    if (!m_showMaterial || !m_processMaterial)
        throw L"k_DriftWorld: Unable to create the materials Drift/ShowDrift.mat and Drift/ProcessDrift.mat.";
    m_processQuad = factory->CreateMeshBuffer();
    m_showQuad = factory->CreateMeshBuffer();
    if (!m_processQuad || !m_showQuad)
        throw L"k_DriftWorld: Unable to create the drift quads.";
    k_UnitQuad::Fill(m_processQuad, m_processMaterial);
    k_UnitQuad::Fill(m_showQuad, m_showMaterial);

    std::vector<ITexture*>* textures = m_renderTarget->GetColorTextures();
    if (textures->empty())
        throw L"k_DriftWorld: The render target has no colour texture.";
    m_worldTexture = textures->front();
    m_auxiliaryTarget = factory->CreateRenderTarget(m_renderTarget->GetWidth(), m_renderTarget->GetHeight());
    if (!m_auxiliaryTarget)
        throw L"k_DriftWorld: Unable to create the auxiliary render target.";
    m_auxiliaryTexture = m_auxiliaryTarget->AddColorTexture(m_worldTexture->GetFormat());

    m_processPass = m_processMaterial->FindPass(this);
    m_showPass = m_showMaterial->FindPass(this);
    if (!m_processPass || !m_showPass)
        throw L"k_DriftWorld: Drift/ProcessDrift.mat or Drift/ShowDrift.mat has no pass for the drift world.";
    m_showPass->textures[0].texture = m_worldTexture;
    m_strength = k_SyncValue(m_engine, "drift:strength");
}

// --- the frame ---

int64_t k_DriftWorld::StepAt(double time)
{
    return static_cast<int64_t>(std::floor(time / StepSeconds + 1e-6));
}

double k_DriftWorld::Now() const
{
    ITimeline* timeline = m_engine->GetTimeline();
    return timeline ? timeline->GetTime() : 0.0;
}

void k_DriftWorld::Rewind()
{
    if (!m_started)
        return;
    SetClearFlags(m_startClearFlags);
    m_started = false;
}

void k_DriftWorld::Process(ITexture* from, IRenderTarget* into, double seconds, double time)
{
    m_processPass->textures[0].texture = from;
    if (IShaderProgram* program = m_processPass->program)
    {
        program->SetUniformFloat("stepSeconds", static_cast<float>(seconds));
        program->SetUniformFloat("stepTime", static_cast<float>(time));
    }
    into->Bind(256);
    dynamic_cast<IRenderable*>(m_processQuad)->Render();
    into->Unbind();
}

void k_DriftWorld::CatchUp()
{
    if (!m_started)
        return;
    const int64_t due = StepAt(Now());
    int64_t steps = due - m_step;
    // Time that stood or went back leaves the picture as it is (played backwards, it waits); a picture that
    // has held nothing but zero stays zero whatever the steps do.
    if (steps <= 0 || m_empty)
    {
        m_step = due;
        return;
    }
    if (steps > MaxStepsPerFrame)
    {
        m_step = due - MaxStepsPerFrame;
        steps = MaxStepsPerFrame;
    }
    // Target into auxiliary, auxiliary back into the target, ...; after an odd count the picture is copied
    // back, so the target always holds it when the nodes are drawn in.
    const k_PassTimer timer("process");
    for (int64_t i = 0; i < steps; ++i)
    {
        const double time = static_cast<double>(m_step + i + 1) * StepSeconds;
        if (i % 2 == 0)
            Process(m_worldTexture, m_auxiliaryTarget, StepSeconds, time);
        else
            Process(m_auxiliaryTexture, m_renderTarget, StepSeconds, time);
    }
    if (steps % 2 == 1)
        Process(m_auxiliaryTexture, m_renderTarget, 0.0, static_cast<double>(due) * StepSeconds);
    m_step = due;
}

void k_DriftWorld::OnRenderStage(int stage)
{
    if (!m_processPass)
        return;
    if (stage == r_RenderStage::BeforeTarget)
    {
        CatchUp();
        return;
    }
    if (stage != r_RenderStage::AfterTarget)
        return;
    const double now = Now();
    bool firstFrame = false;
    if (!m_started)
    {
        m_startClearFlags = GetClearFlags();
        // From now on the target's colour is kept from frame to frame; only depth is cleared.
        SetClearFlags(257);
        m_started = true;
        firstFrame = true;
        m_step = StepAt(now);
        const k_VectorUA* clear = GetClearColour();
        m_empty = clear->x == 0.0f && clear->y == 0.0f && clear->z == 0.0f && clear->w == 0.0f;
    }
    // A node drawn this frame has put something into the picture.
    for (IRenderable* node : m_renderables)
        if (node && node->IsVisible())
            m_empty = false;
    if (m_empty && !firstFrame)
    {
        // Nothing was ever drawn into the picture since it was cleared to zero: the process material
        // moves and fades what the picture holds, so it would give zero again, and adding zero to the
        // screen changes nothing. The passes are left out until the first node arrives (for the show,
        // the first caption handed over, at 42 s). They do run in the first frame, so that the driver
        // compiles their draw code then (the show's first frame is drawn while it starts), not in the
        // frame the first node arrives in.
        return;
    }

    // The picture at this frame's time: the target's, carried on by the part of a step since its step. A
    // frame on the grid (every frame at 30 or 60 a second) shows the target itself. Nobody sees a warm-up's
    // frame, so it leaves both out.
    IRenderer* renderer = m_engine->GetRenderer();
    const bool seen = renderer == nullptr || !renderer->IsWarmingUp();
    const double part = std::clamp(now - static_cast<double>(m_step) * StepSeconds, 0.0, StepSeconds);
    ITexture* shown = m_worldTexture;
    if (firstFrame || (seen && part > StepSeconds * 0.01))
    {
        const k_PassTimer timer("process");
        Process(m_worldTexture, m_auxiliaryTarget, part, now);
        shown = m_auxiliaryTexture;
    }
    if (seen)
    {
        const k_PassTimer timer("show");
        m_showPass->textures[0].texture = shown;
        if (m_showPass->program != nullptr)
            m_showPass->program->SetUniformFloat("driftStrength", static_cast<float>(m_strength.Now(1.0)));
        dynamic_cast<IRenderable*>(m_showQuad)->Render();
    }

    for (IRenderable* node : m_renderables)
        if (node)
            node->SetVisible(false);
}
