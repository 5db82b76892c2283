#include "demo/k_AfterWorld.h"

#include "demo/k_OrvelantLogo.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/r_RenderStage.h"

#include <epoxy/gl.h>

k_AfterWorld::k_AfterWorld(IEngine* engine) : k_World(engine, "AfterWorld") {}

k_AfterWorld::~k_AfterWorld()
{
    delete m_logo;
}

void k_AfterWorld::Build()
{
    m_logo = new k_OrvelantLogo(m_engine);
    AddRenderable(dynamic_cast<IRenderable*>(m_logo->GetMesh()));
    IShaderProgram* program = GetLogoProgram();
    if (!program)
        throw L"k_AfterWorld: Orvelant.mat has no shader pass for the after world.";
    program->SetUniformFloat("alpha", 0.0f);
}

// Depth writes are switched on first: the pass drawn last (an overlay) may have left them off, and then the
// clear would leave the depth buffer as it was. The depth is the world's own clear depth, not whatever the
// frame's start or an earlier world left set (the frame starts with 0, where nothing would pass a depth test).
void k_AfterWorld::Clear()
{
    glDepthMask(GL_TRUE);
    glClearDepth(m_clearDepth);
    glClear(GL_DEPTH_BUFFER_BIT);
}

void k_AfterWorld::OnRenderStage(int stage)
{
    if (stage != r_RenderStage::BeforeNodes || !m_logo)
        return;
    auto* node = dynamic_cast<IRenderable*>(m_logo->GetMesh());
    if (IShaderProgram* program = GetLogoProgram(); node && program)
        node->SetVisible(program->GetUniformFloat("alpha") > 0.0f);
}

IShaderProgram* k_AfterWorld::GetLogoProgram()
{
    if (!m_logo)
        return nullptr;
    k_MaterialPass* pass = m_logo->GetMaterial()->FindPass(this);
    return pass ? pass->program : nullptr;
}
