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
#include "graphics/k_JpegTexture.h"
#include "graphics/k_Material.h"
#include "graphics/k_MeshBuffer.h"
#include "graphics/k_PngTexture.h"
#include "graphics/k_RenderTarget.h"
#include "graphics/k_Shader.h"
#include "graphics/k_ShaderProgram.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IShaderCallback.h"
#include "scene/k_Camera.h"
#include "scene/k_EmptyRenderable.h"
#include "scene/k_Light.h"

#include <new>

namespace
{
// Runs a constructor; any error it raises becomes a null result (the message, if any, is logged).
template <typename Make> auto Guarded(Make make) -> decltype(make())
{
    try
    {
        return make();
    }
    catch (const wchar_t* message)
    {
        k_Log(k_Log::Colour::Error) << message;
    }
    catch (const std::bad_alloc&)
    {
        k_Log(k_Log::Colour::Error) << "Out of memory.";
    }
    catch (...)
    {
    }
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
    IMaterial* material = Guarded([&]() -> IMaterial* { return new k_Material(m_engine, fileName); });
    if (!material)
        return nullptr;
    m_materials[name] = material;
    m_engine->GetGraphics()->CheckErrors();
    return material;
}

IShader* k_ResourceFactory::CreateShaderFromSource(const std::wstring& key, r_ShaderType type,
                                                   const std::wstring& displayName, std::string source)
{
    k_Log() << "Creating " << displayName << "...";
    if (auto found = m_shaders.find(key); found != m_shaders.end())
        return found->second;
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

IShaderProgram* k_ResourceFactory::CreateShaderProgram(std::vector<IShader*> shaders)
{
    k_Log() << "Creating shader program...";
    IShaderProgram* program = Guarded([&]() -> IShaderProgram* {
        // Programs of the same shaders share one link; each keeps its own uniform values.
        std::weak_ptr<k_LinkedProgram>& known = m_linkedPrograms[shaders];
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
