#include "demo/k_PlasmaWorld.h"

#include "demo/k_UnitQuad.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_RenderStage.h"

k_PlasmaWorld::k_PlasmaWorld(IEngine* engine) : k_World(engine, "Plasma") {}

void k_PlasmaWorld::Build()
{
    IResourceFactory* factory = m_engine->GetResourceFactory();
    if (!m_camera)
        SetCamera(factory->CreateCamera());
    m_material = factory->CreateMaterial(L"Plasma.mat", L"Plasma.mat");
    if (!m_material)
        throw L"k_PlasmaWorld: Unable to create the material Plasma.mat.";
    m_pass = m_material->FindPass(this);
    if (!m_pass || !m_pass->program)
        throw L"k_PlasmaWorld: Plasma.mat has no shader pass for the plasma world.";
    const float fade[4] = {0.0f, 0.0f, 0.0f, 0.5f};
    m_pass->program->SetUniformVector("fadeColor", fade, 4);
    m_pass->program->SetUniformInt("disablePlasma", 1);
    m_quad = factory->CreateMeshBuffer();
    if (!m_quad)
        throw L"k_PlasmaWorld: Unable to create the overlay quad.";
    k_UnitQuad::Fill(m_quad, m_material);
}

void k_PlasmaWorld::OnRenderStage(int stage)
{
    if (stage != r_RenderStage::AfterNodes || !m_quad)
        return;
    // With the plasma off and a fade colour of alpha 0 the quad blends nothing over the picture (source
    // times 0 plus destination times 1): it is left out, and with it a full-screen shader that the software
    // renderer would run whole for every pixel (the landscape shows through it from 36.7 to 71.8 s).
    if (IShaderProgram* program = m_pass ? m_pass->program : nullptr)
        if (program->GetUniformInt("disablePlasma") != 0 && program->GetUniformVector4("fadeColor")[3] == 0.0f)
            return;
    dynamic_cast<IRenderable*>(m_quad)->Render();
}

void k_PlasmaWorld::Clear() {}

IShaderProgram* k_PlasmaWorld::GetProgram() const
{
    return m_pass ? m_pass->program : nullptr;
}
