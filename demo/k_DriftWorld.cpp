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
#include "interfaces/r_RenderStage.h"

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

void k_DriftWorld::Rewind()
{
    if (!m_started)
        return;
    SetClearFlags(m_startClearFlags);
    m_started = false;
}

void k_DriftWorld::OnRenderStage(int stage)
{
    if (stage != r_RenderStage::AfterTarget || !m_processPass)
        return;
    bool firstFrame = false;
    if (!m_started)
    {
        m_startClearFlags = GetClearFlags();
        // From now on the target's colour is kept from frame to frame; only depth is cleared.
        SetClearFlags(257);
        m_started = true;
        firstFrame = true;
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
        // screen changes nothing. Both passes are left out until the first node arrives (for the show,
        // the first caption handed over, at 42 s). They do run in the first frame, so that the driver
        // compiles their draw code then (the show's first frame is drawn while it starts), not in the
        // frame the first node arrives in.
        return;
    }

    // process(target) into the auxiliary target, then process(auxiliary) back into the target.
    {
        const k_PassTimer timer("process");
        m_processPass->textures[0].texture = m_worldTexture;
        m_auxiliaryTarget->Bind(256);
        dynamic_cast<IRenderable*>(m_processQuad)->Render();
        m_auxiliaryTarget->Unbind();
        m_processPass->textures[0].texture = m_auxiliaryTexture;
        m_renderTarget->Bind(256);
        dynamic_cast<IRenderable*>(m_processQuad)->Render();
        m_renderTarget->Unbind();
    }

    // Shown over the current framebuffer (the target has just been ended), unless nobody sees this frame.
    if (IRenderer* renderer = m_engine->GetRenderer(); renderer == nullptr || !renderer->IsWarmingUp())
    {
        const k_PassTimer timer("show");
        if (m_showPass->program != nullptr)
            m_showPass->program->SetUniformFloat("driftStrength", static_cast<float>(m_strength.Now(1.0)));
        dynamic_cast<IRenderable*>(m_showQuad)->Render();
    }

    for (IRenderable* node : m_renderables)
        if (node)
            node->SetVisible(false);
}
