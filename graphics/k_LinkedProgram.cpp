#include "graphics/k_LinkedProgram.h"

#include "engine/k_Log.h"
#include "graphics/k_Shader.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IShader.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <array>

namespace
{
// How a setter writes one element of a uniform of the GL type; known is false for types no setter writes
// (integer vectors, unsigned and double types, matrices that are not square).
struct Shape
{
    bool known = false;
    k_LinkedProgram::Value::Kind kind = k_LinkedProgram::Value::Kind::Float;
    int size = 1;
};

Shape ShapeOf(GLenum type)
{
    using Kind = k_LinkedProgram::Value::Kind;
    switch (type)
    {
    case GL_FLOAT:
        return {true, Kind::Float, 1};
    case GL_FLOAT_VEC2:
    case GL_BOOL_VEC2:
        return {true, Kind::Float, 2};
    case GL_FLOAT_VEC3:
    case GL_BOOL_VEC3:
        return {true, Kind::Float, 3};
    case GL_FLOAT_VEC4:
    case GL_BOOL_VEC4:
        return {true, Kind::Float, 4};
    case GL_FLOAT_MAT2:
        return {true, Kind::Matrix, 2};
    case GL_FLOAT_MAT3:
        return {true, Kind::Matrix, 3};
    case GL_FLOAT_MAT4:
        return {true, Kind::Matrix, 4};
    case GL_INT:
    case GL_BOOL:
        return {true, Kind::Int, 1};
    case GL_INT_VEC2:
    case GL_INT_VEC3:
    case GL_INT_VEC4:
    case GL_UNSIGNED_INT:
    case GL_UNSIGNED_INT_VEC2:
    case GL_UNSIGNED_INT_VEC3:
    case GL_UNSIGNED_INT_VEC4:
    case GL_FLOAT_MAT2x3:
    case GL_FLOAT_MAT2x4:
    case GL_FLOAT_MAT3x2:
    case GL_FLOAT_MAT3x4:
    case GL_FLOAT_MAT4x2:
    case GL_FLOAT_MAT4x3:
    case GL_DOUBLE:
    case GL_DOUBLE_VEC2:
    case GL_DOUBLE_VEC3:
    case GL_DOUBLE_VEC4:
    case GL_DOUBLE_MAT2:
    case GL_DOUBLE_MAT3:
    case GL_DOUBLE_MAT4:
        return {};
    default:
        return {true, Kind::Int, 1}; // samplers: a texture unit
    }
}
} // namespace

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
    {
        ReadUniforms();
        return;
    }
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
    // Said once for the link, however many programs share it.
    k_Log() << "Error/Warning linking shaders.";
    if (!m_log.empty())
        k_Log() << m_log;
}

k_LinkedProgram::~k_LinkedProgram()
{
    if (m_handle)
        glDeleteProgram(m_handle);
}

// --- what linking made ---

