#include "graphics/k_ResourceFactory.h"

#include "animation/k_Bone.h"
#include "animation/k_BoneShaderCallback.h"
#include "animation/k_Path.h"
#include "animation/k_TransformationAnimation.h"
#include "demo/k_Billboard.h"
#include "demo/k_BillboardBatch.h"
#include "demo/k_Text.h"
#include "demo/k_VoxelBox.h"
#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "graphics/k_ImageTexture.h"
#include "graphics/k_JpegTexture.h"
#include "graphics/k_Material.h"
#include "graphics/k_MaterialLoader.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_MeshBuffer.h"
#include "graphics/k_PngTexture.h"
#include "graphics/k_RenderTarget.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IMeshBuffer.h"
#include "interfaces/IShaderCallback.h"
#include "scene/k_Camera.h"
#include "scene/k_EmptyRenderable.h"
#include "scene/k_Light.h"

#include <algorithm>
#include <cwctype>
#include <new>

namespace
{
// Runs a constructor; any error it raises becomes a null result (the message, if any, is logged and, when
// asked for, kept).
template <typename Make> auto Guarded(Make make, std::string* failure = nullptr) -> decltype(make())
{
    std::string message = "an unknown error";
    try
    {
        return make();
    }
    catch (const wchar_t* thrown)
    {
        k_Log(k_Log::Colour::Error) << thrown;
        message = k_Utf8::ToUtf8(thrown ? thrown : L"");
    }
    catch (const std::bad_alloc&)
    {
        k_Log(k_Log::Colour::Error) << "Out of memory.";
        message = "out of memory";
    }
    catch (...)
    {
    }
    if (failure)
        *failure = message;
    return nullptr;
}

// True when text occurs in fileName at a position after the first character.
bool Mentions(const std::wstring& fileName, const wchar_t* text)
{
    const size_t position = fileName.rfind(text);
    return position != std::wstring::npos && position > 0;
}
} // namespace

// --- construction and destruction ---

k_ResourceFactory::k_ResourceFactory(IEngine* engine) : m_engine(engine)
{
    // Every factory offers skinning: programs attach "bones" with a skeleton's handle.
    RegisterShaderCallback(new k_BoneShaderCallback(engine));
}

k_ResourceFactory::~k_ResourceFactory()
{
    for (auto& [name, texture] : m_textures)
        delete texture;
    for (auto& [name, material] : m_materials)
        delete material;
    for (auto& [name, shader] : m_shaders)
        delete shader;
    for (auto& [name, animation] : m_animations)
        delete animation;
    for (IShaderProgram* program : m_programs)
        delete program;
    for (IRenderable* renderable : m_renderables)
        delete renderable;
    for (ICamera* camera : m_cameras)
        delete camera;
    for (ILight* light : m_lights)
        delete light;
    for (IRenderTarget* target : m_renderTargets)
        delete target;
    for (IBone* bone : m_bones)
        delete bone;
    for (IVoxelBox* box : m_voxelBoxes)
        delete box;
    for (auto& [name, callback] : m_shaderCallbacks)
        delete callback;
    for (auto& path : m_paths)
        std::visit([](auto* p) { delete p; }, path);
}

void k_ResourceFactory::Initialize()
{
    k_Log() << "Initializing resource factory...";
}

std::vector<std::string> k_ResourceFactory::GetFailures() const
{
    // A script read for many materials, or a material asked for again, fails the same way: said once.
    std::vector<std::string> failures;
    auto note = [&failures](const std::string& failure) {
        if (std::find(failures.begin(), failures.end(), failure) == failures.end())
            failures.push_back(failure);
    };
    for (const std::string& failure : m_materialFailures)
        note(failure);
    for (const auto& [name, material] : m_materials)
        if (const auto* made = dynamic_cast<const k_Material*>(material))
            for (const std::string& failure : made->GetFailures())
                note(failure);
    for (const auto& [key, shader] : m_shaders)
        if (const auto* made = dynamic_cast<const k_Shader*>(shader); made && made->HasFailed())
            note(made->GetLastErrors().empty() ? "Error compiling " + k_Utf8::ToUtf8(key) : made->GetLastErrors());
    // A link fails by itself only when its shaders all compiled (else their errors say it already).
    for (const auto& [key, known] : m_linkedPrograms)
    {
        const std::shared_ptr<k_LinkedProgram> linked = known.lock();
        if (!linked || linked->IsLinked())
            continue;
        std::string names;
        bool compiled = true;
        for (IShader* shader : key.first)
        {
            const auto* made = dynamic_cast<const k_Shader*>(shader);
            compiled = compiled && made && made->IsCompiled();
            for (const auto& [name, cached] : m_shaders)
                if (cached == shader)
                    names += (names.empty() ? "" : ", ") + k_Utf8::ToUtf8(name);
        }
        if (compiled)
            note("The shaders " + names + " do not link" + (linked->GetLog().empty() ? "" : ": " + linked->GetLog()));
    }
    return failures;
}

