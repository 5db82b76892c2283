#include "demo/k_SkyRenderStep.h"

#include "demo/k_TerrainPass.h"
#include "engine/k_Log.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/r_DrawStage.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <cstdint>

namespace
{
// The screen's corners in normalised device coordinates; the sky's vertex shader puts them on the far plane.
constexpr float k_Corners[] = {-1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f, 1.0f, 1.0f};
constexpr uint32_t k_CornerIndices[] = {0, 1, 2, 3};
} // namespace

k_SkyRenderStep::k_SkyRenderStep(IEngine* engine) : k_Renderable(engine)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    m_material = factory->CreateMaterial(L"Terrain/Sky.mat", L"Terrain/Sky.mat");
    if (m_material == nullptr)
        throw L"Terrain: the material Terrain/Sky.mat could not be made.";
    if (k_TerrainPass::First(m_material) == nullptr)
        k_Log(k_Log::Colour::Error) << "Terrain: Terrain/Sky.mat has no pass; the sky is left plain.";

    IMeshBuffer* mesh = factory->CreateMeshBuffer();
    m_quad = dynamic_cast<IRenderable*>(mesh);
    if (m_quad == nullptr)
        throw L"Terrain: the sky's quad could not be made.";
    mesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    mesh->SetMaterial(m_material);
    mesh->SetVertices(k_Corners, 4, {r_VertexElement::Position3}, GL_STATIC_DRAW, true);
    mesh->SetIndices(k_CornerIndices, 4, GL_STATIC_DRAW, true);
}

void k_SkyRenderStep::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry)
        return;
    const k_PassTimer timer("sky step");
    DrawSky(false);
}

void k_SkyRenderStep::DrawMirrored()
{
    DrawSky(true);
}

void k_SkyRenderStep::DrawSky(bool mirrored)
{
    k_TerrainPass::SetInt(m_material, "mirrored", mirrored ? 1 : 0);
    m_quad->Render();
}
