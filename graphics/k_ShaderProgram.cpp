#include "graphics/k_ShaderProgram.h"

#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderCallback.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cmath>

// --- construction ---

namespace
{
unsigned long long NextUser()
{
    static unsigned long long users = 0;
    return ++users;
}
} // namespace

k_ShaderProgram::k_ShaderProgram(IEngine* engine, std::vector<IShader*> shaders)
    : k_ShaderProgram(engine, shaders, std::make_shared<k_LinkedProgram>(engine, shaders))
{
}

k_ShaderProgram::k_ShaderProgram(IEngine* engine, std::vector<IShader*> shaders,
                                 std::shared_ptr<k_LinkedProgram> linked)
    : m_engine(engine), m_linked(std::move(linked)), m_user(NextUser()), m_shaders(std::move(shaders))
{
}

// The linked program goes when its last user does.
k_ShaderProgram::~k_ShaderProgram() = default;

void k_ShaderProgram::CheckErrors()
{
    m_engine->GetGraphics()->CheckErrors();
}

// --- setters ---

void k_ShaderProgram::Claim()
{
    glUseProgram(m_linked->GetHandle());
    m_linked->Claim(m_user, m_values);
}

void k_ShaderProgram::Set(const std::string& name, k_LinkedProgram::Value::Kind kind, int size, int count,
                          const float* floats, int integer)
{
    Claim();
    const int location = GetUniformLocation(name);
    if (location < 0)
    {
        // Kept by name: a shader edited later may start using the uniform, and then it gets this value.
        auto unplaced = m_unplaced.find(name);
        if (unplaced == m_unplaced.end())
            unplaced = m_unplaced.emplace(name, k_LinkedProgram::Value()).first;
        k_LinkedProgram::Value& value = unplaced->second;
        value.kind = kind;
        value.size = size;
        value.count = count;
        value.integer = integer;
        if (floats)
            value.floats.assign(floats, floats + k_LinkedProgram::Value::FloatsPerElement(kind, size) *
                                                     static_cast<size_t>(std::max(count, 0)));
        else
            value.floats.clear();
        return;
    }
    const int elements = m_linked->Fit(location, kind, size, count);
    if (elements == 0)
    {
        // GL refuses it (another type or shape) and reports the error as for a program of one's own; nothing is
        // kept, so no switch between users sends it again.
        k_LinkedProgram::Upload(location, kind, size, count, floats, integer);
        return;
    }
    // One record per element, written in place: after an element's first set its floats keep their room, so a
    // set allocates nothing.
    const size_t perElement = k_LinkedProgram::Value::FloatsPerElement(kind, size);
    int element = location;
    for (int index = 0; index < elements && element >= 0; ++index, element = m_linked->Next(element))
    {
        k_LinkedProgram::Value& value = m_values[element];
        value.kind = kind;
        value.size = size;
        value.count = 1;
        value.integer = integer;
        if (floats)
        {
            const float* first = floats + perElement * static_cast<size_t>(index);
            value.floats.assign(first, first + perElement);
        }
        else
            value.floats.clear();
    }
    m_linked->Set(location, elements, kind, size, floats, integer);
}

void k_ShaderProgram::SetUniformMatrix4Array(const std::string& name, const float* data, int count)
{
    if (count <= 0)
    {
        // Nothing to set; GL still reports a negative count.
        Claim();
        if (const int location = GetUniformLocation(name); location >= 0)
            glUniformMatrix4fv(location, count, GL_FALSE, data);
        return;
    }
    Set(name, k_LinkedProgram::Value::Kind::Matrix, 4, count, data);
}

void k_ShaderProgram::SetUniformMatrix(const std::string& name, const float* data, int dimension)
{
    if (dimension == 1)
        Set(name, k_LinkedProgram::Value::Kind::Float, 1, 1, data);
    else if (dimension >= 2 && dimension <= 4)
        Set(name, k_LinkedProgram::Value::Kind::Matrix, dimension, 1, data);
    else
        Claim();
    CheckErrors();
}

void k_ShaderProgram::SetUniformVector(const std::string& name, const float* data, int components)
{
    if (components >= 1 && components <= 4)
        Set(name, k_LinkedProgram::Value::Kind::Float, components, 1, data);
    else
        Claim();
    CheckErrors();
}

void k_ShaderProgram::SetUniformFloat(const std::string& name, float value)
{
    Set(name, k_LinkedProgram::Value::Kind::Float, 1, 1, &value);
}

void k_ShaderProgram::SetUniformInt(const std::string& name, int value)
{
    Set(name, k_LinkedProgram::Value::Kind::Int, 1, 1, nullptr, value);
}

// --- getters ---

// Answered from this program's own values, else from what linking gave the uniform: another user may hold
// the GL program, and reading must not take it over (a read between another program's Use and its draw).