// --- cached resources ---

ITexture* k_ResourceFactory::CreateTexture(const std::wstring& name, const std::wstring& fileName)
{
    k_Log() << "Loading " << fileName << "...";
    if (auto found = m_textures.find(name); found != m_textures.end())
        return found->second;
    ITexture* texture = nullptr;
    try
    {
        if (Mentions(fileName, L".jpg"))
            texture = new k_JpegTexture(m_engine, fileName);
        else if (Mentions(fileName, L".png"))
            texture = new k_PngTexture(m_engine, fileName);
    }
    catch (...)
    {
        // The texture logged why it could not be made.
        texture = nullptr;
    }
    if (texture)
        m_textures[name] = texture;
    return texture;
}

IMaterial* k_ResourceFactory::CreateMaterial(const std::wstring& name, const std::wstring& fileName)
{
    k_Log() << "Creating material '" << name << "' from " << fileName;
    m_engine->GetGraphics()->CheckErrors();
    if (auto found = m_materials.find(name); found != m_materials.end())
        return found->second;
    std::string failure;
    IMaterial* material = Guarded([&]() -> IMaterial* { return new k_Material(m_engine, fileName); }, &failure);
    if (!material)
    {
        m_materialFailures.push_back(k_Utf8::ToUtf8(fileName) + ": the material cannot be made: " + failure);
        return nullptr;
    }
    m_materials[name] = material;
    m_engine->GetGraphics()->CheckErrors();
    return material;
}

IShader* k_ResourceFactory::CreateShaderFromSource(const std::wstring& key, r_ShaderType type,
                                                   const std::wstring& displayName, std::string source)
{
    k_Log() << "Creating " << displayName << "...";
    if (auto found = m_shaders.find(key); found != m_shaders.end())
    {
        // A script read again during a reload brings its inline shaders' text anew.
        if (auto* shader = dynamic_cast<k_Shader*>(found->second);
            m_reloading && shader && shader->GetSource() != source)
        {
            auto tried = m_reloading->triedSources.find(shader);
            if (tried == m_reloading->triedSources.end() || tried->second != source)
            {
                m_reloading->triedSources[shader] = source;
                NoteShaderReload(shader, shader->Recompile(source), *m_reloading->report);
            }
        }
        return found->second;
    }
    IShader* shader = Guarded([&]() -> IShader* { return new k_Shader(m_engine, type, displayName, source); });
    if (shader)
        m_shaders[key] = shader;
    return shader;
}

IShader* k_ResourceFactory::CreateShader(const std::wstring& name, r_ShaderType type, const std::wstring& fileName)
{
    k_Log() << "Loading " << fileName << "...";
    if (auto found = m_shaders.find(name); found != m_shaders.end())
        return found->second;
    IShader* shader = Guarded([&]() -> IShader* { return new k_Shader(m_engine, type, fileName); });
    if (shader)
        m_shaders[name] = shader;
    return shader;
}

ITransformationAnimation* k_ResourceFactory::CreateTransformationAnimation(const std::wstring& name)
{
    if (auto found = m_animations.find(name); found != m_animations.end())
        return found->second;
    ITransformationAnimation* animation =
        Guarded([&]() -> ITransformationAnimation* { return new k_TransformationAnimation(name, m_engine); });
    if (animation)
        m_animations[name] = animation;
    return animation;
}

// --- programs ---

// A geometry shader's topologies and vertex limit go into the link too (as program parameters, or compiled into
// the shader as it stands now), so they are part of what is shared.
k_ResourceFactory::LinkKey k_ResourceFactory::KeyOf(const std::vector<IShader*>& shaders)
{
    LinkKey key{shaders, {}};
    for (IShader* shader : shaders)
        if (shader->GetType() == r_ShaderType::Geometry)
        {
            r_PrimitiveTopology input;
            r_PrimitiveTopology output;
            int maxVertices = 0;
            shader->GetGeometryParameters(input, output, maxVertices);
            key.second.insert(key.second.end(), {static_cast<int>(input), static_cast<int>(output), maxVertices});
        }
    return key;
}

