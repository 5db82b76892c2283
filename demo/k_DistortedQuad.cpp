#include "demo/k_DistortedQuad.h"

#include "demo/k_UnitQuad.h"
#include "engine/k_Log.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITexture.h"
#include "interfaces/r_DrawStage.h"

#include <epoxy/gl.h>
#include <cstdint>
#include <cwchar>
#include <set>
#include <utility>

namespace
{
// The instance numbers held by living quads, by texture: a second caption of one picture must not share the
// first one's material, whose uniforms hold its place, start and fades.
std::set<std::pair<const ITexture*, int>>& InstancesInUse()
{
    static std::set<std::pair<const ITexture*, int>> inUse;
    return inUse;
}
} // namespace

k_DistortedQuad::k_DistortedQuad(IEngine* engine, ITexture* texture) : k_MeshBuffer(engine), m_texture(texture)
{
    while (InstancesInUse().count({texture, m_instance}) > 0)
        ++m_instance;
    IMaterial* material =
        engine->GetResourceFactory()->CreateMaterial(MaterialName(texture, m_instance), L"Common/DistortedQuad.mat");
    if (!material)
        throw L"k_DistortedQuad: Unable to create a caption material from Common/DistortedQuad.mat.";
    if (material->GetPasses().empty())
        k_Log(k_Log::Colour::Error)
            << "k_DistortedQuad: Common/DistortedQuad.mat has no pass; the caption stays unseen.";
    // The first pass shows the image; the others (the drift world's) take it in as well.
    for (k_MaterialPass* pass : material->GetPasses())
        pass->textures[0] = {texture, GL_REPEAT, GL_REPEAT};
    k_UnitQuad::Fill(this, material);
    InstancesInUse().insert({texture, m_instance});
}

k_DistortedQuad::~k_DistortedQuad()
{
    InstancesInUse().erase({m_texture, m_instance});
}

// The whole address: cut to a few digits, as a 12-character name would be,
// textures allocated close together would share one material and its uniforms.
std::wstring k_DistortedQuad::MaterialName(const ITexture* texture, int instance)
{
    wchar_t name[48];
    const auto address = static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(texture));
    if (instance == 0)
        std::swprintf(name, sizeof name / sizeof name[0], L"Quad%jx", address);
    else
        std::swprintf(name, sizeof name / sizeof name[0], L"Quad%jx-%d", address, instance);
    return name;
}

// The aspect ratio goes to every pass's program, not only the first: a caption handed over to another world
// (the drift world has a pass of its own) keeps its shape there.
void k_DistortedQuad::Draw(int stage)
{
    if (stage == r_DrawStage::BeforeTransform && m_texture && GetMaterial() && m_texture->GetHeight() != 0)
    {
        const float aspect = static_cast<float>(m_texture->GetWidth()) / static_cast<float>(m_texture->GetHeight());
        for (k_MaterialPass* pass : GetMaterial()->GetPasses())
            if (pass->program)
                pass->program->SetUniformFloat("texAspectRatio", aspect);
    }
    k_MeshBuffer::Draw(stage);
}