const k_LinkedProgram::Value* k_ShaderProgram::Known(int location) const
{
    if (const auto own = m_values.find(location); own != m_values.end())
        return &own->second;
    return m_linked->LinkValue(location);
}

std::array<float, 16> k_ShaderProgram::Read(const std::string& name, std::array<float, 16> value)
{
    const int location = GetUniformLocation(name);
    if (location < 0)
        return value;
    if (const k_LinkedProgram::Value* known = Known(location))
    {
        if (known->kind == k_LinkedProgram::Value::Kind::Int)
            value[0] = static_cast<float>(known->integer);
        else
            std::copy_n(known->floats.begin(), std::min(known->floats.size(), value.size()), value.begin());
        return value;
    }
    // A type no setter writes: no user changed it, so GL holds what linking gave it.
    glGetUniformfv(m_linked->GetHandle(), location, value.data());
    return value;
}

int k_ShaderProgram::GetUniformInt(const std::string& name)
{
    const int location = GetUniformLocation(name);
    if (location < 0)
        return 0;
    if (const k_LinkedProgram::Value* known = Known(location))
        return known->kind == k_LinkedProgram::Value::Kind::Int ? known->integer
                                                                : static_cast<int>(std::lround(known->floats[0]));
    // GL writes every component of the uniform: room for a whole matrix, the first one is returned.
    std::array<GLint, 16> value{};
    glGetUniformiv(m_linked->GetHandle(), location, value.data());
    return value[0];
}

float k_ShaderProgram::GetUniformFloat(const std::string& name)
{
    return Read(name, {})[0];
}

std::array<float, 4> k_ShaderProgram::GetUniformVector4(const std::string& name)
{
    const std::array<float, 16> value = Read(name, {});
    return {value[0], value[1], value[2], value[3]};
}

std::array<float, 16> k_ShaderProgram::GetUniformMatrix4(const std::string& name)
{
    return Read(name, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

// --- locations ---

int k_ShaderProgram::GetAttributeLocation(const std::string& name)
{
    return CachedLocation(m_attributeLocations, name, glGetAttribLocation);
}

int k_ShaderProgram::GetUniformLocation(const std::string& name)
{
    return CachedLocation(m_uniformLocations, name, glGetUniformLocation);
}

int k_ShaderProgram::CachedLocation(std::map<std::string, int, std::less<>>& cache, const std::string& name,
                                    int (*query)(unsigned int, const char*))
{
    if (!m_linked->GetHandle())
        return -1;
    if (auto found = cache.find(name); found != cache.end())
        return found->second;
    const int location = query(m_linked->GetHandle(), name.c_str());
    CheckErrors();
    cache.emplace(name, location);
    return location;
}

// --- live reload ---

void k_ShaderProgram::ReplaceLinked(std::vector<IShader*> shaders, std::shared_ptr<k_LinkedProgram> linked)
{
    // The values by name, as the locations of the new link may differ. Values are kept element by element: an
    // array's elements that follow the named one are set again with it.
    std::vector<std::pair<std::string, k_LinkedProgram::Value>> named;
    for (const auto& [name, location] : m_uniformLocations)
    {
        const auto first = m_values.find(location);
        if (location < 0 || first == m_values.end())
            continue;
        k_LinkedProgram::Value whole = first->second;
        for (int next = m_linked->Next(location); next >= 0 && whole.kind != k_LinkedProgram::Value::Kind::Int;
             next = m_linked->Next(next))
        {
            const auto element = m_values.find(next);
            if (element == m_values.end() || element->second.kind != whole.kind || element->second.size != whole.size)
                break;
            whole.floats.insert(whole.floats.end(), element->second.floats.begin(), element->second.floats.end());
            ++whole.count;
        }
        named.emplace_back(name, std::move(whole));
    }
    // Values set for names the old link lacked go to the new one too (set again, they are kept again if it
    // lacks them as well).
    for (auto& [name, value] : m_unplaced)
        named.emplace_back(name, std::move(value));
    m_unplaced.clear();
    m_shaders = std::move(shaders);
    m_linked = std::move(linked);
    m_user = NextUser();
    m_values.clear();
    m_uniformLocations.clear();
    m_attributeLocations.clear();
    for (const auto& [name, value] : named)
        Set(name, value.kind, value.size, value.count, value.floats.empty() ? nullptr : value.floats.data(),
            value.integer);
    CheckErrors();
}

// --- callbacks ---

bool k_ShaderProgram::AddShaderCallback(const std::wstring& name, int value)
{
    IShaderCallback* callback = m_engine->GetResourceFactory()->FindShaderCallback(name);
    if (!callback || !callback->IsSupported(this))
        return false;
    m_callbacks[name] = {callback, value};
    return true;
}

void k_ShaderProgram::Use()
{
    Claim();
    CheckErrors();
    for (auto& [name, entry] : m_callbacks)
        entry.first->Apply(this, entry.second);
}
