#include "demo/k_OrvelantLogo.h"

#include "demo/k_UnitQuad.h"
#include "interfaces/IEngine.h"
#include "interfaces/IResourceFactory.h"

k_OrvelantLogo::k_OrvelantLogo(IEngine* engine)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    m_material = factory->CreateMaterial(L"Orvelant.mat", L"Orvelant.mat");
    if (!m_material)
        throw L"k_OrvelantLogo: Unable to create the material Orvelant.mat.";
    m_mesh = factory->CreateMeshBuffer();
    if (!m_mesh)
        throw L"k_OrvelantLogo: Unable to create the logo quad.";
    k_UnitQuad::Fill(m_mesh, m_material);
}