void k_LinkedProgram::ReadUniforms()
{
    GLint uniforms = 0;
    GLint longest = 0;
    glGetProgramiv(m_handle, GL_ACTIVE_UNIFORMS, &uniforms);
    glGetProgramiv(m_handle, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::string buffer(static_cast<size_t>(std::max(longest, 1)), '\0');
    for (GLint index = 0; index < uniforms; ++index)
    {
        GLsizei length = 0;
        GLint elements = 0;
        GLenum type = 0;
        glGetActiveUniform(m_handle, static_cast<GLuint>(index), static_cast<GLsizei>(buffer.size()), &length,
                           &elements, &type, buffer.data());
        std::string name(buffer.data(), static_cast<size_t>(std::max(length, 0)));
        if (name.starts_with("gl_"))
            continue; // built-in state, not set through a program
        // An array is listed as its first element ("bones[0]"); its other elements are asked for by index.
        const bool array = name.ends_with("[0]") || elements > 1;
        if (name.ends_with("[0]"))
            name.resize(name.size() - 3);
        const Shape shape = ShapeOf(type);
        int previous = -1;
        for (int element = 0; element < elements; ++element)
        {
            const std::string elementName = element == 0 ? name : name + "[" + std::to_string(element) + "]";
            const int location = glGetUniformLocation(m_handle, elementName.c_str());
            if (location < 0)
                continue;
            Slot& slot = m_slots[location];
            slot.type = type;
            slot.array = array;
            slot.remaining = elements - element;
            if (previous >= 0)
                m_slots[previous].next = location;
            previous = location;
            if (!shape.known)
                continue;
            slot.hasLinkValue = true;
            Value& value = slot.linkValue;
            value.kind = shape.kind;
            value.size = shape.size;
            value.count = 1;
            if (shape.kind == Value::Kind::Int)
            {
                // GL writes every component of the uniform: room for the largest.
                std::array<GLint, 16> read{};
                glGetUniformiv(m_handle, location, read.data());
                value.integer = read[0];
            }
            else
            {
                std::array<GLfloat, 16> read{};
                glGetUniformfv(m_handle, location, read.data());
                value.floats.assign(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(value.FloatsPerElement()));
            }
        }
    }
}

int k_LinkedProgram::Fit(int location, Value::Kind kind, int size, int count) const
{
    const auto found = m_slots.find(location);
    if (found == m_slots.end() || count < 1)
        return 0;
    const Slot& slot = found->second;
    const Shape shape = ShapeOf(slot.type);
    // A bool takes an int or a float; every other type only its own shape.
    const bool matches = shape.known && ((shape.kind == kind && shape.size == size) ||
                                         (slot.type == GL_BOOL && kind == Value::Kind::Float && size == 1));
    if (!matches || (count > 1 && !slot.array))
        return 0;
    return std::min(count, slot.remaining);
}

int k_LinkedProgram::Next(int location) const
{
    const auto found = m_slots.find(location);
    return found == m_slots.end() ? -1 : found->second.next;
}

const k_LinkedProgram::Value* k_LinkedProgram::LinkValue(int location) const
{
    const auto found = m_slots.find(location);
    return found == m_slots.end() || !found->second.hasLinkValue ? nullptr : &found->second.linkValue;
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
    {
        Slot& slot = m_slots.at(location);
        slot.changed = false;
        if (slot.hasLinkValue && !values.contains(location))
        {
            const Value& value = slot.linkValue;
            Upload(location, value.kind, value.size, value.count, value.floats.data(), value.integer);
        }
    }
    m_holderLocations.clear();
    for (const auto& [location, value] : values)
    {
        Upload(location, value.kind, value.size, value.count, value.floats.data(), value.integer);
        Changed(location);
    }
    m_holder = user;
    if (static_cast<GLuint>(current) != m_handle)
        glUseProgram(glIsProgram(static_cast<GLuint>(current)) ? static_cast<GLuint>(current) : 0);
}

void k_LinkedProgram::Set(int location, int elements, Value::Kind kind, int size, const float* floats, int integer)
{
    Upload(location, kind, size, elements, floats, integer);
    for (int element = 0; element < elements && location >= 0; ++element, location = Next(location))
        Changed(location);
}

void k_LinkedProgram::Changed(int location)
{
    Slot& slot = m_slots.at(location);
    if (slot.changed)
        return;
    slot.changed = true;
    m_holderLocations.push_back(location);
}

void k_LinkedProgram::Upload(int location, Value::Kind kind, int size, int count, const float* data, int integer)
{
    switch (kind)
    {
    case Value::Kind::Int:
        glUniform1i(location, integer);
        break;
    case Value::Kind::Float:
        switch (size)
        {
        case 1:
            glUniform1fv(location, count, data);
            break;
        case 2:
            glUniform2fv(location, count, data);
            break;
        case 3:
            glUniform3fv(location, count, data);
            break;
        case 4:
            glUniform4fv(location, count, data);
            break;
        default:
            break;
        }
        break;
    case Value::Kind::Matrix:
        switch (size)
        {
        case 2:
            glUniformMatrix2fv(location, count, GL_FALSE, data);
            break;
        case 3:
            glUniformMatrix3fv(location, count, GL_FALSE, data);
            break;
        case 4:
            glUniformMatrix4fv(location, count, GL_FALSE, data);
            break;
        default:
            break;
        }
        break;
    }
}
