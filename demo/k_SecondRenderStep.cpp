#include "demo/k_SecondRenderStep.h"

#include "demo/k_FirstRenderStep.h"
#include "demo/k_SkyRenderStep.h"
#include "demo/k_TerrainPass.h"
#include "graphics/k_MaterialPass.h"
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
constexpr int k_Size = 256;
constexpr unsigned int k_CullBack = 0x0405;
constexpr float k_Mirror[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr float k_Identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
} // namespace

k_SecondRenderStep::k_SecondRenderStep(IEngine* engine, k_FirstRenderStep* first, k_SkyRenderStep* sky)
    : k_Renderable(engine), m_first(first), m_sky(sky)
{
    m_target = engine->GetResourceFactory()->CreateRenderTarget(k_Size, k_Size);
    if (m_target == nullptr)
        throw L"Terrain: render target B (256 x 256) could not be made.";
    m_colour = m_target->AddColorTexture(r_ColourFormat::Rgba32F);
    if (m_colour == nullptr)
        throw L"Terrain: the float texture of render target B could not be made.";
}

void k_SecondRenderStep::Draw(int stage)
{
    IRenderable* terrain = m_first != nullptr ? m_first->GetTerrain() : nullptr;
    if (stage != r_DrawStage::Geometry || terrain == nullptr)
        return;
    const k_PassTimer timer("second step");
    if (IWorld* world = m_engine->GetRenderer()->GetCurrentWorld())
        world->SetClearColour(k_VectorUA(0.7f, 0.8f, 0.9f, 0.0f));
    m_target->Bind(IRenderTarget::k_ClearEverything);

    // Mirrored about y = 9: y' = 18 - y.
    terrain->SetMatrix(k_Mirror);
    terrain->SetPosition(k_VectorUA(0.0f, 18.0f, 0.0f, 1.0f));
    IMaterial* material = k_TerrainPass::MaterialOf(terrain);
    k_MaterialPass* pass = k_TerrainPass::First(material);
    if (pass != nullptr)
        pass->cullMode = 0;
    glEnable(GL_CLIP_DISTANCE0);
    terrain->Render();
    glDisable(GL_CLIP_DISTANCE0);
    if (pass != nullptr)
        pass->cullMode = k_CullBack;
    terrain->SetPosition(k_VectorUA(0.0f, 0.0f, 0.0f, 1.0f));
    terrain->SetMatrix(k_Identity);
    if (m_sky != nullptr)
        m_sky->DrawMirrored();

    m_target->Unbind();
}
