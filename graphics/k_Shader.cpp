#include "graphics/k_Shader.h"

#include "engine/k_Log.h"
#include "engine/k_Utf8.h"
#include "interfaces/IEngine.h"
#include "interfaces/IFile.h"
#include "interfaces/IFileSystem.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace
{
GLenum GlShaderKind(r_ShaderType type)
{
    switch (type)
    {
    case r_ShaderType::Vertex:
        return GL_VERTEX_SHADER;
    case r_ShaderType::Geometry:
        return GL_GEOMETRY_SHADER_EXT;
    case r_ShaderType::Pixel:
        break;
    }
    return GL_FRAGMENT_SHADER;
}

const char* KindLabel(r_ShaderType type)
{
    switch (type)
    {
    case r_ShaderType::Vertex:
        return "vertexshader: ";
    case r_ShaderType::Geometry:
        return "geometryshader: ";
    case r_ShaderType::Pixel:
        break;
    }
    return "pixelshader: ";
}

const char* InputLayout(r_PrimitiveTopology topology)
{
    switch (topology)
    {
    case r_PrimitiveTopology::Point:
        return "points";
    case r_PrimitiveTopology::Line:
    case r_PrimitiveTopology::LineLoop:
    case r_PrimitiveTopology::LineStrip:
        return "lines";
    default:
        return "triangles";
    }
}

const char* OutputLayout(r_PrimitiveTopology topology)
{
    switch (topology)
    {
    case r_PrimitiveTopology::LineStrip:
        return "line_strip";
    case r_PrimitiveTopology::TriangleStrip:
        return "triangle_strip";
    default:
        return "points";
    }
}

bool DriverLacksGeometryShader4(r_ShaderType type)
{
    return type == r_ShaderType::Geometry && !k_Shader::DriverHasGeometryShader4();
}
} // namespace

// --- construction ---

k_Shader::k_Shader(IEngine* engine, r_ShaderType type, const std::wstring& fileName)
    : m_engine(engine), m_name(fileName), m_type(type), m_fromFile(true)
{
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(fileName));
    if (!file)
    {
        m_lastErrors = "Cannot read from file: " + k_Utf8::ToUtf8(fileName);
        k_Log(k_Log::Colour::Error) << m_lastErrors;
        return;
    }
    m_source.assign(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize()));
    Compile(m_source);
}

k_Shader::k_Shader(IEngine* engine, r_ShaderType type, const std::wstring& name, std::string source)
    : m_engine(engine), m_name(name), m_type(type), m_source(std::move(source))
{
    Compile(m_source);
}

k_Shader::~k_Shader()
{
    if (m_handle)
        glDeleteShader(m_handle);
}

// --- compiling ---

