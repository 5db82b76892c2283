#include "k_SkyWorld.h"

#include "demo/k_UnitQuad.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_RenderStage.h"

k_SkyWorld::k_SkyWorld(IEngine* engine) : k_World(engine, "Sky") {}

void k_SkyWorld::Build()
{
    IResourceFactory* factory = m_engine->GetResourceFactory();
    SetCamera(factory->CreateCamera());
    IMaterial* material = factory->CreateMaterial(L"Sky.mat", L"Sky.mat");
    k_MaterialPass* pass = material ? material->FindPass(this) : nullptr;
    if (!pass || !pass->program)
        throw L"k_SkyWorld: Unable to make the material Sky.mat.";
    m_program = pass->program;
    SetBrightness(0.0f);
    m_horizon = k_SyncValue(m_engine, "sky:horizon");
    m_quad = factory->CreateMeshBuffer();
    if (!m_quad)
        throw L"k_SkyWorld: Unable to make the sky's quad.";
    k_UnitQuad::Fill(m_quad, material);
}

void k_SkyWorld::Update()
{
    k_World::Update();
    // Up from the screen's bottom, 0 to 1; 0.45 while the track has no keys.
    if (m_program)
        m_program->SetUniformFloat("horizon", static_cast<float>(m_horizon.Now(0.45)));
}

void k_SkyWorld::OnRenderStage(int stage)
{
    if (stage == r_RenderStage::BeforeNodes && m_quad)
        dynamic_cast<IRenderable*>(m_quad)->Render();
}

void k_SkyWorld::SetBrightness(float brightness)
{
    if (m_program)
        m_program->SetUniformFloat("brightness", brightness);
}