IShaderProgram* k_ResourceFactory::CreateShaderProgram(std::vector<IShader*> shaders)
{
    k_Log() << "Creating shader program...";
    IShaderProgram* program = Guarded([&]() -> IShaderProgram* {
        // Programs of the same shaders share one link; each keeps its own uniform values.
        if (m_reloading)
            return new k_ShaderProgram(m_engine, shaders, Relinked(KeyOf(shaders), *m_reloading->report));
        std::weak_ptr<k_LinkedProgram>& known = m_linkedPrograms[KeyOf(shaders)];
        std::shared_ptr<k_LinkedProgram> linked = known.lock();
        if (!linked)
        {
            linked = std::make_shared<k_LinkedProgram>(m_engine, shaders);
            known = linked;
        }
        return new k_ShaderProgram(m_engine, std::move(shaders), std::move(linked));
    });
    if (program)
        m_programs.push_back(program);
    return program;
}

// --- scene objects ---

IRenderable* k_ResourceFactory::CreateEmptyRenderable()
{
    IRenderable* node = Guarded([&]() -> IRenderable* { return new k_EmptyRenderable(m_engine); });
    if (node)
        m_renderables.push_back(node);
    return node;
}

IMeshBuffer* k_ResourceFactory::CreateMeshBuffer()
{
    k_MeshBuffer* mesh = Guarded([&]() -> k_MeshBuffer* { return new k_MeshBuffer(m_engine); });
    if (mesh)
        m_renderables.push_back(mesh);
    return mesh;
}

IBillboard* k_ResourceFactory::CreateBillboard()
{
    k_Billboard* billboard = Guarded([&]() -> k_Billboard* { return new k_Billboard(m_engine); });
    if (billboard)
        m_renderables.push_back(billboard);
    return billboard;
}

IBillboardBatch* k_ResourceFactory::CreateBillboardBatch(int capacity, IMaterial* material)
{
    k_BillboardBatch* batch =
        Guarded([&]() -> k_BillboardBatch* { return new k_BillboardBatch(m_engine, capacity, material); });
    if (batch)
        m_renderables.push_back(batch);
    return batch;
}

ICamera* k_ResourceFactory::CreateCamera()
{
    ICamera* camera = Guarded([&]() -> ICamera* { return new k_Camera(m_engine); });
    if (camera)
        m_cameras.push_back(camera);
    return camera;
}

ILight* k_ResourceFactory::CreateLight()
{
    ILight* light = Guarded([&]() -> ILight* { return new k_Light(m_engine); });
    if (light)
        m_lights.push_back(light);
    return light;
}

IRenderTarget* k_ResourceFactory::CreateRenderTargetWithTexture(int width, int height, int format)
{
    IRenderTarget* target = CreateRenderTarget(width, height);
    if (target)
        target->AddColorTexture(format);
    return target;
}

IRenderTarget* k_ResourceFactory::CreateRenderTarget(int width, int height)
{
    IRenderTarget* target = Guarded([&]() -> IRenderTarget* { return new k_RenderTarget(m_engine, width, height); });
    if (target)
        m_renderTargets.push_back(target);
    return target;
}

// --- bones ---

IBone* k_ResourceFactory::CreateBone(const std::wstring& name, int index, const k_VectorUA& position,
                                     const k_VectorUA& scale, const k_VectorUA& rotation)
{
    IBone* bone = Guarded(
        [&]() -> IBone* { return new k_Bone(m_engine, name, index, position, scale.x, scale.y, scale.z, rotation); });
    if (bone)
        m_bones.push_back(bone);
    return bone;
}

// --- voxel boxes ---

IVoxelBox* k_ResourceFactory::CreateVoxelBox(int width, int height, int depth)
{
    IVoxelBox* box = Guarded([&]() -> IVoxelBox* { return new k_VoxelBox(m_engine, width, height, depth); });
    if (box)
        m_voxelBoxes.push_back(box);
    return box;
}

// --- text ---

IText* k_ResourceFactory::CreateText(const std::string& text, const std::wstring& fontName, int height, float depth,
                                     int style)
{
    k_Text* node = Guarded([&]() -> k_Text* { return new k_Text(m_engine, text, fontName, height, depth, style); });
    if (node)
        m_renderables.push_back(node);
    return node;
}

// --- paths ---

IPath<k_VectorUA>* k_ResourceFactory::CreateVectorPath()
{
    IPath<k_VectorUA>* path = Guarded([&]() -> IPath<k_VectorUA>* { return new k_Path<k_VectorUA>(m_engine); });
    if (path)
        m_paths.emplace_back(path);
    return path;
}