void k_Shader::Compile(const std::string& source)
{
    m_compiled = false;
    m_lastErrors.clear();
    if (source.size() > k_MaxSourceBytes)
    {
        m_lastErrors = k_Utf8::ToUtf8(m_name) + ": " + std::to_string(source.size()) +
                       " bytes of source is more than a shader may have (" + std::to_string(k_MaxSourceBytes) + ")";
        k_Log(k_Log::Colour::Error) << "Error compiling " << KindLabel(m_type) << m_lastErrors;
        return;
    }
    if (!m_handle)
        m_handle = glCreateShader(GlShaderKind(m_type));
    if (DriverLacksGeometryShader4(m_type) && !m_hasSource)
    {
        // The layout qualifiers are not known yet: compile when SetGeometryParameters gives them.
        m_deferredSource = source;
        m_hasSource = true;
        return;
    }
    const GLchar* text = source.data();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(m_handle, 1, &text, &length);
    glCompileShader(m_handle);

    GLint status = GL_FALSE;
    glGetShaderiv(m_handle, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
    {
        m_compiled = true;
        return;
    }
    k_Log(k_Log::Colour::Error) << "Error compiling " << KindLabel(m_type) << m_name;
    m_lastErrors = "Error compiling " + k_Utf8::ToUtf8(m_name);
    GLint logLength = 0;
    glGetShaderiv(m_handle, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength >= 1)
    {
        std::vector<GLchar> log(static_cast<size_t>(logLength) + 1, '\0');
        glGetShaderInfoLog(m_handle, logLength, nullptr, log.data());
        // Inline shaders are named "<script>:<section>"; their line numbers are the script's.
        std::string fileName = k_Utf8::ToUtf8(m_name);
        const size_t script = fileName.find(".mat:");
        if (script != std::string::npos)
            fileName.resize(script + 4);
        m_lastErrors = FormatInfoLog(log.data(), fileName, source);
        k_Log(k_Log::Colour::Error) << m_lastErrors;
    }
}

bool k_Shader::HasFailed() const
{
    const bool waitingForParameters = DriverLacksGeometryShader4(m_type) && !m_geometryParametersSet && m_hasSource;
    return !m_compiled && !waitingForParameters;
}

// --- compiling again ---

bool k_Shader::Recompile(const std::string& source)
{
    if (source == m_source)
        return m_compiled || (DriverLacksGeometryShader4(m_type) && !m_geometryParametersSet);
    std::string text = source;
    if (DriverLacksGeometryShader4(m_type))
    {
        m_deferredSource = source;
        m_hasSource = true;
        if (!m_geometryParametersSet)
        {
            // Compiled when the parameters come, as the first time.
            m_source = source;
            return true;
        }
        text = InjectGeometryLayout(source, m_inputTopology, m_outputTopology, m_maxOutputVertices);
    }
    // A new shader object: programs linked from the old one keep working until they are linked again, and a
    // source that does not compile leaves the old object in place.
    const unsigned int previous = m_handle;
    const bool previousCompiled = m_compiled;
    m_handle = 0;
    Compile(text);
    if (!m_compiled && previous && previousCompiled)
    {
        if (m_handle)
            glDeleteShader(m_handle);
        m_handle = previous;
        m_compiled = true;
        return false;
    }
    if (previous)
        glDeleteShader(previous);
    m_source = source;
    return m_compiled;
}

bool k_Shader::ReloadFile()
{
    if (!m_fromFile)
        return false;
    std::unique_ptr<IFile> file(m_engine->GetFileSystem()->OpenFile(m_name));
    if (!file)
    {
        m_lastErrors = "Cannot read from file: " + k_Utf8::ToUtf8(m_name);
        k_Log(k_Log::Colour::Error) << m_lastErrors;
        return false;
    }
    k_Log() << "Reloading " << m_name << "...";
    return Recompile(std::string(reinterpret_cast<const char*>(file->GetData()), static_cast<size_t>(file->GetSize())));
}

int k_Shader::SourceColumn(std::string_view line, int preprocessedColumn)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
    int seen = 0;
    int characters = 0;
    for (size_t i = 0; i < line.size(); ++i)
    {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80)
            ++characters;
        // The blanks after the first of a run are not in the preprocessed text.
        if (blank(line[i]) && i > 0 && blank(line[i - 1]))
            continue;
        if (++seen == preprocessedColumn)
            return characters;
    }
    return preprocessedColumn; // past the line: as the driver said
}

