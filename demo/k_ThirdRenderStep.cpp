#include "demo/k_ThirdRenderStep.h"

#include "demo/k_FirstRenderStep.h"
#include "demo/k_SecondRenderStep.h"
#include "demo/k_TerrainPass.h"
#include "engine/k_Log.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "interfaces/r_DrawStage.h"
#include "interfaces/r_PrimitiveTopology.h"

#include <epoxy/gl.h>
#include <cstdint>

namespace
{
constexpr int k_DrawAllKeep = 0x100;

// The water plane over the whole grid at height 9.
constexpr float k_WaterVertices[] = {
    -96.0f,
    9.0f,
    -96.0f,
    0.0f,
    0.0f, //
    -96.0f,
    9.0f,
    96.0f,
    0.0f,
    127.0f / 129.0f, //
    96.0f,
    9.0f,
    96.0f,
    127.0f / 129.0f,
    127.0f / 129.0f, //
    96.0f,
    9.0f,
    -96.0f,
    127.0f / 129.0f,
    0.0f, //
};
constexpr uint32_t k_WaterIndices[] = {0, 1, 2, 3};
} // namespace

k_ThirdRenderStep::k_ThirdRenderStep(IEngine* engine, k_FirstRenderStep* first, k_SecondRenderStep* second)
    : k_Renderable(engine), m_first(first), m_second(second)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    m_material = factory->CreateMaterial(L"Terrain/Water.mat", L"Terrain/Water.mat");
    if (m_material == nullptr)
        throw L"Terrain: the material Terrain/Water.mat could not be made.";
    if (k_MaterialPass* pass = k_TerrainPass::First(m_material))
    {
        pass->SetTexture(0, first->GetColour(), GL_REPEAT, GL_REPEAT);
        pass->SetTexture(1, second->GetColour(), GL_REPEAT, GL_REPEAT);
        pass->SetTexture(2, first->GetDepth(), GL_REPEAT, GL_REPEAT);
    }
    else
    {
        k_Log(k_Log::Colour::Error) << "Terrain: Terrain/Water.mat has no pass; the water is left out.";
    }

    IMeshBuffer* mesh = factory->CreateMeshBuffer();
    m_water = dynamic_cast<IRenderable*>(mesh);
    if (m_water == nullptr)
        throw L"Terrain: the water mesh could not be made.";
    mesh->SetPrimitiveTopology(r_PrimitiveTopology::Quad);
    mesh->SetMaterial(m_material);
    mesh->SetVertices(k_WaterVertices, 4, {r_VertexElement::Position3, r_VertexElement::TexCoord2}, GL_STATIC_DRAW,
                      true);
    mesh->SetIndices(k_WaterIndices, 4, GL_STATIC_DRAW, true);
}

void k_ThirdRenderStep::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry)
        return;
    const k_PassTimer timer("third step");
    IWorld* world = GetWorld() != nullptr ? GetWorld() : m_engine->GetRenderer()->GetCurrentWorld();
    if (world != nullptr && world->GetRenderTarget() != nullptr)
        world->GetRenderTarget()->Bind(k_DrawAllKeep);
    k_TerrainPass::SetFloat(m_material, "time", static_cast<float>(m_engine->GetTimeline()->GetTime()));
    m_water->Render();
}
