#include "graphics/k_Material.h"

#include "graphics/k_MaterialLoader.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IWorld.h"

k_Material::k_Material(IEngine* engine, const std::wstring& fileName) : m_engine(engine)
{
    if (fileName.empty())
        return;
    try
    {
        k_MaterialLoader loader(engine, this, fileName);
    }
    catch (...)
    {
        // The destructor does not run for a half-made material: release the passes added so far.
        for (k_MaterialPass* pass : m_passes)
            delete pass;
        throw;
    }
}

k_Material::~k_Material()
{
    for (k_MaterialPass* pass : m_passes)
        delete pass;
}

bool k_Material::Apply()
{
    k_MaterialPass* pass = FindPass(nullptr);
    if (!pass)
        return false;
    pass->Apply(this);
    return true;
}

void k_Material::AddPass(k_MaterialPass* pass)
{
    for (k_MaterialPass*& existing : m_passes)
    {
        if (existing->target == pass->target)
        {
            if (existing != pass)
                delete existing;
            existing = pass;
            return;
        }
    }
    m_passes.push_back(pass);
}

std::vector<k_MaterialPass*>& k_Material::GetPasses()
{
    return m_passes;
}

k_MaterialPass* k_Material::FindPass(IWorld* world)
{
    if (!world)
        world = m_engine->GetRenderer()->GetCurrentWorld();
    const std::string worldName = world ? world->GetName() : std::string();
    k_MaterialPass* result = nullptr;
    for (k_MaterialPass* pass : m_passes)
    {
        if (world && pass->target == worldName)
        {
            result = pass;
            if (!pass->target.empty())
                return pass;
        }
        else if (pass->target.empty() && !result)
        {
            result = pass;
        }
    }
    return result;
}
