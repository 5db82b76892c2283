#pragma once
// The one resource factory: makes, caches and owns the engine's textures,
// materials, shaders, programs, scene objects, transformation animations and
// paths, and keeps the registry of shader callbacks. See IResourceFactory for
// the ownership rule.
#include "interfaces/IResourceFactory.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class IEngine;
class k_LinkedProgram;
class k_Material;
class k_Shader;

class k_ResourceFactory : public IResourceFactory
{
public:
    explicit k_ResourceFactory(IEngine* engine);
    ~k_ResourceFactory() override;
    k_ResourceFactory(const k_ResourceFactory&) = delete;
    k_ResourceFactory& operator=(const k_ResourceFactory&) = delete;

    void Initialize() override;
    std::vector<std::string> GetFailures() const override;
    ITexture* CreateTexture(const std::wstring& name, const std::wstring& fileName) override;
    IMaterial* CreateMaterial(const std::wstring& name, const std::wstring& fileName) override;
    IShader* CreateShaderFromSource(const std::wstring& key, r_ShaderType type, const std::wstring& displayName,
                                    std::string source) override;
    IShader* CreateShader(const std::wstring& name, r_ShaderType type, const std::wstring& fileName) override;
    ITransformationAnimation* CreateTransformationAnimation(const std::wstring& name) override;
    IShaderProgram* CreateShaderProgram(std::vector<IShader*> shaders) override;
    IRenderable* CreateEmptyRenderable() override;
    IMeshBuffer* CreateMeshBuffer() override;
    IBillboard* CreateBillboard() override;
    ICamera* CreateCamera() override;
    ILight* CreateLight() override;
    IBillboardBatch* CreateBillboardBatch(int capacity, IMaterial* material) override;
    IRenderTarget* CreateRenderTargetWithTexture(int width, int height, int format) override;
    IRenderTarget* CreateRenderTarget(int width, int height) override;
    IBone* CreateBone(const std::wstring& name, int index, const k_VectorUA& position, const k_VectorUA& scale,
                      const k_VectorUA& rotation) override;
    IVoxelBox* CreateVoxelBox(int width, int height, int depth) override;
    IText* CreateText(const std::string& text, const std::wstring& fontName, int height, float depth,
                      int style) override;
    IPath<k_VectorUA>* CreateVectorPath() override;
    IPath<float>* CreateFloatPath() override;
    bool RegisterShaderCallback(IShaderCallback* callback) override;
    IShaderCallback* FindShaderCallback(const std::wstring& name) override;

    // --- live reload ---
    // What one reload did: how many objects were read again, and what failed (each failure keeps the previous
    // version in use; shader errors come as "file:line:column: message" lines).
    struct ReloadReport
    {
        int materials = 0;
        int shaders = 0;
        int textures = 0;
        int programs = 0; // programs moved onto a new link
        std::vector<std::string> errors;
        bool Any() const { return materials + shaders + textures + programs > 0 || !errors.empty(); }
    };
    // Reads again whatever was made from the files (pack names, matched without regard to case): pictures
    // into the same textures, shader files into the same shaders, material scripts (and the scripts they
    // include) into the same materials and passes; programs that use a changed shader are linked again and
    // every program of that link is moved onto it; meshes of the materials compile their lists again. Nothing
    // is made anew for the objects in use, so every pointer held elsewhere stays valid.
    ReloadReport Reload(const std::vector<std::wstring>& changedFiles);

private:
    // The linked GL program of each shader list with its geometry shaders' parameters (input and output
    // topology, vertex limit), shared by the programs made from it while any is alive; throws when a geometry
    // shader's parameters were never set.
    using LinkKey = std::pair<std::vector<IShader*>, std::vector<int>>;
    static LinkKey KeyOf(const std::vector<IShader*>& shaders);

    void ReloadMaterial(const std::wstring& name, k_Material* material, ReloadReport& report);
    void NoteShaderReload(k_Shader* shader, bool compiled, ReloadReport& report);
    // During a reload: the link of the shaders, linked again once when one of them changed; a failed link
    // keeps the old one (when there is one). Every program on the old link moves onto the new one.
    std::shared_ptr<k_LinkedProgram> Relinked(const LinkKey& key, ReloadReport& report);
    // Deletes a program the factory made (a fresh material's that was not taken).
    void ReleaseProgram(IShaderProgram* program);

    // The reload under way, if any.
    struct Reloading
    {
        ReloadReport* report = nullptr;
        std::set<IShader*> changedShaders;
        std::set<const k_LinkedProgram*> decidedLinks;
        std::set<IShaderProgram*> movedPrograms;
        // The inline sources each shader was given in this reload: a script read for many materials brings
        // the same text each time, compiled (and reported, when it fails) once.
        std::map<IShader*, std::string> triedSources;
        // The mistakes of each script checked in this reload (by its material's file name).
        std::map<std::wstring, std::vector<std::string>> checkedScripts;
    };
    std::unique_ptr<Reloading> m_reloading;

    IEngine* m_engine;
    std::map<std::wstring, ITexture*> m_textures;
    std::map<std::wstring, IMaterial*> m_materials;
    // Materials whose making threw (not cached), with the message, in the order tried.
    std::vector<std::string> m_materialFailures;
    std::map<std::wstring, IShader*> m_shaders;
    std::map<std::wstring, ITransformationAnimation*> m_animations;
    std::vector<IShaderProgram*> m_programs;
    std::map<LinkKey, std::weak_ptr<k_LinkedProgram>> m_linkedPrograms;
    std::vector<IRenderable*> m_renderables;
    std::vector<ICamera*> m_cameras;
    std::vector<ILight*> m_lights;
    std::vector<IRenderTarget*> m_renderTargets;
    std::vector<IBone*> m_bones;
    std::vector<IVoxelBox*> m_voxelBoxes;
    std::map<std::wstring, IShaderCallback*> m_shaderCallbacks;
    // Both kinds of path in one list, in the order they were made.
    std::vector<std::variant<IPath<float>*, IPath<k_VectorUA>*>> m_paths;
};
