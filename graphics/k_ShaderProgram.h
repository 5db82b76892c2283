#pragma once
// A GLSL program linked from shaders of the resource factory. Uniform and
// attribute locations are asked of GL once per name and then cached (also
// when the name is absent), so per-draw uploads cost one map lookup each.
// Link failures are logged and never raised.
#include "interfaces/IShaderProgram.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

class IEngine;
class IShader;
class IShaderCallback;

class k_ShaderProgram : public IShaderProgram
{
public:
    // Links the shaders in list order; throws when a geometry shader's parameters were never set.
    k_ShaderProgram(IEngine* engine, std::vector<IShader*> shaders);
    ~k_ShaderProgram() override;
    k_ShaderProgram(const k_ShaderProgram&) = delete;
    k_ShaderProgram& operator=(const k_ShaderProgram&) = delete;

    void SetUniformMatrix4Array(const std::string& name, const float* data, int count) override;
    void SetUniformMatrix(const std::string& name, const float* data, int dimension) override;
    void SetUniformVector(const std::string& name, const float* data, int components) override;
    void SetUniformFloat(const std::string& name, float value) override;
    void SetUniformInt(const std::string& name, int value) override;
    int GetUniformInt(const std::string& name) override;
    float GetUniformFloat(const std::string& name) override;
    std::array<float, 4> GetUniformVector4(const std::string& name) override;
    std::array<float, 16> GetUniformMatrix4(const std::string& name) override;
    int GetAttributeLocation(const std::string& name) override;
    int GetUniformLocation(const std::string& name) override;
    bool AddShaderCallback(const std::wstring& name, int value) override;
    void Use() override;

    // The GL program name.
    unsigned int GetHandle() const { return m_handle; }

private:
    void CheckErrors();
    // The cached location of a name; asks GL with query (and checks errors) only the first time.
    int CachedLocation(std::map<std::string, int, std::less<>>& cache, const std::string& name,
                       int (*query)(unsigned int, const char*));

    IEngine* m_engine;
    unsigned int m_handle = 0;
    std::map<std::string, int, std::less<>> m_uniformLocations;
    std::map<std::string, int, std::less<>> m_attributeLocations;
    std::map<std::wstring, std::pair<IShaderCallback*, int>> m_callbacks;
    std::vector<IShader*> m_shaders;
};
