#include "demo/k_FourthRenderStep.h"

#include "demo/k_TerrainPass.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/r_DrawStage.h"

k_FourthRenderStep::k_FourthRenderStep(IEngine* engine, IRenderable* terrain) : k_Renderable(engine), m_terrain(terrain)
{
}

void k_FourthRenderStep::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry || m_terrain == nullptr)
        return;
    const k_PassTimer timer("fourth step");
    IMaterial* material = k_TerrainPass::MaterialOf(m_terrain);
    k_TerrainPass::SetInt(material, "clipPlaneEnabled", 0);
    m_terrain->Render();
    k_TerrainPass::SetInt(material, "clipPlaneEnabled", 1);
}