IPath<float>* k_ResourceFactory::CreateFloatPath()
{
    IPath<float>* path = Guarded([&]() -> IPath<float>* { return new k_Path<float>(m_engine); });
    if (path)
        m_paths.emplace_back(path);
    return path;
}

// --- shader callbacks ---

bool k_ResourceFactory::RegisterShaderCallback(IShaderCallback* callback)
{
    if (!callback)
        return false;
    const std::wstring name = callback->GetName();
    if (m_shaderCallbacks.contains(name))
        return false;
    m_shaderCallbacks[name] = callback;
    return true;
}

IShaderCallback* k_ResourceFactory::FindShaderCallback(const std::wstring& name)
{
    auto found = m_shaderCallbacks.find(name);
    return found == m_shaderCallbacks.end() ? nullptr : found->second;
}

// --- live reload ---

namespace
{
std::wstring Folded(const std::wstring& name)
{
    std::wstring folded = name;
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return folded;
}
} // namespace

k_ResourceFactory::ReloadReport k_ResourceFactory::Reload(const std::vector<std::wstring>& changedFiles)
{
    ReloadReport report;
    std::set<std::wstring> changed;
    for (const std::wstring& file : changedFiles)
        changed.insert(Folded(file));
    auto isChanged = [&changed](const std::wstring& file) { return !file.empty() && changed.contains(Folded(file)); };
    m_reloading = std::make_unique<Reloading>();
    m_reloading->report = &report;

    // Pictures go into the textures they were read into.
    for (auto& [name, texture] : m_textures)
    {
        auto* image = dynamic_cast<k_ImageTexture*>(texture);
        if (!image || !isChanged(image->GetFileName()))
            continue;
        if (image->ReloadImageFile())
            ++report.textures;
        else
            report.errors.push_back(k_Utf8::ToUtf8(image->GetFileName()) +
                                    ": cannot be read; the previous picture stays");
    }
    // Shader files are compiled into the same shaders.
    for (auto& [name, shader] : m_shaders)
        if (auto* file = dynamic_cast<k_Shader*>(shader); file && isChanged(file->GetFileName()))
            NoteShaderReload(file, file->ReloadFile(), report);
    // Scripts: the materials that read one of them are made again and take the new passes.
    std::set<IMaterial*> remade;
    for (auto& [name, material] : m_materials)
    {
        auto* script = dynamic_cast<k_Material*>(material);
        if (!script)
            continue;
        const std::vector<std::wstring>& scripts = script->GetScripts();
        if (std::any_of(scripts.begin(), scripts.end(), isChanged))
        {
            const int before = report.materials;
            ReloadMaterial(name, script, report);
            if (report.materials > before)
                remade.insert(material);
        }
    }
    // Every link of a changed shader that no script brought up is linked again too (programs made in code).
    // Each with its own geometry parameters: a geometry shader shared by links of different parameters is
    // linked again for every set.
    for (auto& [key, known] : m_linkedPrograms)
    {
        const std::vector<IShader*>& shaders = key.first;
        if (known.expired())
            continue;
        if (std::any_of(shaders.begin(), shaders.end(),
                        [this](IShader* shader) { return m_reloading->changedShaders.contains(shader); }))
        {
            try
            {
                Relinked(key, report);
            }
            catch (const wchar_t* message)
            {
                report.errors.push_back(k_Utf8::ToUtf8(message));
            }
        }
    }
    // Meshes compiled their lists with the programs' attribute locations and per pass: they compile them again.
    for (IRenderable* renderable : m_renderables)
    {
        auto* mesh = dynamic_cast<IMeshBuffer*>(renderable);
        IMaterial* material = mesh ? mesh->GetMaterial() : nullptr;
        if (!material)
            continue;
        bool affected = remade.contains(material);
        for (k_MaterialPass* pass : material->GetPasses())
            affected = affected || m_reloading->movedPrograms.contains(pass->program);
        if (affected)
            mesh->SetMaterial(material);
    }
    report.programs = static_cast<int>(m_reloading->movedPrograms.size());
    m_reloading.reset();
    m_engine->GetGraphics()->CheckErrors();
    return report;
}

void k_ResourceFactory::NoteShaderReload(k_Shader* shader, bool compiled, ReloadReport& report)
{
    if (compiled)
    {
        m_reloading->changedShaders.insert(shader);
        ++report.shaders;
    }
    else
    {
        report.errors.push_back(shader->GetLastErrors().empty() ? "A shader failed; the previous one stays"
                                                                : shader->GetLastErrors());
    }
}

