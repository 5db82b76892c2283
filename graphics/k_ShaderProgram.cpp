#include "graphics/k_ShaderProgram.h"

#include "engine/k_Log.h"
#include "graphics/k_Shader.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShader.h"
#include "interfaces/IShaderCallback.h"

#include <GL/glew.h>

// --- construction ---

k_ShaderProgram::k_ShaderProgram(IEngine* engine, std::vector<IShader*> shaders)
    : m_engine(engine), m_shaders(std::move(shaders))
{
    m_handle = glCreateProgram();
    try
    {
        for (IShader* shader : m_shaders)
        {
            if (shader->GetType() == r_ShaderType::Geometry)
            {
                r_PrimitiveTopology input;
                r_PrimitiveTopology output;
                int maxVertices = 0;
                shader->GetGeometryParameters(input, output, maxVertices);
                // Without the extension the parameters were compiled into the shader's source.
                if (k_Shader::DriverHasGeometryShader4())
                {
                    glProgramParameteriEXT(m_handle, GL_GEOMETRY_INPUT_TYPE_EXT, static_cast<GLint>(input));
                    CheckErrors();
                    glProgramParameteriEXT(m_handle, GL_GEOMETRY_OUTPUT_TYPE_EXT, static_cast<GLint>(output));
                    CheckErrors();
                    glProgramParameteriEXT(m_handle, GL_GEOMETRY_VERTICES_OUT_EXT, maxVertices);
                    CheckErrors();
                }
            }
            glAttachShader(m_handle, shader->GetHandle());
            CheckErrors();
        }
    }
    catch (...)
    {
        // The half-made program is never handed out: do not leak its GL name.
        glDeleteProgram(m_handle);
        throw;
    }
    glLinkProgram(m_handle);
    GLint status = GL_FALSE;
    glGetProgramiv(m_handle, GL_LINK_STATUS, &status);
    if (status == GL_TRUE)
        return;
    k_Log() << "Error/Warning linking shaders.";
    GLint logLength = 0;
    glGetProgramiv(m_handle, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength > 0)
    {
        std::string log(static_cast<size_t>(logLength), '\0');
        glGetProgramInfoLog(m_handle, logLength, nullptr, log.data());
        log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
        while (!log.empty() && log.back() == '\n')
            log.pop_back();
        k_Log() << log;
    }
}

k_ShaderProgram::~k_ShaderProgram()
{
    if (m_handle)
        glDeleteProgram(m_handle);
}

void k_ShaderProgram::CheckErrors()
{
    m_engine->GetGraphics()->CheckErrors();
}

// --- setters ---

void k_ShaderProgram::SetUniformMatrix4Array(const std::string& name, const float* data, int count)
{
    glUseProgram(m_handle);
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glUniformMatrix4fv(location, count, GL_FALSE, data);
}

void k_ShaderProgram::SetUniformMatrix(const std::string& name, const float* data, int dimension)
{
    glUseProgram(m_handle);
    const int location = GetUniformLocation(name);
    if (location >= 0)
    {
        switch (dimension)
        {
        case 1:
            glUniform1fv(location, 1, data);
            break;
        case 2:
            glUniformMatrix2fv(location, 1, GL_FALSE, data);
            break;
        case 3:
            glUniformMatrix3fv(location, 1, GL_FALSE, data);
            break;
        case 4:
            glUniformMatrix4fv(location, 1, GL_FALSE, data);
            break;
        default:
            break;
        }
    }
    CheckErrors();
}

void k_ShaderProgram::SetUniformVector(const std::string& name, const float* data, int components)
{
    glUseProgram(m_handle);
    const int location = GetUniformLocation(name);
    if (location >= 0)
    {
        switch (components)
        {
        case 1:
            glUniform1fv(location, 1, data);
            break;
        case 2:
            glUniform2fv(location, 1, data);
            break;
        case 3:
            glUniform3fv(location, 1, data);
            break;
        case 4:
            glUniform4fv(location, 1, data);
            break;
        default:
            break;
        }
    }
    CheckErrors();
}

void k_ShaderProgram::SetUniformFloat(const std::string& name, float value)
{
    glUseProgram(m_handle);
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glUniform1f(location, value);
}

void k_ShaderProgram::SetUniformInt(const std::string& name, int value)
{
    glUseProgram(m_handle);
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glUniform1i(location, value);
}

// --- getters ---

int k_ShaderProgram::GetUniformInt(const std::string& name)
{
    // GL writes every component of the uniform: room for a whole matrix, the first one is returned.
    std::array<GLint, 16> value{};
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glGetUniformiv(m_handle, location, value.data());
    return value[0];
}

float k_ShaderProgram::GetUniformFloat(const std::string& name)
{
    std::array<GLfloat, 16> value{};
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glGetUniformfv(m_handle, location, value.data());
    return value[0];
}

std::array<float, 4> k_ShaderProgram::GetUniformVector4(const std::string& name)
{
    // GL writes as many floats as the uniform has; a full matrix would overrun four.
    std::array<float, 16> value{};
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glGetUniformfv(m_handle, location, value.data());
    return {value[0], value[1], value[2], value[3]};
}

std::array<float, 16> k_ShaderProgram::GetUniformMatrix4(const std::string& name)
{
    std::array<float, 16> value{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const int location = GetUniformLocation(name);
    if (location >= 0)
        glGetUniformfv(m_handle, location, value.data());
    return value;
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
    if (!m_handle)
        return -1;
    if (auto found = cache.find(name); found != cache.end())
        return found->second;
    const int location = query(m_handle, name.c_str());
    CheckErrors();
    cache.emplace(name, location);
    return location;
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
    glUseProgram(m_handle);
    CheckErrors();
    for (auto& [name, entry] : m_callbacks)
        entry.first->Apply(this, entry.second);
}