std::string k_Shader::FormatInfoLog(const std::string& infoLog, const std::string& fileName, std::string_view source)
{
    // The source's lines, from 1, for the columns.
    std::vector<std::string_view> sourceLines;
    for (size_t start = 0; !source.empty() && start <= source.size();)
    {
        const size_t end = std::min(source.find('\n', start), source.size());
        sourceLines.push_back(source.substr(start, end - start));
        start = end + 1;
    }
    std::istringstream in(infoLog);
    std::string out;
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty())
            continue;
        // Mesa writes "0:12(5): error: ..." (source string 0, line 12, column 5).
        size_t i = 0;
        while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
            ++i;
        const size_t lineStart = i + 1;
        size_t lineEnd = lineStart;
        while (lineEnd < line.size() && std::isdigit(static_cast<unsigned char>(line[lineEnd])))
            ++lineEnd;
        size_t columnEnd = lineEnd + 1;
        while (columnEnd < line.size() && std::isdigit(static_cast<unsigned char>(line[columnEnd])))
            ++columnEnd;
        if (!out.empty())
            out += '\n';
        if (i > 0 && i < line.size() && line[i] == ':' && lineEnd > lineStart && lineEnd < line.size() &&
            line[lineEnd] == '(' && columnEnd > lineEnd + 1 && line.compare(columnEnd, 2, "):") == 0)
        {
            std::string column = line.substr(lineEnd + 1, columnEnd - lineEnd - 1);
            const long number = std::strtol(line.c_str() + lineStart, nullptr, 10);
            const long given = std::strtol(column.c_str(), nullptr, 10);
            if (number >= 1 && static_cast<size_t>(number) <= sourceLines.size() && given >= 1 && given < (1L << 24))
                column =
                    std::to_string(SourceColumn(sourceLines[static_cast<size_t>(number) - 1], static_cast<int>(given)));
            out += fileName + ":" + line.substr(lineStart, lineEnd - lineStart) + ":" + column + ":" +
                   line.substr(columnEnd + 2);
        }
        else
        {
            out += line;
        }
    }
    return out;
}

// --- geometry parameters ---

bool k_Shader::DriverHasGeometryShader4()
{
    // The driver's own extension list (the indexed one from 3.0 on, the string before), not whether an entry
    // point can be had: a loader may find glProgramParameteriEXT where the extension is not offered.
    static const bool hasExtension = epoxy_has_gl_extension("GL_EXT_geometry_shader4");
    return hasExtension;
}

std::string k_Shader::InjectGeometryLayout(const std::string& source, r_PrimitiveTopology input,
                                           r_PrimitiveTopology output, int maxOutputVertices)
{
    const std::string layout = std::string("layout(") + InputLayout(input) + ") in; layout(" + OutputLayout(output) +
                               ", max_vertices = " + std::to_string(maxOutputVertices) + ") out; ";
    // The first line that is neither blank nor a preprocessor directive.
    size_t lineStart = 0;
    while (lineStart < source.size())
    {
        size_t first = lineStart;
        while (first < source.size() && (source[first] == ' ' || source[first] == '\t' || source[first] == '\r'))
            ++first;
        if (first < source.size() && source[first] != '\n' && source[first] != '#')
            return source.substr(0, first) + layout + source.substr(first);
        const size_t lineEnd = source.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            break;
        lineStart = lineEnd + 1;
    }
    // Only directives: the qualifiers go on a line of their own at the end.
    return source + (source.empty() || source.back() == '\n' ? "" : "\n") + layout + "\n";
}

void k_Shader::SetGeometryParameters(r_PrimitiveTopology input, r_PrimitiveTopology output, int maxOutputVertices)
{
    if (m_type != r_ShaderType::Geometry)
        throw L"Cannot set geometry shader parameters on a pixel or vertex shader!";
    if (output != r_PrimitiveTopology::Point && output != r_PrimitiveTopology::TriangleStrip &&
        output != r_PrimitiveTopology::LineStrip)
        throw L"You can only use Point, TriangleStrip or LineStrip as geometry shader output primitive topology!";
    // The same parameters again (a cached shader whose script is read once more): nothing to store or compile.
    if (m_geometryParametersSet && input == m_inputTopology && output == m_outputTopology &&
        maxOutputVertices == m_maxOutputVertices)
        return;
    m_inputTopology = input;
    m_outputTopology = output;
    m_maxOutputVertices = maxOutputVertices;
    m_geometryParametersSet = true;
    if (m_hasSource)
        Compile(InjectGeometryLayout(m_deferredSource, input, output, maxOutputVertices));
}

void k_Shader::GetGeometryParameters(r_PrimitiveTopology& input, r_PrimitiveTopology& output, int& maxOutputVertices)
{
    if (!m_geometryParametersSet)
        throw L"Geometry shader parameters were not set!";
    input = m_inputTopology;
    output = m_outputTopology;
    maxOutputVertices = m_maxOutputVertices;
}

// --- queries ---

r_ShaderType k_Shader::GetType()
{
    return m_type;
}

unsigned int k_Shader::GetHandle()
{
    return m_handle;
}