std::shared_ptr<k_LinkedProgram> k_ResourceFactory::Relinked(const LinkKey& key, ReloadReport& report)
{
    const std::vector<IShader*>& shaders = key.first;
    std::weak_ptr<k_LinkedProgram>& known = m_linkedPrograms[key];
    std::shared_ptr<k_LinkedProgram> old = known.lock();
    const bool changed = std::any_of(shaders.begin(), shaders.end(),
                                     [this](IShader* shader) { return m_reloading->changedShaders.contains(shader); });
    if (old && (!changed || m_reloading->decidedLinks.contains(old.get())))
        return old;
    // The geometry shaders take the link's parameters (the shader holds those set last, perhaps for another
    // link; where the driver needs them compiled in, the shader is compiled for them again).
    size_t parameter = 0;
    for (IShader* shader : shaders)
        if (shader->GetType() == r_ShaderType::Geometry && parameter + 3 <= key.second.size())
        {
            shader->SetGeometryParameters(static_cast<r_PrimitiveTopology::Value>(key.second[parameter]),
                                          static_cast<r_PrimitiveTopology::Value>(key.second[parameter + 1]),
                                          key.second[parameter + 2]);
            parameter += 3;
        }
    // Throws only for a geometry shader without parameters, as the first link did.
    std::shared_ptr<k_LinkedProgram> fresh = std::make_shared<k_LinkedProgram>(m_engine, shaders);
    if (!fresh->IsLinked() && old)
    {
        report.errors.push_back("Linking failed; the previous program stays" +
                                (fresh->GetLog().empty() ? std::string() : ": " + fresh->GetLog()));
        m_reloading->decidedLinks.insert(old.get());
        return old;
    }
    m_reloading->decidedLinks.insert(fresh.get());
    known = fresh;
    if (old)
        for (IShaderProgram* program : m_programs)
            if (auto* user = dynamic_cast<k_ShaderProgram*>(program); user && user->GetLinked() == old)
            {
                user->ReplaceLinked(shaders, fresh);
                m_reloading->movedPrograms.insert(user);
            }
    return fresh;
}

void k_ResourceFactory::ReloadMaterial(const std::wstring& name, k_Material* material, ReloadReport& report)
{
    const std::string file = k_Utf8::ToUtf8(material->GetFileName());
    k_Log() << "Reloading material '" << name << "' from " << material->GetFileName();
    // Start-up skips a script's mistakes with a warning; a reload refuses the script before anything is made
    // from it (shaders, links), so what is shown stays whole. A script read for many materials is checked and
    // reported once.
    auto checked = m_reloading->checkedScripts.find(material->GetFileName());
    if (checked == m_reloading->checkedScripts.end())
    {
        checked = m_reloading->checkedScripts
                      .emplace(material->GetFileName(), k_MaterialLoader::Check(m_engine, material->GetFileName()))
                      .first;
        report.errors.insert(report.errors.end(), checked->second.begin(), checked->second.end());
    }
    if (!checked->second.empty())
        return;
    std::unique_ptr<k_Material> fresh(
        Guarded([&]() -> k_Material* { return new k_Material(m_engine, material->GetFileName()); }));
    if (!fresh)
    {
        report.errors.push_back(file + ": the material cannot be made; the previous one stays");
        return;
    }
    std::vector<IShaderProgram*> programs;
    bool usable = !(fresh->GetPasses().empty() && !material->GetPasses().empty());
    if (!usable)
        report.errors.push_back(file + ": no material section; the previous one stays");
    for (k_MaterialPass* pass : fresh->GetPasses())
    {
        if (!pass->program)
            continue;
        programs.push_back(pass->program);
        auto* program = dynamic_cast<k_ShaderProgram*>(pass->program);
        if (program && !program->GetLinked()->IsLinked())
        {
            if (usable)
                report.errors.push_back(
                    file + ": a program does not link; the previous one stays" +
                    (program->GetLinked()->GetLog().empty() ? std::string() : ": " + program->GetLinked()->GetLog()));
            usable = false;
        }
    }
    if (!usable)
    {
        fresh.reset();
        for (IShaderProgram* program : programs)
            ReleaseProgram(program);
        return;
    }
    material->SetScripts(fresh->GetScripts());
    for (IShaderProgram* program : material->TakePassesOf(*fresh))
        ReleaseProgram(program);
    ++report.materials;
}

void k_ResourceFactory::ReleaseProgram(IShaderProgram* program)
{
    auto found = std::find(m_programs.begin(), m_programs.end(), program);
    if (found == m_programs.end())
        return;
    m_programs.erase(found);
    delete program;
}
