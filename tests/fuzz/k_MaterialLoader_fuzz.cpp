// The material script reader and the inline-shader assembly without GL: the
// bytes are cut at NUL bytes into up to four scripts; the first is loaded as a
// material and every other name it asks for (includes, shader files) is one
// of the four, chosen by the name, so includes nest, loop and fan out. A
// stand-in resource factory checks each inline shader's source (line numbers
// kept by leading LFs) and puts the geometry layout into geometry shaders,
// which must change nothing but that one insertion.
#include "engine/k_File.h"
#include "fuzz/k_FuzzCheck.h"
#include "graphics/k_Material.h"
#include "graphics/k_MaterialPass.h"
#include "graphics/k_Shader.h"
#include "interfaces/IFileSystem.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "support/k_FakeEngine.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
class Files : public IFileSystem
{
public:
    std::vector<std::string> scripts;

    void UseDirectory(const std::wstring&) override {}
    void OpenDataPack(const std::wstring&) override {}
    IFile* OpenFile(const std::wstring& name) override
    {
        if (name.empty() || scripts.empty())
            return nullptr;
        const std::string& text =
            name == L"M.mat" ? scripts[0] : scripts[std::hash<std::wstring>()(name) % scripts.size()];
        std::unique_ptr<unsigned char[]> data(new unsigned char[text.size() + 1]);
        std::memcpy(data.get(), text.data(), text.size());
        return new k_File(nullptr, std::move(data), static_cast<std::int32_t>(text.size()));
    }
};

class Shader : public IShader
{
public:
    Shader(r_ShaderType type, std::string source) : m_type(type), m_source(std::move(source)) {}
    r_ShaderType GetType() override { return m_type; }
    unsigned int GetHandle() override { return 0; }
    void SetGeometryParameters(r_PrimitiveTopology input, r_PrimitiveTopology output, int maxOutputVertices) override
    {
        if (m_type != r_ShaderType::Geometry)
            throw L"Cannot set geometry shader parameters on a pixel or vertex shader!";
        CheckLayoutInsertion(m_source, k_Shader::InjectGeometryLayout(m_source, input, output, maxOutputVertices),
                             maxOutputVertices);
        m_parametersSet = true;
    }
    void GetGeometryParameters(r_PrimitiveTopology&, r_PrimitiveTopology&, int&) override
    {
        if (!m_parametersSet)
            throw L"Geometry shader parameters were not set!";
    }

private:
    r_ShaderType m_type;
    std::string m_source;
    bool m_parametersSet = false;
};

class Factory : public IResourceFactory
{
public:
    explicit Factory(IFileSystem* files) : m_files(files) {}
    std::vector<std::unique_ptr<Shader>> shaders;

    void Initialize() override {}
    std::vector<std::string> GetFailures() const override { return {}; }
    ITexture* CreateTexture(const std::wstring&, const std::wstring&) override { return nullptr; }
    IMaterial* CreateMaterial(const std::wstring&, const std::wstring&) override { return nullptr; }
    IShader* CreateShaderFromSource(const std::wstring& key, r_ShaderType type, const std::wstring& displayName,
                                    std::string source) override
    {
        // Inline sources start with one LF per line up to and including the header and end each line with one.
        ORV_FUZZ_REQUIRE(key == displayName && key.find(L':') != std::wstring::npos);
        ORV_FUZZ_REQUIRE(!source.empty() && source.front() == '\n' && source.back() == '\n');
        shaders.push_back(std::make_unique<Shader>(type, std::move(source)));
        return shaders.back().get();
    }
    IShader* CreateShader(const std::wstring& name, r_ShaderType type, const std::wstring& fileName) override
    {
        ORV_FUZZ_REQUIRE(name == fileName);
        std::unique_ptr<IFile> file(m_files->OpenFile(fileName));
        if (!file)
            return nullptr;
        shaders.push_back(std::make_unique<Shader>(
            type, std::string(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize()))));
        return shaders.back().get();
    }
    ITransformationAnimation* CreateTransformationAnimation(const std::wstring&) override { return nullptr; }
    IShaderProgram* CreateShaderProgram(std::vector<IShader*> list) override
    {
        ORV_FUZZ_REQUIRE(!list.empty() && list.size() <= 3);
        return nullptr;
    }
    IRenderable* CreateEmptyRenderable() override { return nullptr; }
    IMeshBuffer* CreateMeshBuffer() override { return nullptr; }
    IBillboard* CreateBillboard() override { return nullptr; }
    ICamera* CreateCamera() override { return nullptr; }
    ILight* CreateLight() override { return nullptr; }
    IBillboardBatch* CreateBillboardBatch(int, IMaterial*) override { return nullptr; }
    IRenderTarget* CreateRenderTargetWithTexture(int, int, int) override { return nullptr; }
    IRenderTarget* CreateRenderTarget(int, int) override { return nullptr; }
    IBone* CreateBone(const std::wstring&, int, const k_VectorUA&, const k_VectorUA&, const k_VectorUA&) override
    {
        return nullptr;
    }
    IVoxelBox* CreateVoxelBox(int, int, int) override { return nullptr; }
    IPath<k_VectorUA>* CreateVectorPath() override { return nullptr; }
    IPath<float>* CreateFloatPath() override { return nullptr; }
    bool RegisterShaderCallback(IShaderCallback*) override { return false; }
    IShaderCallback* FindShaderCallback(const std::wstring&) override { return nullptr; }
    IText* CreateText(const std::string&, const std::wstring&, int, float, int) override { return nullptr; }

private:
    IFileSystem* m_files;
};

class Engine : public k_FakeEngine
{
public:
    Files files;
    Factory factory{&files};
    IResourceFactory* GetResourceFactory() override { return &factory; }
    IFileSystem* GetFileSystem() override { return &files; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine engine;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (engine.files.scripts.size() < 3)
    {
        const size_t cut = bytes.find('\0', start);
        if (cut == std::string::npos)
            break;
        engine.files.scripts.push_back(bytes.substr(start, cut - start));
        start = cut + 1;
    }
    engine.files.scripts.push_back(bytes.substr(start));
    try
    {
        k_Material material(&engine, L"M.mat");
        for (k_MaterialPass* pass : material.GetPasses())
            ORV_FUZZ_REQUIRE(pass != nullptr && pass->textures.size() <= 10);
    }
    catch (const wchar_t*)
    {
        // A topology name outside the table or an output topology geometry shaders cannot have.
    }
    return 0;
}
