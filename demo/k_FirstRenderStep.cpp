#include "demo/k_FirstRenderStep.h"

#include "demo/k_TerrainPass.h"
#include "graphics/k_PassTimer.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IWorld.h"
#include "interfaces/r_ColourFormat.h"
#include "interfaces/r_DrawStage.h"
#include "math/k_VectorUA.h"

#include <epoxy/gl.h>

namespace
{
constexpr int k_Size = 512;
} // namespace

k_FirstRenderStep::k_FirstRenderStep(IEngine* engine, IRenderable* terrain) : k_Renderable(engine), m_terrain(terrain)
{
    m_target = engine->GetResourceFactory()->CreateRenderTarget(k_Size, k_Size);
    if (m_target == nullptr)
        throw L"Terrain: render target A (512 x 512) could not be made.";
    m_colour = m_target->AddColorTexture(r_ColourFormat::Rgba32F);
    m_depth = m_target->AddColorTexture(r_ColourFormat::Rgba32F);
    if (m_colour == nullptr || m_depth == nullptr)
        throw L"Terrain: the float textures of render target A could not be made.";
}

void k_FirstRenderStep::Draw(int stage)
{
    if (stage != r_DrawStage::Geometry || m_terrain == nullptr)
        return;
    const k_PassTimer timer("first step");
    if (IWorld* world = m_engine->GetRenderer()->GetCurrentWorld())
        world->SetClearColour(k_VectorUA(0.0f, 0.0f, 0.0f, 0.0f));
    m_target->Bind(IRenderTarget::k_ClearEverything);
    IMaterial* material = k_TerrainPass::MaterialOf(m_terrain);
    k_TerrainPass::SetInt(material, "fogEnabled", 0);
    glEnable(GL_CLIP_DISTANCE0);
    m_terrain->Render();
    glDisable(GL_CLIP_DISTANCE0);
    k_TerrainPass::SetInt(material, "fogEnabled", 1);
    m_target->Unbind();
}
