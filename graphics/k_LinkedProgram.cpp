#include "graphics/k_LinkedProgram.h"

#include "graphics/k_Shader.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IShader.h"

#include <GL/glew.h>
#include <algorithm>
#include <array>

// --- linking ---

k_LinkedProgram::k_LinkedProgram(IEngine* engine, const std::vector<IShader*>& shaders)
{
    m_handle = glCreateProgram();
    try
    {
        for (IShader* shader : shaders)
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
                    engine->GetGraphics()->CheckErrors();
                    glProgramParameteriEXT(m_handle, GL_GEOMETRY_OUTPUT_TYPE_EXT, static_cast<GLint>(output));
                    engine->GetGraphics()->CheckErrors();
                    glProgramParameteriEXT(m_handle, GL_GEOMETRY_VERTICES_OUT_EXT, maxVertices);
                    engine->GetGraphics()->CheckErrors();
                }
            }
            glAttachShader(m_handle, shader->GetHandle());
            engine->GetGraphics()->CheckErrors();
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
    m_linked = status == GL_TRUE;
    if (m_linked)
        return;
    GLint logLength = 0;
    glGetProgramiv(m_handle, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength > 0)
    {
        m_log.assign(static_cast<size_t>(logLength), '\0');
        glGetProgramInfoLog(m_handle, logLength, nullptr, m_log.data());
        m_log.resize(m_log.find('\0') == std::string::npos ? m_log.size() : m_log.find('\0'));
        while (!m_log.empty() && m_log.back() == '\n')
            m_log.pop_back();
    }
}

k_LinkedProgram::~k_LinkedProgram()
{
    if (m_handle)
        glDeleteProgram(m_handle);
}

// --- users' values ---

void k_LinkedProgram::Claim(unsigned long long user, const Values& values)
{
    if (user == m_holder)
        return;
    // Uniforms are set on the program in use; whatever was in use before is put back (unless it was deleted
    // while in use: then it went when this one took its place).
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    if (static_cast<GLuint>(current) != m_handle)
        glUseProgram(m_handle);
    for (const int location : m_holderLocations)
        if (!values.contains(location))
            Upload(location, m_linkValues.at(location));
    m_holderLocations.clear();
    for (const auto& [location, value] : values)
    {
        Upload(location, value);
        m_holderLocations.push_back(location);
    }
    m_holder = user;
    if (static_cast<GLuint>(current) != m_handle)
        glUseProgram(glIsProgram(static_cast<GLuint>(current)) ? static_cast<GLuint>(current) : 0);
}

void k_LinkedProgram::Set(int location, const Value& value)
{
    if (!m_linkValues.contains(location))
        m_linkValues.emplace(location, Read(m_handle, location, value));
    Upload(location, value);
    if (std::find(m_holderLocations.begin(), m_holderLocations.end(), location) == m_holderLocations.end())
        m_holderLocations.push_back(location);
}

void k_LinkedProgram::Upload(int location, const Value& value)
{
    const float* data = value.floats.data();
    switch (value.kind)
    {
    case Value::Kind::Int:
        glUniform1i(location, value.integer);
        break;
    case Value::Kind::Float:
        switch (value.size)
        {
        case 1:
            glUniform1fv(location, value.count, data);
            break;
        case 2:
            glUniform2fv(location, value.count, data);
            break;
        case 3:
            glUniform3fv(location, value.count, data);
            break;
        case 4:
            glUniform4fv(location, value.count, data);
            break;
        default:
            break;
        }
        break;
    case Value::Kind::Matrix:
        switch (value.size)
        {
        case 2:
            glUniformMatrix2fv(location, value.count, GL_FALSE, data);
            break;
        case 3:
            glUniformMatrix3fv(location, value.count, GL_FALSE, data);
            break;
        case 4:
            glUniformMatrix4fv(location, value.count, GL_FALSE, data);
            break;
        default:
            break;
        }
        break;
    }
}

k_LinkedProgram::Value k_LinkedProgram::Read(unsigned int handle, int location, const Value& shape)
{
    Value value = shape;
    if (shape.kind == Value::Kind::Int)
    {
        // GL writes every component of the uniform: room for the largest.
        std::array<GLint, 16> read{};
        glGetUniformiv(handle, location, read.data());
        value.integer = read[0];
        return value;
    }
    // An array's elements lie at consecutive locations; GL reads one element per call.
    const size_t perElement = shape.FloatsPerElement();
    value.floats.assign(shape.FloatCount(), 0.0f);
    for (int element = 0; element < shape.count; ++element)
    {
        std::array<GLfloat, 16> read{};
        glGetUniformfv(handle, location + element, read.data());
        std::copy_n(read.begin(), std::min(perElement, read.size()),
                    value.floats.begin() + static_cast<std::ptrdiff_t>(perElement * static_cast<size_t>(element)));
    }
    return value;
}
