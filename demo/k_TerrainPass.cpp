#include "demo/k_TerrainPass.h"

#include "graphics/k_MaterialPass.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IShaderProgram.h"

k_MaterialPass* k_TerrainPass::First(IMaterial* material)
{
    if (material == nullptr || material->GetPasses().empty())
        return nullptr;
    return material->GetPasses().front();
}

IMaterial* k_TerrainPass::MaterialOf(IRenderable* node)
{
    auto* mesh = dynamic_cast<IMeshBuffer*>(node);
    return mesh != nullptr ? mesh->GetMaterial() : nullptr;
}

void k_TerrainPass::SetInt(IMaterial* material, const std::string& name, int value)
{
    k_MaterialPass* pass = First(material);
    if (pass != nullptr && pass->program != nullptr)
        pass->program->SetUniformInt(name, value);
}

void k_TerrainPass::SetFloat(IMaterial* material, const std::string& name, float value)
{
    k_MaterialPass* pass = First(material);
    if (pass != nullptr && pass->program != nullptr)
        pass->program->SetUniformFloat(name, value);
}
