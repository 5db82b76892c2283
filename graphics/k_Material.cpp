#include "graphics/k_Material.h"

#include "graphics/k_MaterialLoader.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IEngine.h"
#include "interfaces/IRenderer.h"
#include "interfaces/IWorld.h"

k_Material::k_Material(IEngine* engine, const std::wstring& fileName) : m_engine(engine), m_fileName(fileName)
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

// --- live reload ---

std::vector<IShaderProgram*> k_Material::TakePassesOf(k_Material& fresh)
{
    std::vector<IShaderProgram*> unused;
    for (k_MaterialPass*& incoming : fresh.m_passes)
    {
        k_MaterialPass* kept = nullptr;
        for (k_MaterialPass* pass : m_passes)
            if (pass->target == incoming->target)
                kept = pass;
        if (!kept)
        {
            m_passes.push_back(incoming);
            incoming = nullptr;
            continue;
        }
        // Slots the script only reserves are filled by code: they keep their texture.
        std::map<int32_t, k_MaterialPass::TextureSlot> textures = incoming->textures;
        for (auto& [unit, slot] : textures)
            if (!slot.texture)
                if (auto old = kept->textures.find(unit); old != kept->textures.end())
                    slot.texture = old->second.texture;
        IShaderProgram* program = kept->program;
        auto* keptProgram = dynamic_cast<k_ShaderProgram*>(kept->program);
        auto* newProgram = dynamic_cast<k_ShaderProgram*>(incoming->program);
        // A pass that lost its shaders earlier takes its resting program back when they return, with the
        // values code gave it.
        if (!keptProgram && newProgram)
            if (auto resting = m_restingPrograms.find(incoming->target); resting != m_restingPrograms.end())
            {
                keptProgram = dynamic_cast<k_ShaderProgram*>(resting->second);
                program = resting->second;
                m_restingPrograms.erase(resting);
            }
        if (keptProgram && newProgram)
        {
            if (keptProgram->GetLinked() != newProgram->GetLinked() ||
                keptProgram->GetShaders() != newProgram->GetShaders())
                keptProgram->ReplaceLinked(newProgram->GetShaders(), newProgram->GetLinked());
            keptProgram->TakeCallbacks(*newProgram);
            unused.push_back(newProgram);
        }
        else if (!program)
        {
            program = incoming->program;
        }
        else if (incoming->program)
        {
            unused.push_back(incoming->program);
        }
        else
        {
            // The script no longer gives the pass shaders: it draws without a program. The program object
            // stays alive (code may hold it) and rests until shaders come back.
            m_restingPrograms[incoming->target] = program;
            program = nullptr;
        }
        *kept = *incoming;
        kept->textures = std::move(textures);
        kept->program = program;
    }
    for (k_MaterialPass*& pass : fresh.m_passes)
        delete pass;
    fresh.m_passes.clear();
    return unused;
}
