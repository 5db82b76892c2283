#pragma once
// A GLSL program linked from shaders of the resource factory. Uniform and
// attribute locations are asked of GL once per name and then cached (also
// when the name is absent), so per-draw uploads cost one map lookup each.
// Link failures are logged and never raised. Programs made from the same
// shaders may share one linked GL program (k_LinkedProgram); each keeps the
// uniform values it set and sees only those.
#include "graphics/k_LinkedProgram.h"
#include "interfaces/IShaderProgram.h"

#include <map>
#include <memory>
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
    // Uses a program linked already from these shaders, shared with other users.
    k_ShaderProgram(IEngine* engine, std::vector<IShader*> shaders, std::shared_ptr<k_LinkedProgram> linked);
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
    unsigned int GetHandle() const { return m_linked->GetHandle(); }
    const std::shared_ptr<k_LinkedProgram>& GetLinked() const { return m_linked; }

    // --- live reload ---
    // The shaders the program was linked from, in list order.
    const std::vector<IShader*>& GetShaders() const { return m_shaders; }
    // Moves the program onto another linked program of the shaders (linked again after a shader changed): the
    // locations are asked anew and every uniform value this program set is set again by name (names the new
    // program lacks are kept by name for a later link). Users keep the same program object.
    void ReplaceLinked(std::vector<IShader*> shaders, std::shared_ptr<k_LinkedProgram> linked);
    // Takes the shader callbacks of another program (a material script read again names them afresh).
    void TakeCallbacks(const k_ShaderProgram& other) { m_callbacks = other.m_callbacks; }

private:
    void CheckErrors();
    // Makes this program's uniform values the ones in GL and the program the one in use.
    void Claim();
    // Claims the program, then remembers the value at the name's location, element by element, and uploads it
    // (nothing when the name is absent): floats of the given shape, or the integer when floats is null. A value
    // GL refuses is sent (GL reports it) but not remembered.
    void Set(const std::string& name, k_LinkedProgram::Value::Kind kind, int size, int count, const float* floats,
             int integer = 0);
    // This program's own value at the location, else the one linking gave it (null for types no setter writes).
    const k_LinkedProgram::Value* Known(int location) const;
    // The uniform's floats as Known has them (GL's when it has none) over the defaults in value.
    std::array<float, 16> Read(const std::string& name, std::array<float, 16> value);
    // The cached location of a name; asks GL with query (and checks errors) only the first time.
    int CachedLocation(std::map<std::string, int, std::less<>>& cache, const std::string& name,
                       int (*query)(unsigned int, const char*));

    IEngine* m_engine;
    std::shared_ptr<k_LinkedProgram> m_linked;
    unsigned long long m_user = 0;    // who this program is to its linked program
    k_LinkedProgram::Values m_values; // by element location
    // Values set for names the link has no uniform of, whole (all elements of an array call), by name.
    std::map<std::string, k_LinkedProgram::Value, std::less<>> m_unplaced;
    std::map<std::string, int, std::less<>> m_uniformLocations;
    std::map<std::string, int, std::less<>> m_attributeLocations;
    std::map<std::wstring, std::pair<IShaderCallback*, int>> m_callbacks;
    std::vector<IShader*> m_shaders;
};
